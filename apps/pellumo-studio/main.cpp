// The editor: makes a show with the mouse.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QScreen>

#include "imaging/formats/format_registry.h"
#include "main_window.h"
#include "pellumo_version.h"
#include "raster/display.h"
#include "studio_files.h"
#include "studio_language.h"

namespace {

// The name of the installed desktop entry and of the icon: the desktop finds the window's by it.
const QString kDesktopId = QStringLiteral("org.pellumo.Studio");

void DescribeCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QCoreApplication::translate("StudioCommandLine", "Fait un diaporama à la souris."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QCoreApplication::translate("StudioCommandLine", "manifeste"),
                                 QCoreApplication::translate("StudioCommandLine", "Manifeste TOML à ouvrir"),
                                 QCoreApplication::translate("StudioCommandLine", "[manifeste]"));
}

// --version answers before Qt looks for a display, so that it works in any terminal. Qt's own
// options (-platform, ...) are only known to the application: a command line with them waits
// for it.
void AnswerVersionEarly(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    if (parser.parse(arguments) && parser.isSet(QStringLiteral("version"))) parser.showVersion();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication::setApplicationName(QStringLiteral("pellumo-studio"));
    QApplication::setApplicationVersion(QString::fromLatin1(pellumo::kPellumoVersion));
    AnswerVersionEarly(argc, argv);
    // Pictures of every format load from the first thumbnail on; declared before the
    // application, the guard removes the formats only once every window is gone.
    const pellumo::TImageFormatsGuard imageFormats;
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(kDesktopId);
    QApplication::setWindowIcon(QIcon::fromTheme(kDesktopId));
    pellumo::InstallTranslations(application);
    QCommandLineParser commandLine;
    DescribeCommandLine(commandLine);
    commandLine.process(application);  // ends the program on --help, --version or a wrong option
    if (const QScreen* screen = QGuiApplication::primaryScreen()) pellumo::SetDisplayBitsPerPixel(screen->depth());
    pellumo::MainWindow window;
    window.resize(1200, 800);
    window.show();
    if (const QStringList manifests = commandLine.positionalArguments(); !manifests.isEmpty())
        window.Files().OpenFile(manifests.first());
    return QApplication::exec();
}
