// The editor: makes a show with the mouse.
#include <QApplication>
#include <QScreen>

#include "imaging/formats/format_registry.h"
#include "main_window.h"
#include "studio_files.h"
#include "raster/display.h"
#include "studio_language.h"

int main(int argc, char** argv) {
    // Pictures of every format load from the first thumbnail on; declared before the
    // application, the guard removes the formats only once every window is gone.
    const pellumo::TImageFormatsGuard imageFormats;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pellumo-studio"));
    pellumo::InstallTranslations(application);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) pellumo::SetDisplayBitsPerPixel(screen->depth());
    pellumo::MainWindow window;
    window.resize(1200, 800);
    window.show();
    // pellumo-studio FILE.toml opens that manifest.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window.Files().OpenFile(arguments.at(1));
    return QApplication::exec();
}
