#include "studio_dialogs.h"

#include <utility>

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace pellumo {
namespace {

// Qt's words for the standard buttons are only French when its translation is installed.
void NameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, QString> names[] = {
        {QMessageBox::Save, StudioDialogs::tr("Enregistrer")},
        {QMessageBox::Discard, StudioDialogs::tr("Ne pas enregistrer")},
        {QMessageBox::Cancel, StudioDialogs::tr("Annuler")},
        {QMessageBox::Yes, StudioDialogs::tr("Remplacer")},
        {QMessageBox::Ok, StudioDialogs::tr("OK")},
    };
    for (const auto& [button, name] : names)
        if (QAbstractButton* shown = box.button(button)) shown->setText(name);
}

QMessageBox::StandardButton AskWithBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                       QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QStringLiteral("Pellumo Studio"), text, buttons, parent);
    // A long list of faults stays readable: the first ones shown, all of them a click away.
    constexpr int kShownLines = 20;
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kShownLines) {
        box.setText(lines.mid(0, kShownLines).join(QLatin1Char('\n')) + QStringLiteral("\n…"));
        box.setDetailedText(text);
    }
    NameButtons(box);
    if (buttons & QMessageBox::Save) box.setDefaultButton(QMessageBox::Save);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString AskWithFileDialog(QWidget* parent, FileQuestion question, const QString& suggested) {
    const QString manifests = StudioDialogs::tr("Manifestes de diaporama (*.toml)");
    QFileDialog dialog(parent);
    dialog.setDirectory(QFileInfo(suggested).absolutePath());
    switch (question) {
        case FileQuestion::OpenManifest:
            dialog.setWindowTitle(StudioDialogs::tr("Ouvrir un manifeste"));
            dialog.setNameFilters({manifests, StudioDialogs::tr("Tous les fichiers (*)")});
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case FileQuestion::SaveManifest:
            dialog.setWindowTitle(StudioDialogs::tr("Enregistrer le diaporama"));
            dialog.setNameFilter(manifests);
            dialog.setDefaultSuffix(QStringLiteral("toml"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            break;
        case FileQuestion::OpenShow:
            dialog.setWindowTitle(StudioDialogs::tr("Ouvrir un diaporama"));
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case FileQuestion::ExtractFolder:
            // A save dialog, so that the suggested new folder is offered by name.
            dialog.setWindowTitle(StudioDialogs::tr("Dossier où écrire les images et le manifeste"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
            dialog.setLabelText(QFileDialog::Accept, StudioDialogs::tr("Extraire"));
            break;
        case FileQuestion::BuildOutput:
            dialog.setWindowTitle(StudioDialogs::tr("Construire le diaporama"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setLabelText(QFileDialog::Accept, StudioDialogs::tr("Construire"));
            break;
        case FileQuestion::VideoOutput:
            dialog.setWindowTitle(StudioDialogs::tr("Exporter une vidéo"));
            dialog.setNameFilters(
                {StudioDialogs::tr("Vidéo MP4, H.264 (*.mp4)"), StudioDialogs::tr("Vidéo WebM, VP9 (*.webm)")});
            dialog.setDefaultSuffix(QStringLiteral("mp4"));
            // A name typed without its extension takes the kind of video chosen.
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
                dialog.setDefaultSuffix(filter.contains(QStringLiteral("*.webm")) ? QStringLiteral("webm")
                                                                                   : QStringLiteral("mp4"));
            });
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setLabelText(QFileDialog::Accept, StudioDialogs::tr("Exporter"));
            break;
    }
    if (!suggested.isEmpty() && dialog.acceptMode() == QFileDialog::AcceptSave)
        dialog.selectFile(QFileInfo(suggested).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

QString StudioDialogs::AskFileName(FileQuestion question, const QString& suggested) const {
    const QString chosen = fileNameHook_ ? fileNameHook_(question, suggested) : AskWithFileDialog(window_, question, suggested);
    return chosen.isEmpty() ? chosen : QFileInfo(chosen).absoluteFilePath();
}

QMessageBox::StandardButton StudioDialogs::Ask(QMessageBox::Icon icon, const QString& text,
                                               QMessageBox::StandardButtons buttons) const {
    return questionHook_ ? questionHook_(icon, text, buttons) : AskWithBox(window_, icon, text, buttons);
}

}  // namespace pellumo
