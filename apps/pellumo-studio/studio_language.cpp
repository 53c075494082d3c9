#include "studio_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace pellumo {

StudioLanguage LanguageFor(const QLocale& locale) {
    // The first of the languages the user asked for (LANGUAGE, then LC_ALL, LC_MESSAGES, LANG).
    const QStringList languages = locale.uiLanguages();
    const QLocale first = languages.isEmpty() ? locale : QLocale(languages.first());
    return first.language() == QLocale::English ? StudioLanguage::English : StudioLanguage::French;
}

StudioLanguage InstallTranslations(QCoreApplication& application, const QLocale& locale) {
    auto* translator = new QTranslator(&application);
    if (LanguageFor(locale) == StudioLanguage::English) {
        // Compiled into the program from translations/pellumo-studio_en.ts.
        if (translator->load(QStringLiteral(":/i18n/pellumo-studio_en.qm")) &&
            QCoreApplication::installTranslator(translator))
            return StudioLanguage::English;
        delete translator;
        return StudioLanguage::French;
    }
    const QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    if (translator->load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
    return StudioLanguage::French;
}

}  // namespace pellumo
