// The editor speaks English on an English system and French anywhere else: the whole start-up
// runs in a child process with the system's language set as a user's session sets it.
#include "studio_language.h"

#include <gtest/gtest.h>

#include <iostream>

#include <QAction>
#include <QCoreApplication>
#include <QProcess>

#include "main_window.h"

namespace pellumo {
namespace {

// Run only by the test below, in a child process.
TEST(StudioLanguage, DISABLED_PrintQuitActionText) {
    InstallTranslations(*QCoreApplication::instance());
    const MainWindow window;
    std::cout << "quit=" << window.QuitAction()->text().toStdString() << '\n';
}

TEST(StudioLanguage, EnglishSystemsGetTheEnglishTranslationAndOthersFrench) {
    struct {
        const char* lang;
        const char* quit;
    } const cases[] = {{"en_US.UTF-8", "&Quit"},    {"en_GB.UTF-8", "&Quit"}, {"fr_FR.UTF-8", "&Quitter"},
                       {"de_DE.UTF-8", "&Quitter"}, {"C", "&Quitter"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lang);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* overriding : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) environment.remove(overriding);
        environment.insert("LANG", c.lang);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_also_run_disabled_tests", "--gtest_filter=StudioLanguage.DISABLED_PrintQuitActionText"});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0);
        const QString output = QString::fromUtf8(child.readAllStandardOutput());
        EXPECT_TRUE(output.contains(QStringLiteral("quit=%1\n").arg(QString::fromUtf8(c.quit)))) << output.toStdString();
    }
}

}  // namespace
}  // namespace pellumo
