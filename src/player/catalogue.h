#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/ansi_text.h"
#include "base/color.h"
#include "base/exceptions.h"
#include "base/stream.h"

namespace pellumo {

// The show a player carries after its own image: a header, then slide records each followed
// by its JPEG bytes, then the header's offset in the last four bytes of the file.
constexpr std::int64_t kCatalogueHeaderSize = 84;
constexpr std::int64_t kSlideRecordSize = 112;
constexpr std::int64_t kCatalogueTrailerSize = 4;
constexpr std::size_t kMaxCatalogueText = 80;

// A file that carries no readable show, or a show too large to be written.
class ECatalogueError : public Exception {
public:
    ECatalogueError();  // "Ce fichier ne contient pas de diaporama"
    using Exception::Exception;
};

struct TSlideEntry {
    std::int32_t DataOffset = 0;  // file position of the first JPEG byte
    std::int32_t DataSize = 0;
    std::int32_t Duration = 0;  // seconds; 0 rests on the slide
    TColor FrameColor = clBlack;
    bool Framed = false;
    TColor BackColor = clBlack;
    TShortString<kMaxCatalogueText> Caption;  // Windows-1252, bytes as stored
    TColor CaptionColor = clWhite;
    std::int32_t TransitionStyle = 0;  // as stored; SlideStyle gives the number played
};

struct TCatalogue {
    std::string MusicFileName;  // Windows-1252 bytes; empty for no music
    bool LoopShow = false;
    bool CopyAllowed = false;
    bool FineResize = false;
    std::vector<TSlideEntry> Slides;

    int LastIndex() const { return static_cast<int>(Slides.size()) - 1; }
};

// The style number a slide plays with: only the low byte counts, and its top bit is dropped
// so that any stored value names one of the 128 styles (200 gives 72, 256 gives 0).
constexpr std::uint8_t SlideStyle(std::int32_t transitionStyle) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(transitionStyle) & 0x7Fu);
}

// Reads the show at the end of the stream. Raises ECatalogueError when the trailer points
// nowhere a header fits: before the end of the program image the stream starts with (see
// ProgramImageEnd), or too close to the trailer. EReadError when the stream is shorter than a
// trailer. A damaged slide table ends early rather than failing: the slides before the damage
// stay; so does a damaged music name's length (the name is then cut at 80 bytes).
TCatalogue ReadCatalogue(TStream& stream);

// Appends a show after whatever the stream already holds (the player's image): the
// constructor writes the header at the end of the stream, AddSlide one record and its
// picture, Finish the trailer. Everything it writes, ReadCatalogue reads back.
class TCatalogueWriter {
public:
    // Uses MusicFileName, LoopShow, CopyAllowed and FineResize; the slides are added one by
    // one. A music name over 80 bytes raises EConvertError.
    TCatalogueWriter(TStream& stream, const TCatalogue& header);

    // Writes the slide's settings (DataOffset and DataSize are taken from where and what is
    // written) and its JPEG bytes; no bytes make a record without a picture, which readers
    // skip. Returns the entry as ReadCatalogue will see it. Raises ECatalogueError when the
    // show would grow past what 32-bit offsets can address.
    TSlideEntry AddSlide(const TSlideEntry& settings, std::span<const std::uint8_t> jpeg);

    void Finish();

private:
    TStream& stream_;
    std::int64_t headerOffset_ = 0;
    bool finished_ = false;
};

}  // namespace pellumo
