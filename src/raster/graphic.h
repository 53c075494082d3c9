#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/exceptions.h"

namespace pellumo {

class TStream;
class TGraphic;
class TBitmap;

// A picture that cannot be read, or an operation a graphic does not support.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// A valid graphic asked to do something impossible (a scan line outside the image, ...).
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

// What a class reference is elsewhere: a name and a virtual constructor. Each graphic class
// has exactly one, so the address identifies the class.
struct TGraphicClassInfo {
    std::string_view Name;
    std::unique_ptr<TGraphic> (*Create)();
    // False for classes that read their format but cannot write it: saving them writes
    // nothing, or would write another format than the one their extensions name.
    bool Writes = true;
};
using TGraphicClass = const TGraphicClassInfo*;


// Real profiles take a few kilobytes, printer profiles with large tables a few megabytes; a
// file's claim beyond this is not read.
constexpr std::size_t kMaxColorProfileBytes = std::size_t{4} << 20;

// The base of every picture kind: sized, loaded from and saved to streams and files, and
// copied by Assign between kinds that know each other.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual TGraphicClass ClassType() const = 0;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }

    // Reads the graphic from the stream's current position.
    virtual void LoadFromStream(TStream& stream) = 0;
    // Writes the graphic in its own format.
    virtual void SaveToStream(TStream& stream) const = 0;
    virtual void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // Makes this graphic a copy of the source. The base asks the source (AssignTo) and raises
    // EConvertError when neither side knows the other.
    virtual void Assign(const TGraphic& source);

    // Fired after every change of size, format, palette or contents made through the class.
    std::function<void(TGraphic&)> OnChange;

    // The ICC colour profile the file carried, as its bytes; empty when it had none. Readers
    // keep none larger than kMaxColorProfileBytes. Assign copies it with the picture; a
    // bitmap's in-place work (Assign of a moved bitmap) keeps the bitmap's own.
    const std::vector<std::uint8_t>& ColorProfile() const { return colorProfile_; }
    void SetColorProfile(std::vector<std::uint8_t> profile) { colorProfile_ = std::move(profile); }

protected:
    TGraphic() = default;
    void Changed();
    // For a move between graphics: the profile, this graphic left without one.
    std::vector<std::uint8_t> TakeColorProfile() noexcept { return std::move(colorProfile_); }
    // The source's half of Assign: fill `target` from this graphic, or return false.
    virtual bool AssignTo(TBitmap& target) const;
    friend class TBitmap;

private:
    std::vector<std::uint8_t> colorProfile_;
};

// The description of the graphic class T, made on first use; each class's StaticClass returns it.
// A class that keeps the saving it inherits (a reader built on TBitmap) would write its base's
// format under its own extensions, so it never counts as writing, whatever `writes` says.
template <class T>
TGraphicClass GraphicClassOf(std::string_view name, bool writes = true) {
    constexpr bool savesItself = std::is_same_v<decltype(&T::SaveToStream), void (T::*)(TStream&) const>;
    static const TGraphicClassInfo info{
        name, []() -> std::unique_ptr<TGraphic> { return std::make_unique<T>(); }, writes && savesItself};
    return &info;
}

}  // namespace pellumo
