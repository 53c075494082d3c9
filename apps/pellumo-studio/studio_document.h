#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstddef>
#include <functional>
#include <vector>

#include "authoring/show_document.h"

namespace pellumo {

// The show being edited, its file and its history. Every edit goes through here as one step
// of the undo stack, so undo and redo cover all of them; views follow the show through its
// change notifications (Subscribe), never by being told by the code that edits.
class StudioDocument : public QObject {
    Q_OBJECT

public:
    explicit StudioDocument(QObject* parent = nullptr);
    ~StudioDocument() override;

    const TShowDocument& Show() const { return show_; }
    int Subscribe(TDocumentListener listener) { return show_.Subscribe(std::move(listener)); }
    void Unsubscribe(int token) { show_.Unsubscribe(token); }

    QUndoStack& UndoStack() { return undoStack_; }

    // The manifest the show is saved in; empty for a show never saved.
    const QString& FilePath() const { return filePath_; }
    // Unsaved changes: edits since the show was opened or last saved.
    bool IsModified() const { return !undoStack_.isClean(); }

    // A new show, opened or made: no history, nothing unsaved.
    void Replace(const TShowDocument& show, const QString& filePath);
    // The show was written to `filePath`: what is there now is saved.
    void MarkSaved(const QString& filePath);

    // Each of these is one undoable step, named by `text` in the Edit menu.
    void InsertSlides(std::size_t at, std::vector<TDocumentSlide> slides, const QString& text);
    // Any selection, in any order; nothing for an empty one.
    void RemoveSlides(std::vector<std::size_t> indices);
    // Copies of the slides, each right after the last of them.
    void DuplicateSlides(std::vector<std::size_t> indices);
    // The slides, in their order, moved together so that they stand before the slide that is
    // now at `before` (SlideCount() for the end).
    void MoveSlides(std::vector<std::size_t> indices, std::size_t before);
    // The same change made to the own values of each slide: one step for all of them.
    void ChangeSlides(std::vector<std::size_t> indices, const std::function<void(TSlideValues&)>& change,
                      const QString& text);
    void ChangeDefaults(const std::function<void(TSlideValues&)>& change, const QString& text);
    void ChangeSettings(const std::function<void(TShowSettings&)>& change, const QString& text);

signals:
    void ModifiedChanged(bool modified);
    void FilePathChanged(const QString& filePath);

private:
    TShowDocument show_;
    QUndoStack undoStack_;
    QString filePath_;
};

}  // namespace pellumo
