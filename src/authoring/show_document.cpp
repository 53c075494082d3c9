#include "authoring/show_document.h"

#include <algorithm>
#include <iterator>

#include "base/format.h"

namespace pellumo {
namespace {

using TDifference = std::vector<TDocumentSlide>::difference_type;

TDifference At(std::size_t index) { return static_cast<TDifference>(index); }

}  // namespace

TShowDocument& TShowDocument::operator=(const TShowDocument& other) {
    if (this != &other) {
        content_ = other.content_;
        Tell({dcReset});
    }
    return *this;
}

TShowDocument& TShowDocument::operator=(TShowDocument&& other) {
    if (this != &other) {
        content_ = std::move(other.content_);
        Tell({dcReset});
    }
    return *this;
}

const TDocumentSlide& TShowDocument::Slide(std::size_t index) const {
    CheckRange(index, 1, content_.slides.size());
    return content_.slides[index];
}

void TShowDocument::SetSource(std::string file, TSourceLines settingsLines, TSourceLines defaultsLines) {
    content_.sourceFile = std::move(file);
    content_.settingsLines = std::move(settingsLines);
    content_.defaultsLines = std::move(defaultsLines);
}

void TShowDocument::SetSettings(const TShowSettings& settings) {
    if (settings == content_.settings) return;
    content_.settings = settings;
    Tell({dcSettings});
}

void TShowDocument::SetDefaults(const TSlideValues& defaults) {
    if (defaults == content_.defaults) return;
    content_.defaults = defaults;
    Tell({dcDefaults});
}

void TShowDocument::InsertSlides(std::size_t at, std::vector<TDocumentSlide> slides) {
    CheckRange(at, 0, content_.slides.size());
    if (slides.empty()) return;
    const std::size_t count = slides.size();
    content_.slides.insert(content_.slides.begin() + At(at), std::make_move_iterator(slides.begin()),
                           std::make_move_iterator(slides.end()));
    Tell({dcSlidesInserted, at, count});
}

void TShowDocument::InsertSlide(std::size_t at, TDocumentSlide slide) {
    std::vector<TDocumentSlide> one;
    one.push_back(std::move(slide));
    InsertSlides(at, std::move(one));
}

void TShowDocument::RemoveSlides(std::size_t first, std::size_t count) {
    CheckRange(first, count, content_.slides.size());
    if (count == 0) return;
    content_.slides.erase(content_.slides.begin() + At(first), content_.slides.begin() + At(first + count));
    Tell({dcSlidesRemoved, first, count});
}

void TShowDocument::MoveSlides(std::size_t first, std::size_t count, std::size_t to) {
    std::vector<TDocumentSlide>& slides = content_.slides;
    CheckRange(first, count, slides.size());
    CheckRange(to, count, slides.size());
    if (count == 0 || to == first) return;
    const auto begin = slides.begin();
    if (to < first)
        std::rotate(begin + At(to), begin + At(first), begin + At(first + count));
    else
        std::rotate(begin + At(first), begin + At(first + count), begin + At(to + count));
    Tell({dcSlidesMoved, first, count, to});
}

void TShowDocument::SetSlide(std::size_t index, TDocumentSlide slide) {
    CheckRange(index, 1, content_.slides.size());
    const bool changed = !(slide == content_.slides[index]);
    content_.slides[index] = std::move(slide);
    if (changed) Tell({dcSlideChanged, index, 1});
}

void TShowDocument::SetSlidePicture(std::size_t index, std::string picture) {
    CheckRange(index, 1, content_.slides.size());
    if (picture == content_.slides[index].picture) return;
    content_.slides[index].picture = std::move(picture);
    Tell({dcSlideChanged, index, 1});
}

void TShowDocument::SetSlideValues(std::size_t index, const TSlideValues& values) {
    CheckRange(index, 1, content_.slides.size());
    if (values == content_.slides[index].values) return;
    content_.slides[index].values = values;
    Tell({dcSlideChanged, index, 1});
}

int TShowDocument::Subscribe(TDocumentListener listener) {
    listeners_.emplace_back(nextToken_, std::move(listener));
    return nextToken_++;
}

void TShowDocument::Unsubscribe(int token) {
    std::erase_if(listeners_, [token](const auto& listener) { return listener.first == token; });
}

void TShowDocument::CheckRange(std::size_t first, std::size_t count, std::size_t size) const {
    if (first > size || count > size - first)
        throw EDocumentError(Format("diapositives hors du diaporama : %s à partir de l'indice %s, sur %s",
                                    {std::to_string(count), std::to_string(first), std::to_string(size)}));
}

void TShowDocument::Tell(const TDocumentChange& change) {
    // Listeners may come and go while they are told: each one still subscribed is told once.
    std::vector<int> tokens;
    for (const auto& listener : listeners_) tokens.push_back(listener.first);
    for (const int token : tokens) {
        const auto found = std::find_if(listeners_.begin(), listeners_.end(),
                                        [token](const auto& listener) { return listener.first == token; });
        if (found == listeners_.end()) continue;
        const TDocumentListener listener = found->second;  // a copy: it may unsubscribe itself
        listener(change);
    }
}

}  // namespace pellumo
