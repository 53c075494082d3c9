#include "platform/dialogs.h"

#include <filesystem>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/application.h"
#include "platform/form.h"

namespace pellumo {
namespace {

TDialogHook& Hook() {
    static TDialogHook hook;
    return hook;
}

std::string TitleOf(TMsgDlgType type) {
    switch (type) {
        case mtWarning: return "Avertissement";
        case mtError: return "Erreur";
        case mtInformation: return "Information";
        case mtConfirmation: return "Confirmation";
        case mtCustom: break;
    }
    return {};
}

QMessageBox::Icon IconOf(TMsgDlgType type) {
    switch (type) {
        case mtWarning: return QMessageBox::Warning;
        case mtError: return QMessageBox::Critical;
        case mtInformation: return QMessageBox::Information;
        case mtConfirmation: return QMessageBox::Question;
        case mtCustom: break;
    }
    return QMessageBox::NoIcon;
}

TSaveDialogHook& SaveHook() {
    static TSaveDialogHook hook;
    return hook;
}

// A dialog belongs to the show's window, so that a window manager keeps it above that window
// even while it covers the screen; without one, to the window in front.
QWidget* DialogParent() {
    if (Application != nullptr && Application->MainForm() != nullptr && Application->MainForm()->Showing())
        return Application->MainForm()->Widget();
    return QApplication::activeWindow();
}

TModalResult Ask(const TDialogRequest& request) {
    if (Hook()) return Hook()(request);
    // Texts break lines with carriage returns, which Qt does not show as breaks.
    QString text = QString::fromStdString(request.Text);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(IconOf(request.Type), QString::fromStdString(request.Title), text, QMessageBox::NoButton,
                    DialogParent());
    struct Choice {
        TMsgDlgBtn button;
        const char* caption;
        QMessageBox::ButtonRole role;
        TModalResult result;
    };
    const Choice choices[] = {
        {mbYes, "&Oui", QMessageBox::YesRole, mrYes},
        {mbNo, "&Non", QMessageBox::NoRole, mrNo},
        {mbOK, "OK", QMessageBox::AcceptRole, mrOk},
        {mbCancel, "Annuler", QMessageBox::RejectRole, mrCancel},
    };
    std::vector<std::pair<QAbstractButton*, TModalResult>> buttons;
    for (const Choice& c : choices)
        if (request.Buttons & c.button) buttons.emplace_back(box.addButton(c.caption, c.role), c.result);
    box.exec();
    for (const auto& [button, result] : buttons)
        if (box.clickedButton() == button) return result;
    return mrCancel;
}

// "Images JPEG|*.jpg|Tous|*.*" as Qt writes it: "Images JPEG (*.jpg);;Tous (*.*)".
QString QtFilterOf(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        pairs << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return pairs.join(QStringLiteral(";;"));
}

std::optional<std::string> AskFileName(const TSaveDialogRequest& request) {
    if (SaveHook()) return SaveHook()(request);
    // Qt's own dialog rather than the desktop's: it speaks French like the rest of the program,
    // and stays with the show's window.
    QFileDialog dialog(DialogParent(), QStringLiteral("Enregistrer sous"), QString(), QtFilterOf(request.Filter));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Our own words, so that they stay French also where Qt's translation is missing.
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Enregistrer dans :"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nom du fichier :"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Type :"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Enregistrer"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Annuler"));
    if (!request.FileName.empty()) dialog.selectFile(QString::fromStdString(request.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace

void SetSaveDialogHook(TSaveDialogHook hook) { SaveHook() = std::move(hook); }

bool TSaveDialog::Execute() {
    std::optional<std::string> chosen = AskFileName({filter_, defaultExt_, fileName_});
    if (!chosen || chosen->empty()) return false;
    const std::filesystem::path path(*chosen);
    if (!path.has_extension() && !defaultExt_.empty()) *chosen += "." + defaultExt_;
    fileName_ = std::move(*chosen);
    return true;
}

void SetDialogHook(TDialogHook hook) { Hook() = std::move(hook); }

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int /*helpContext*/) {
    return Ask({TitleOf(type), text, type, buttons});
}

TModalResult ShowMessageBox(const std::string& title, const std::string& text, TMsgDlgType type) {
    return Ask({title, text, type, mbOK});
}

}  // namespace pellumo
