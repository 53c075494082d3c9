#pragma once

#include <QLocale>

class QCoreApplication;

namespace pellumo {

// The editor's texts are written in French; it speaks English when that is the system's
// first language, and French otherwise, as the player always does.
enum class StudioLanguage { French, English };

StudioLanguage LanguageFor(const QLocale& locale);

// Installs the translations of the locale's language into the application, as its children:
// for English the editor's own translation; for French Qt's French texts (dialogs, standard
// buttons), when installed. Returns the language chosen.
StudioLanguage InstallTranslations(QCoreApplication& application, const QLocale& locale = QLocale::system());

}  // namespace pellumo
