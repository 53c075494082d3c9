#include "studio_document.h"

#include <QUndoCommand>

#include <algorithm>
#include <utility>

namespace pellumo {
namespace {

// A step over the slides, carried out with the document's own operations, so that views hear
// "inserted", "removed" or "moved", not a reset.
class SlidesCommand : public QUndoCommand {
public:
    using Step = std::function<void(TShowDocument&)>;
    SlidesCommand(TShowDocument& show, Step redo, Step undo, const QString& text)
        : QUndoCommand(text), show_(show), redo_(std::move(redo)), undo_(std::move(undo)) {}
    void redo() override { redo_(show_); }
    void undo() override { undo_(show_); }

private:
    TShowDocument& show_;
    Step redo_;
    Step undo_;
};

// Sets values from one state to the other and back: the slides' own values, the defaults or
// the settings.
template <typename Value>
class ValuesCommand : public QUndoCommand {
public:
    using Apply = std::function<void(const Value&)>;
    ValuesCommand(Value before, Value after, Apply apply, const QString& text)
        : QUndoCommand(text), before_(std::move(before)), after_(std::move(after)), apply_(std::move(apply)) {}
    void redo() override { apply_(after_); }
    void undo() override { apply_(before_); }

private:
    Value before_;
    Value after_;
    Apply apply_;
};

std::vector<std::size_t> SortedUnique(std::vector<std::size_t> indices, std::size_t count) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    indices.erase(std::remove_if(indices.begin(), indices.end(), [count](std::size_t i) { return i >= count; }),
                  indices.end());
    return indices;
}

// Removes the slides at the sorted indices, last first, so that every index still holds.
void RemoveAt(TShowDocument& show, const std::vector<std::size_t>& sorted) {
    for (auto index = sorted.rbegin(); index != sorted.rend(); ++index) show.RemoveSlides(*index, 1);
}

// Puts the slides back at the sorted indices, first first.
void InsertAt(TShowDocument& show, const std::vector<std::size_t>& sorted, const std::vector<TDocumentSlide>& slides) {
    for (std::size_t k = 0; k < sorted.size(); ++k) show.InsertSlide(sorted[k], slides[k]);
}

// Puts the slide that is at order[p] at p, for every p, moving one slide at a time to its place
// from the left: every move is one the views can follow.
void Reorder(TShowDocument& show, const std::vector<std::size_t>& order) {
    std::vector<std::size_t> places(order.size());
    for (std::size_t k = 0; k < places.size(); ++k) places[k] = k;  // the slide now at k was at places[k]
    for (std::size_t p = 0; p < order.size(); ++p) {
        const auto found = std::find(places.begin() + static_cast<std::ptrdiff_t>(p), places.end(), order[p]);
        const auto from = static_cast<std::size_t>(found - places.begin());
        if (from == p) continue;
        show.MoveSlides(from, 1, p);
        places.erase(found);
        places.insert(places.begin() + static_cast<std::ptrdiff_t>(p), order[p]);
    }
}

}  // namespace

StudioDocument::StudioDocument(QObject* parent) : QObject(parent) {
    connect(&undoStack_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit ModifiedChanged(!clean); });
}

StudioDocument::~StudioDocument() = default;

void StudioDocument::Replace(const TShowDocument& show, const QString& filePath) {
    undoStack_.clear();
    show_ = show;
    MarkSaved(filePath);
}

void StudioDocument::MarkSaved(const QString& filePath) {
    undoStack_.setClean();
    if (filePath_ == filePath) return;
    filePath_ = filePath;
    emit FilePathChanged(filePath_);
}

void StudioDocument::InsertSlides(std::size_t at, std::vector<TDocumentSlide> slides, const QString& text) {
    if (slides.empty()) return;
    at = std::min(at, show_.SlideCount());
    const std::size_t count = slides.size();
    undoStack_.push(new SlidesCommand(
        show_, [at, slides = std::move(slides)](TShowDocument& show) { show.InsertSlides(at, slides); },
        [at, count](TShowDocument& show) { show.RemoveSlides(at, count); }, text));
}

void StudioDocument::RemoveSlides(std::vector<std::size_t> indices) {
    const std::vector<std::size_t> sorted = SortedUnique(std::move(indices), show_.SlideCount());
    if (sorted.empty()) return;
    std::vector<TDocumentSlide> removed;
    for (const std::size_t index : sorted) removed.push_back(show_.Slide(index));
    undoStack_.push(new SlidesCommand(
        show_, [sorted](TShowDocument& show) { RemoveAt(show, sorted); },
        [sorted, removed](TShowDocument& show) { InsertAt(show, sorted, removed); },
        sorted.size() == 1 ? tr("Supprimer la diapositive") : tr("Supprimer %n diapositives", nullptr, static_cast<int>(sorted.size()))));
}

void StudioDocument::DuplicateSlides(std::vector<std::size_t> indices) {
    const std::vector<std::size_t> sorted = SortedUnique(std::move(indices), show_.SlideCount());
    if (sorted.empty()) return;
    std::vector<TDocumentSlide> copies;
    for (const std::size_t index : sorted) copies.push_back(show_.Slide(index));
    InsertSlides(sorted.back() + 1, std::move(copies),
                 sorted.size() == 1 ? tr("Dupliquer la diapositive") : tr("Dupliquer %n diapositives", nullptr, static_cast<int>(sorted.size())));
}

void StudioDocument::MoveSlides(std::vector<std::size_t> indices, std::size_t before) {
    const std::vector<std::size_t> sorted = SortedUnique(std::move(indices), show_.SlideCount());
    if (sorted.empty()) return;
    before = std::min(before, show_.SlideCount());
    // Where the first moved slide lands, counted in the list without the moved ones.
    const std::size_t movedBefore = static_cast<std::size_t>(
        std::count_if(sorted.begin(), sorted.end(), [before](std::size_t i) { return i < before; }));
    const std::size_t landing = before - movedBefore;
    bool unchanged = true;
    for (std::size_t k = 0; k < sorted.size(); ++k) unchanged = unchanged && sorted[k] == landing + k;
    if (unchanged) return;
    // The new order, as the old places of the slides: the others, with the moved ones together.
    std::vector<std::size_t> order;
    for (std::size_t index = 0; index < show_.SlideCount(); ++index)
        if (!std::binary_search(sorted.begin(), sorted.end(), index)) order.push_back(index);
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(landing), sorted.begin(), sorted.end());
    std::vector<std::size_t> inverse(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) inverse[order[k]] = k;
    const auto redo = [order](TShowDocument& show) { Reorder(show, order); };
    const auto undo = [inverse](TShowDocument& show) { Reorder(show, inverse); };
    undoStack_.push(new SlidesCommand(show_, redo, undo,
                                      sorted.size() == 1 ? tr("Déplacer la diapositive")
                                                         : tr("Déplacer %n diapositives", nullptr, static_cast<int>(sorted.size()))));
}

void StudioDocument::ChangeSlides(std::vector<std::size_t> indices, const std::function<void(TSlideValues&)>& change,
                                  const QString& text) {
    const std::vector<std::size_t> sorted = SortedUnique(std::move(indices), show_.SlideCount());
    std::vector<TSlideValues> before, after;
    for (const std::size_t index : sorted) {
        before.push_back(show_.Slide(index).values);
        after.push_back(before.back());
        change(after.back());
    }
    if (before == after) return;
    undoStack_.push(new ValuesCommand<std::vector<TSlideValues>>(
        std::move(before), std::move(after),
        [this, sorted](const std::vector<TSlideValues>& values) {
            for (std::size_t k = 0; k < sorted.size(); ++k) show_.SetSlideValues(sorted[k], values[k]);
        },
        text));
}

void StudioDocument::ChangeDefaults(const std::function<void(TSlideValues&)>& change, const QString& text) {
    TSlideValues after = show_.Defaults();
    change(after);
    if (after == show_.Defaults()) return;
    undoStack_.push(new ValuesCommand<TSlideValues>(
        show_.Defaults(), std::move(after), [this](const TSlideValues& values) { show_.SetDefaults(values); }, text));
}

void StudioDocument::ChangeSettings(const std::function<void(TShowSettings&)>& change, const QString& text) {
    TShowSettings after = show_.Settings();
    change(after);
    if (after == show_.Settings()) return;
    undoStack_.push(new ValuesCommand<TShowSettings>(
        show_.Settings(), std::move(after), [this](const TShowSettings& settings) { show_.SetSettings(settings); },
        text));
}

}  // namespace pellumo
