// The player: a program that carries its own show and plays it full screen.
#include "base/large_buffers.h"
#include "imaging/formats/format_registry.h"
#include "platform/application.h"
#include "player/main_form.h"

int main(int argc, char** argv) {
    // The arguments only reach Qt (for instance -platform); the player reads no command line.
    pellumo::KeepLargeBuffersForReuse();  // every slide decodes at full size
    // The image library's formats join the picture registry before any window exists; declared
    // before the application, the guard removes them only once the window is gone.
    const pellumo::TImageFormatsGuard imageFormats;
    pellumo::TApplication application(argc, argv);
    application.SetTitle("Pellumo");
    const pellumo::TMainForm& form = application.CreateForm<pellumo::TMainForm>();
    // A program without a show has said so in an error box while its window was created: it
    // ends there, before any window shows.
    if (!form.HasShow()) return 1;
    application.Run();
    return 0;
}
