#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "raster/graphic.h"

namespace pellumo {

class TBitmap;

// One registered file format of the picture framework.
struct TFileFormat {
    std::string Extension;  // without the dot, as registered
    std::string Description;
    TGraphicClass GraphicClass = nullptr;
};

// Holds at most one graphic of any class and tells its owner when it changes. Loading from a
// file picks the graphic class by the file's extension from the process-wide registry, which
// knows bmp, jpg and jpeg from the start.
// What follows the last dot of a file name's last part, without the dot; empty for none.
std::string FileExtension(const std::string& fileName);

class TPicture {
public:
    TPicture() = default;
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Takes the graphic (nullptr empties the picture).
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // Becomes a copy of the other picture's graphic (empty when it has none).
    void Assign(const TPicture& source);
    // Becomes a copy of the graphic, of the same class.
    void Assign(const TGraphic& source);

    // The held graphic when it is a bitmap; otherwise it is replaced by a new empty bitmap.
    TBitmap& Bitmap();

    int Width() const;
    int Height() const;

    // Unknown extensions raise EInvalidGraphic; a failed load leaves the picture unchanged.
    void LoadFromFile(const std::string& fileName);
    // The graphic writes itself in its own format; an empty picture writes no file.
    void SaveToFile(const std::string& fileName) const;

    std::function<void(TPicture&)> OnChange;

    // The registry. Registering an extension again replaces its entry; lookups ignore the
    // case of ASCII letters.
    static void RegisterFileFormat(std::string_view extension, std::string_view description,
                                   TGraphicClass graphicClass);
    // Forgets every extension of the class.
    static void UnregisterGraphicClass(TGraphicClass graphicClass);
    // The class registered for the extension (with or without its dot), or nullptr.
    static TGraphicClass FindGraphicClass(std::string_view extension);
    // The class registered for the file name's extension, or nullptr.
    static TGraphicClass GraphicClassOfFile(const std::string& fileName);
    static std::vector<TFileFormat> FileFormats();
    // The filter text of a file dialog: "Tous (...)|..." then one pair per format, limited
    // to one class when it is given.
    static std::string GraphicFilter(TGraphicClass graphicClass = nullptr);

private:
    void Changed();
    void Hook();

    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace pellumo
