#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "raster/graphic.h"

namespace pellumo {

// Kinds of content a format can carry (a set in one byte); recorded, never queried.
using TFormatKinds = std::uint8_t;
constexpr TFormatKinds fkAnimation = 1, fkLayered = 2, fkMultiImage = 4, fkRaster = 8, fkVector = 16;

struct TClassEntry {
    TGraphicClass ImageClass = nullptr;
    std::string Description;  // of the class as a whole
    int ExtensionCount = 0;   // extension entries that point here
};

struct TExtensionEntry {
    std::string Extension;  // without the dot, as registered
    std::string Description;
    TFormatKinds FormatKinds = 0;
    TClassEntry* ClassEntry = nullptr;
};

// The image library's extensions and the classes that load them, every registration mirrored
// into the picture registry of the raster layer. Not locked: registration runs at start-up
// and shut-down.
class TFileFormatList {
public:
    TFileFormatList() = default;
    ~TFileFormatList();  // RemoveAll
    TFileFormatList(const TFileFormatList&) = delete;
    TFileFormatList& operator=(const TFileFormatList&) = delete;

    // Position of the extension (ASCII letter case aside), or -1; -1 for an empty one.
    int IndexOfExtension(std::string_view extension) const;
    int IndexOfClass(TGraphicClass imageClass) const;

    // Registers one extension; an empty one does nothing. A registered extension raises
    // EInvalidGraphic "Attempt to register %s files twice." and changes nothing. A non-empty
    // common description becomes the class's; the picture registry gets the own description,
    // or else the class's.
    void AddFormat(std::string_view extension, std::string_view commonDescription, std::string_view ownDescription,
                   TFormatKinds formatKinds, TGraphicClass imageClass);
    // One extension, or with an empty one every extension of the class. The picture registry
    // forgets the class when its last extension goes, not before. A class that is not
    // registered, or an unknown extension, changes nothing.
    void RemoveFormat(std::string_view extension, TGraphicClass imageClass);
    // Unregisters every class from the picture registry and forgets everything.
    void RemoveAll();

    const std::vector<std::unique_ptr<TClassEntry>>& ClassEntries() const { return classEntries_; }
    const std::vector<std::unique_ptr<TExtensionEntry>>& ExtensionEntries() const { return extensionEntries_; }

private:
    void RemoveClassEntry(TClassEntry* entry);

    std::vector<std::unique_ptr<TClassEntry>> classEntries_;
    std::vector<std::unique_ptr<TExtensionEntry>> extensionEntries_;
};

// The image library's registry: empty until StartImageFormats, and again after StopImageFormats.
TFileFormatList& FormatRegistry();

// Registers the image library's formats, in the order of its start-up table, which the
// picture registry's descriptions follow from. While they are registered a second call does
// nothing.
void StartImageFormats();
// Removes the readers in the shut-down order, then everything else (bitmaps, icons,
// metafiles, JPEG images), so that the picture registry forgets every class, its own
// bmp/jpg/jpeg included. StartImageFormats may register them all again.
void StopImageFormats();

// The image library's formats for the guard's lifetime: a program's main holds one, so that
// they are registered before any picture loads and removed when the program ends.
class TImageFormatsGuard {
public:
    TImageFormatsGuard() { StartImageFormats(); }
    ~TImageFormatsGuard() { StopImageFormats(); }
    TImageFormatsGuard(const TImageFormatsGuard&) = delete;
    TImageFormatsGuard& operator=(const TImageFormatsGuard&) = delete;
};

}  // namespace pellumo
