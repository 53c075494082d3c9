// The platform's dialogs as a person meets them: in French, and owned by the show's window so
// that a window manager keeps them above it.
#include "platform/dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <unistd.h>

#include "dialog_hooks.h"
#include "modal_dialogs.h"
#include "platform/application.h"
#include "platform/form.h"

namespace pellumo {
namespace {

QStringList ButtonTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        if (button->isVisible() && !button->text().isEmpty()) texts << button->text();
    texts.sort();
    return texts;
}

bool QtSpeaksFrench() {
    return QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_fr.qm"));
}

class DialogsTest : public ::testing::Test {
protected:
    TForm* form = nullptr;

    void SetUp() override {
        form = &Application->CreateForm<TForm>();
        form->SetBounds(0, 0, 320, 240);
        form->Show();
        SetDialogHook(nullptr);
    }
    void TearDown() override {
        FailOnUnexpectedDialogs();
        Application->DestroyForm(*form);
    }
};

TEST_F(DialogsTest, AMessageBoxIsTheWindowsChildAndSpeaksFrench) {
    QWidget* parent = nullptr;
    QString title;
    QStringList buttons;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
        parent = box.parentWidget();
        title = box.windowTitle();
        buttons = ButtonTexts(box);
        for (QAbstractButton* button : box.buttons())
            if (button->text() == QStringLiteral("Annuler")) button->click();
    });
    EXPECT_EQ(MessageDlg("Quitter le diaporama ?", mtConfirmation, mbYes | mbCancel, 0), mrCancel);
    EXPECT_EQ(parent, form->Widget());
    EXPECT_EQ(title, QStringLiteral("Confirmation"));
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("&Oui"), QStringLiteral("Annuler")}));
}

TEST_F(DialogsTest, TheSaveDialogIsTheWindowsChildSpeaksFrenchAndAddsTheExtension) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pellumo-dialogs-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    TSaveDialog save;
    save.SetFilter("Images JPEG|*.jpg");
    save.SetDefaultExt("jpg");
    save.SetFileName((folder / "copie").string());
    QWidget* parent = nullptr;
    QString title, newFolderTip;
    QStringList buttons, labels;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        parent = dialog.parentWidget();
        title = dialog.windowTitle();
        buttons = ButtonTexts(dialog);
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            if (label->isVisible()) labels << label->text();
        if (const auto* newFolder = dialog.findChild<QToolButton*>(QStringLiteral("newFolderButton")))
            newFolderTip = newFolder->toolTip();
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
            if (button->text() == QStringLiteral("Enregistrer")) button->click();
    });
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName(), (folder / "copie.jpg").string());
    EXPECT_EQ(parent, form->Widget());
    EXPECT_EQ(title, QStringLiteral("Enregistrer sous"));
    EXPECT_TRUE(buttons.contains(QStringLiteral("Enregistrer"))) << buttons.join(u',').toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Annuler"))) << buttons.join(u',').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Nom du fichier :"))) << labels.join(u',').toStdString();
    // What Qt words itself comes from its French translation, when that is installed.
    if (QtSpeaksFrench()) {
        EXPECT_FALSE(newFolderTip.isEmpty());
        EXPECT_NE(newFolderTip, QStringLiteral("Create New Folder"));
    } else {
        std::cerr << "Qt's French translation is not installed: Qt's own words stay English\n";
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pellumo
