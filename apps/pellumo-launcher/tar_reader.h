#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/exceptions.h"

namespace pellumo {

// The runtime a show carries cannot be unpacked: its bytes were damaged.
class EDamagedRuntime : public Exception {
public:
    explicit EDamagedRuntime(const std::string& detail)
        : Exception("le fichier du diaporama est endommagé (" + detail + ")") {}
};

// Whether a path is one an archive may name: relative, its parts made of letters, digits and
// ". _ + -", none of them empty, "." or "..", 255 bytes in all at most.
bool IsPlainArchivePath(std::string_view path);

// Where the entries of an archive go, in the archive's order.
class TTarSink {
public:
    virtual ~TTarSink() = default;
    virtual void Folder(const std::string& path) = 0;
    virtual void BeginFile(const std::string& path, std::int64_t size, bool executable) = 0;
    virtual void FileBytes(std::span<const std::uint8_t> bytes) = 0;
    virtual void EndFile() = 0;
};

// Reads a ustar archive as its bytes arrive, in pieces of any size. It takes folders and
// regular files only, with plain relative names (letters, digits and ". _ + -", no "." or ".."
// part), and raises EDamagedRuntime on anything else: a bad checksum, another kind of entry,
// more than `maxFileBytes` of file contents in all, more than 65,536 entries, bytes after the
// end-of-archive block that are not zeros, or an archive that stops short (Finish).
class TTarReader {
public:
    TTarReader(TTarSink& sink, std::int64_t maxFileBytes);

    void Consume(std::span<const std::uint8_t> bytes);
    // The input is over: raises EDamagedRuntime unless the archive ended as it should.
    void Finish() const;

private:
    enum TState { tsHeader, tsContents, tsPadding, tsEnded };
    static constexpr std::size_t kBlock = 512;

    void TakeHeader();

    TTarSink& sink_;
    std::int64_t budget_;
    std::int64_t entries_ = 0;
    TState state_ = tsHeader;
    std::array<std::uint8_t, kBlock> header_{};
    std::size_t headerFill_ = 0;
    std::int64_t left_ = 0;     // of the contents or the padding under way
    std::int64_t padding_ = 0;  // after the contents under way, to the next block
};

}  // namespace pellumo
