#include "platform/dialogs.h"

#include <QMessageBox>
#include <QPushButton>

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

TModalResult Ask(const TDialogRequest& request) {
    if (Hook()) return Hook()(request);
    QMessageBox box(IconOf(request.Type), QString::fromStdString(request.Title), QString::fromStdString(request.Text));
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

}  // namespace

void SetDialogHook(TDialogHook hook) { Hook() = std::move(hook); }

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int /*helpContext*/) {
    return Ask({TitleOf(type), text, type, buttons});
}

TModalResult ShowMessageBox(const std::string& title, const std::string& text, TMsgDlgType type) {
    return Ask({title, text, type, mbOK});
}

}  // namespace pellumo
