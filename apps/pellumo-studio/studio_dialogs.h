#pragma once

#include <functional>

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QString>

class QWidget;

namespace pellumo {

// The file names the editor asks for.
enum class FileQuestion {
    OpenManifest,   // an existing .toml manifest
    SaveManifest,   // where to save the manifest
    OpenShow,       // an existing show file, to be taken apart
    ExtractFolder,  // where its pictures and manifest go (a new folder, or an existing one)
    BuildOutput,    // the show file to build
    VideoOutput,    // the video file to write (.mp4 or .webm)
};

// The questions the editor's file work asks: file names and messages, through Qt's dialogs
// parented to the window, or through hooks that tests put in their place.
class StudioDialogs {
    Q_DECLARE_TR_FUNCTIONS(StudioDialogs)

public:
    // The absolute path chosen, or an empty string when the person cancelled.
    using FileNameHook = std::function<QString(FileQuestion question, const QString& suggested)>;
    // The button pressed; a message that only informs is asked with QMessageBox::Ok.
    using QuestionHook =
        std::function<QMessageBox::StandardButton(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)>;

    explicit StudioDialogs(QWidget* window) : window_(window) {}

    // An empty hook brings the real dialog back.
    void SetFileNameHook(FileNameHook hook) { fileNameHook_ = std::move(hook); }
    void SetQuestionHook(QuestionHook hook) { questionHook_ = std::move(hook); }

    // An absolute path, or empty when the person cancelled.
    QString AskFileName(FileQuestion question, const QString& suggested) const;
    QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) const;
    void Tell(QMessageBox::Icon icon, const QString& text) const { Ask(icon, text, QMessageBox::Ok); }

private:
    QPointer<QWidget> window_;
    FileNameHook fileNameHook_;
    QuestionHook questionHook_;
};

}  // namespace pellumo
