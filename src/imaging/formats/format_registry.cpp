#include "imaging/formats/format_registry.h"

#include <algorithm>

#include "base/same_text.h"
#include "imaging/image_messages.h"
#include "raster/picture.h"

namespace pellumo {

TFileFormatList::~TFileFormatList() { RemoveAll(); }

int TFileFormatList::IndexOfExtension(std::string_view extension) const {
    if (extension.empty()) return -1;
    for (std::size_t i = 0; i < extensionEntries_.size(); ++i)
        if (SameText(extensionEntries_[i]->Extension, extension)) return static_cast<int>(i);
    return -1;
}

int TFileFormatList::IndexOfClass(TGraphicClass imageClass) const {
    for (std::size_t i = 0; i < classEntries_.size(); ++i)
        if (classEntries_[i]->ImageClass == imageClass) return static_cast<int>(i);
    return -1;
}

void TFileFormatList::AddFormat(std::string_view extension, std::string_view commonDescription,
                                std::string_view ownDescription, TFormatKinds formatKinds, TGraphicClass imageClass) {
    if (extension.empty()) return;
    if (IndexOfExtension(extension) >= 0) RaiseImageError(image_messages::kRegisteredTwice, extension);
    auto entry = std::make_unique<TExtensionEntry>();
    entry->Extension = extension;
    entry->Description = ownDescription;
    entry->FormatKinds = formatKinds;

    const int classIndex = IndexOfClass(imageClass);
    TClassEntry* classEntry = nullptr;
    if (classIndex >= 0) {
        classEntry = classEntries_[static_cast<std::size_t>(classIndex)].get();
    } else {
        classEntries_.push_back(std::make_unique<TClassEntry>(TClassEntry{imageClass, {}, 0}));
        classEntry = classEntries_.back().get();
    }
    if (!commonDescription.empty()) classEntry->Description = commonDescription;
    ++classEntry->ExtensionCount;
    entry->ClassEntry = classEntry;
    extensionEntries_.push_back(std::move(entry));
    TPicture::RegisterFileFormat(extension, ownDescription.empty() ? classEntry->Description : ownDescription,
                                 imageClass);
}

void TFileFormatList::RemoveClassEntry(TClassEntry* entry) {
    TPicture::UnregisterGraphicClass(entry->ImageClass);
    std::erase_if(classEntries_, [&](const auto& e) { return e.get() == entry; });
}

void TFileFormatList::RemoveFormat(std::string_view extension, TGraphicClass imageClass) {
    if (!extension.empty()) {
        const int index = IndexOfExtension(extension);
        if (index < 0) return;
        const auto position = extensionEntries_.begin() + index;
        TClassEntry* classEntry = (*position)->ClassEntry;
        extensionEntries_.erase(position);
        if (--classEntry->ExtensionCount == 0) RemoveClassEntry(classEntry);
        return;
    }
    const int classIndex = IndexOfClass(imageClass);
    if (classIndex < 0) return;
    TClassEntry* classEntry = classEntries_[static_cast<std::size_t>(classIndex)].get();
    for (std::size_t i = extensionEntries_.size(); i-- > 0 && classEntry->ExtensionCount > 0;) {
        if (extensionEntries_[i]->ClassEntry != classEntry) continue;
        extensionEntries_.erase(extensionEntries_.begin() + static_cast<std::ptrdiff_t>(i));
        --classEntry->ExtensionCount;
    }
    RemoveClassEntry(classEntry);
}

void TFileFormatList::RemoveAll() {
    for (const auto& entry : classEntries_) TPicture::UnregisterGraphicClass(entry->ImageClass);
    classEntries_.clear();
    extensionEntries_.clear();
}

}  // namespace pellumo
