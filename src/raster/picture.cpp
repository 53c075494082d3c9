#include "raster/picture.h"

#include <algorithm>
#include <mutex>

#include "base/format.h"
#include "base/same_text.h"
#include "raster/bitmap.h"
#include "raster/jpeg_image.h"
#include "raster/raster_messages.h"

namespace pellumo {
namespace {

std::string_view WithoutDot(std::string_view extension) {
    return !extension.empty() && extension.front() == '.' ? extension.substr(1) : extension;
}

// Registration happens at start-up and shut-down, lookups whenever a picture loads; the lock
// keeps a lookup on another thread from seeing a half-changed list.
struct Registry {
    std::mutex lock;
    std::vector<TFileFormat> formats = {
        {"bmp", "Windows bitmaps", TBitmap::StaticClass()},
        {"jpg", "JPG images", TJPEGImage::StaticClass()},
        {"jpeg", "JPEG images", TJPEGImage::StaticClass()},
    };
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

std::string FileExtension(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return fileName.substr(dot + 1);
}

TPicture::~TPicture() = default;

void TPicture::Hook() {
    if (graphic_) graphic_->OnChange = [this](TGraphic&) { Changed(); };
}

void TPicture::Changed() {
    if (OnChange) OnChange(*this);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
    Hook();
    Changed();
}

void TPicture::Assign(const TPicture& source) {
    if (&source == this) return;
    if (source.graphic_) Assign(*source.graphic_);
    else SetGraphic(nullptr);
}

void TPicture::Assign(const TGraphic& source) {
    if (&source == graphic_.get()) return;
    std::unique_ptr<TGraphic> copy = source.ClassType()->Create();
    copy->Assign(source);
    SetGraphic(std::move(copy));
}

TBitmap& TPicture::Bitmap() {
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get())) return *bitmap;
    SetGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap&>(*graphic_);
}

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }

int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string extension = FileExtension(fileName);
    const TGraphicClass graphicClass = FindGraphicClass(extension);
    if (graphicClass == nullptr)
        throw EInvalidGraphic(Format(raster_messages::kUnknownExtension, {extension}));
    std::unique_ptr<TGraphic> graphic = graphicClass->Create();
    graphic->LoadFromFile(fileName);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) const {
    if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::RegisterFileFormat(std::string_view extension, std::string_view description,
                                  TGraphicClass graphicClass) {
    extension = WithoutDot(extension);
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    std::erase_if(registry.formats, [&](const TFileFormat& f) { return SameText(f.Extension, extension); });
    registry.formats.push_back({std::string(extension), std::string(description), graphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    std::erase_if(registry.formats, [&](const TFileFormat& f) { return f.GraphicClass == graphicClass; });
}

TGraphicClass TPicture::GraphicClassOfFile(const std::string& fileName) {
    const std::string extension = FileExtension(fileName);
    return extension.empty() ? nullptr : FindGraphicClass(extension);
}

TGraphicClass TPicture::FindGraphicClass(std::string_view extension) {
    extension = WithoutDot(extension);
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    for (const TFileFormat& f : registry.formats)
        if (SameText(f.Extension, extension)) return f.GraphicClass;
    return nullptr;
}

std::vector<TFileFormat> TPicture::FileFormats() {
    Registry& registry = TheRegistry();
    std::lock_guard guard(registry.lock);
    return registry.formats;
}

std::string TPicture::GraphicFilter(TGraphicClass graphicClass) {
    std::string patterns;
    std::string pairs;
    for (const TFileFormat& f : FileFormats()) {
        if (graphicClass != nullptr && f.GraphicClass != graphicClass) continue;
        const std::string pattern = "*." + f.Extension;
        patterns += (patterns.empty() ? "" : ";") + pattern;
        pairs += "|" + f.Description + " (" + pattern + ")|" + pattern;
    }
    return "Tous (" + patterns + ")|" + patterns + pairs;
}

}  // namespace pellumo
