#include "picture_output.h"

#include <memory>

#include "authoring/option_values.h"
#include "authoring/output_guard.h"
#include "base/format.h"
#include "base/memory_stream.h"
#include "base/replace_file.h"
#include "raster/picture.h"

namespace pellumo {
namespace {

// The class that writes the extension's own format, or nullptr: an unknown extension, or a
// format that is only read.
TGraphicClass WritingClass(const std::string& extension) {
    if (extension.empty()) return nullptr;
    const TGraphicClass graphicClass = TPicture::FindGraphicClass(extension);
    return graphicClass != nullptr && graphicClass->Writes ? graphicClass : nullptr;
}

[[noreturn]] void RefuseExtension(const std::string& output, const std::string& extension) {
    if (extension.empty())
        throw EOptionError(Format("%s : sans extension, le format à écrire est inconnu (%s)",
                                  {output, WrittenPictureExtensions()}));
    throw EOptionError(Format("%s : l'extension « .%s » ne désigne aucun format que pellumo-pack écrit (%s)",
                              {output, extension, WrittenPictureExtensions()}));
}

}  // namespace

std::string WrittenPictureExtensions() {
    std::string names;
    for (const TFileFormat& format : TPicture::FileFormats())
        if (format.GraphicClass->Writes) names += (names.empty() ? "" : ", ") + format.Extension;
    return names;
}

void CheckPictureOutput(const std::string& output, const std::vector<std::string>& inputs, bool force) {
    const std::string extension = FileExtension(output);
    if (WritingClass(extension) == nullptr) RefuseExtension(output, extension);
    CheckOutputTarget(output, inputs, force);
}

void SavePictureFile(const TBitmap& bitmap, const std::string& output) {
    const std::string extension = FileExtension(output);
    const TGraphicClass graphicClass = WritingClass(extension);
    if (graphicClass == nullptr) RefuseExtension(output, extension);
    std::unique_ptr<TGraphic> graphic = graphicClass->Create();
    graphic->Assign(bitmap);
    // Encoded whole before the file is touched: a picture the format cannot hold (an icon
    // beyond 256 pixels) fails here and leaves nothing behind.
    TMemoryStream bytes;
    try {
        graphic->SaveToStream(bytes);
    } catch (const Exception& e) {
        throw EConvertError(output + " : image impossible à écrire dans ce format (" + e.Message() + ")");
    }
    if (bytes.Bytes().empty()) throw EConvertError(output + " : image vide, rien à écrire");
    WriteFileReplacing(output, bytes.Bytes());
}

}  // namespace pellumo
