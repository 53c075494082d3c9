#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "authoring/option_values.h"
#include "base/temporary_file.h"
#include "build_command.h"
#include "command_line.h"
#include "extract_command.h"
#include "frame_command.h"
#include "image_commands.h"
#include "imaging/formats/format_registry.h"
#include "inspect_command.h"
#include "pellumo_version.h"
#include "picture_output.h"
#include "resample_command.h"
#include "sheet_command.h"
#include "video_command.h"

namespace {

using pellumo::TCommandLine;

constexpr const char* kProgram = "pellumo-pack";
// Usage errors and run-time failures part ways here, so that scripts can tell them apart.
constexpr int kRunFailed = 1;
constexpr int kUsageError = 2;

// A paragraph a line; the help wraps them.
constexpr const char* kBuildFooter =
    "Un diaporama se décrit soit par --manifest (un fichier TOML, voir le README), soit par les options de "
    "diapositive et la liste des images.\n"
    "Les images JPEG sont stockées octet pour octet. Un JPEG dont l'orientation EXIF dit que l'appareil était "
    "tourné est redressé (décodé, tourné puis encodé de nouveau), car le lecteur montre les pixels tels qu'ils sont "
    "stockés. Les autres formats lisibles sont encodés en JPEG (--quality). La musique est copiée à côté du "
    "diaporama, ou emportée dedans s'il est portable.\n"
    "Un diaporama portable (--portable, ou portable = true dans le manifeste) est un seul fichier qui se lit sur un "
    "Linux x86-64 à glibc 2.36 ou plus récente, sans Pellumo : au premier lancement, il décompresse son lecteur dans "
    "~/.cache/pellumo.\n"
    "Le lecteur montre les pixels en sRGB : une image dont le profil de couleur ICC n'est pas sRGB (Display P3, "
    "Adobe RGB…) y est convertie, avec l'intention perceptuelle, puis encodée en JPEG (--quality). Un profil "
    "illisible, ou d'un autre espace que les pixels, est ignoré. --no-color-management (ou color_management = false "
    "dans le manifeste) garde les pixels tels quels.";
constexpr const char* kNoColorManagementHelp =
    "Garder les pixels tels quels, sans les convertir en sRGB selon leur profil de couleur";
constexpr const char* kForceHelp = "Remplacer un fichier existant";

std::string PictureOutputHelp() { return "Image à écrire (" + pellumo::WrittenPictureExtensions() + ")"; }

// The registry lists "bmp|dib|..."; spaces let the help wrap the list.
std::string ReadExtensions() {
    std::string list;
    for (const char c : pellumo::RegisteredExtensions()) list += c == '|' ? std::string(", ") : std::string(1, c);
    return list;
}

// Every request the command line fills; the commands run on them once it is read.
struct TRequests {
    pellumo::TBuildRequest build;
    std::string file, folder, output;
    bool json = false;
    bool force = false;
    pellumo::TFrameRequest frame;
    pellumo::TSheetRequest sheet;
    pellumo::TResampleRequest resample;
    pellumo::TVideoRequest video;
    bool noColorManagement = false;
};

void DeclareBuild(TCommandLine& commandLine, pellumo::TBuildRequest& request) {
    pellumo::TCommand& build = commandLine.Command("build", "Copier le lecteur et y ajouter un diaporama");
    build.Option("-o,--output", "FICHIER", "Diaporama à écrire", &request.output).Required();
    build.Option("--player", "FICHIER", "Lecteur à copier en tête (par défaut : pellumo à côté de pellumo-pack)",
                 &request.player);
    build.Option("--manifest", "FICHIER", "Manifeste TOML du diaporama", &request.manifest);
    // The slide options are optional targets: only those given replace the defaults.
    build.Option("--quality", "N", "Qualité JPEG des images à encoder, 1..100 (90)", &request.quality);
    build.Flag("--no-color-management", kNoColorManagementHelp, request.noColorManagement);
    build.Flag("--portable",
               "Diaporama portable : il emporte les bibliothèques du lecteur et sa musique, et se lit sur un Linux "
               "sans Pellumo (lecteur par défaut : pellumo-portable)",
               request.portable);
    build.Flag("--force", "Remplacer un fichier existant qui n'est pas un diaporama, ou une autre musique du même nom "
                          "à côté",
               request.force);
    build.Option("--music", "FICHIER", "Fichier musical, copié à côté du diaporama (nom de 80 caractères au plus)",
                 &request.music);
    build.NegatableFlag("--loop", "Reprendre au début après la dernière diapositive (oui)", request.loop);
    build.NegatableFlag("--copy-allowed", "Permettre la copie des images (oui)", request.copyAllowed);
    build.NegatableFlag("--fine-resize", "Redimensionnement fin (non)", request.fineResize);
    build.Option("--duration", "SECONDES", "Secondes par diapositive, 0 pour s'y arrêter (5)", &request.duration);
    build.Option("--style", "STYLE", "Transition : numéro 0..127 ou nom (56)", &request.style);
    build.Option("--caption", "TEXTE", "Légende de chaque diapositive", &request.caption);
    build.Option("--caption-color", "COULEUR", "Couleur de la légende, #RRGGBB (#FFFFFF)", &request.captionColor);
    build.Option("--back-color", "COULEUR", "Couleur du fond, #RRGGBB (#000000)", &request.backColor);
    build.Option("--frame-color", "COULEUR", "Encadrer chaque image de cette couleur, #RRGGBB", &request.frameColor);
    build.Arguments("IMAGE", "Images, ou dossiers d'images, dans l'ordre du diaporama", request.pictures);
    build.Excludes("--manifest", {"--music", "--loop", "--copy-allowed", "--fine-resize", "--duration", "--style",
                                  "--caption", "--caption-color", "--back-color", "--frame-color", "IMAGE"});
    build.Footer(kBuildFooter);
    build.Action([&request] {
        if (request.manifest.empty() && request.pictures.empty())
            throw pellumo::EUsageError("donnez --manifest ou au moins une image", "build");
        if (request.quality) pellumo::CheckRange(*request.quality, 1, 100, "--quality");
        pellumo::RunBuild(request, std::cout);
    });
}

void DeclareReadingCommands(TCommandLine& commandLine, TRequests& requests) {
    commandLine.Command("inspect", "Afficher le diaporama que porte un fichier")
        .Argument("SHOW", "Fichier à lire", requests.file)
        .Flag("--json", "Un objet JSON au lieu du texte", requests.json)
        .Action([&requests] { pellumo::RunInspect(requests.file, requests.json, std::cout); });
    commandLine.Command("extract", "Écrire les images d'un diaporama et le manifeste show.toml qui le reconstruit")
        .Argument("SHOW", "Diaporama à lire", requests.file)
        .Argument("DIR", "Dossier où écrire (créé au besoin)", requests.folder)
        .Action([&requests] { pellumo::RunExtract(requests.file, requests.folder, std::cerr); });
    commandLine.Command("styles", "Lister les 128 transitions : NUMÉRO<TAB>NOM").Action([] {
        pellumo::RunStyles(std::cout);
    });
}

void DeclarePictureCommands(TCommandLine& commandLine, TRequests& requests) {
    pellumo::TFrameRequest& frame = requests.frame;
    commandLine.Command("frame", "Composer une image d'une transition")
        .Option("--style", "STYLE", "Transition : numéro 0..127 ou nom", &frame.style)
        .Required()
        .Option("--progress", "N", "Avancement, 0..100", &frame.progress)
        .Required()
        .Option("--step", "N", "Pas de la transition, 1..100 (4)", &frame.step)
        .Flag("--force", kForceHelp, frame.force)
        .Argument("OLD", "Image affichée avant", frame.oldPicture)
        .Argument("NEW", "Nouvelle image", frame.newPicture)
        .Argument("OUT", PictureOutputHelp(), frame.output)
        .Action([&frame] { pellumo::RunFrame(frame); });

    pellumo::TSheetRequest& sheet = requests.sheet;
    commandLine
        .Command("sheet", "Planche des 128 transitions à un même avancement, chacune légendée de son numéro et de son "
                          "nom")
        .Option("--progress", "N", "Avancement, 0..100 (50)", &sheet.progress)
        .Option("--size", "TAILLE",
                "Taille de l'image de chaque case, LARGEURxHAUTEUR, de 64x40 à 480x300 (240x150) ; 8 cases par "
                "rangée, une bande de légende sous chacune",
                &sheet.size)
        .Flag("--force", kForceHelp, sheet.force)
        .Argument("OUT", PictureOutputHelp(), sheet.output)
        .Action([&sheet] { pellumo::RunSheet(sheet); });

    pellumo::TResampleRequest& resample = requests.resample;
    commandLine.Command("resample", "Redimensionner une image avec un filtre")
        .Option("--filter", "FILTRE", pellumo::ResampleFilterNames() + " (triangle)", &resample.filter)
        .Option("--radius", "RAYON", "Rayon du filtre, 0 pour le sien (0)", &resample.radius)
        .Option("--size", "TAILLE", "Nouvelle taille, LARGEURxHAUTEUR", &resample.size)
        .Required()
        .Flag("--force", kForceHelp, resample.force)
        .Argument("IN", "Image à lire", resample.input)
        .Argument("OUT", PictureOutputHelp(), resample.output)
        .Action([&resample] { pellumo::RunResample(resample); });

    commandLine.Command("convert", "Lire une image par son extension et l'écrire au format de l'extension de sortie")
        .Flag("--force", kForceHelp, requests.force)
        .Flag("--no-color-management", kNoColorManagementHelp, requests.noColorManagement)
        .Argument("IN", "Image à lire (" + ReadExtensions() + ")", requests.file)
        .Argument("OUT", PictureOutputHelp(), requests.output)
        .Footer("Le fichier écrit ne porte pas de profil de couleur : une image dont le profil n'est pas sRGB est "
                "convertie en sRGB, avec l'intention perceptuelle, sauf avec --no-color-management.")
        .Action([&requests] {
            pellumo::RunConvert(requests.file, requests.output, requests.force, !requests.noColorManagement);
        });

    commandLine.Command("info", "Taille, format de pixel, palette et profil de couleur d'une image")
        .Argument("IN", "Image à lire", requests.file)
        .Flag("--json", "Un objet JSON au lieu du texte", requests.json)
        .Action([&requests] { pellumo::RunInfo(requests.file, requests.json, std::cout); });
}

void DeclareVideo(TCommandLine& commandLine, pellumo::TVideoRequest& request) {
    commandLine.Command("video", "Filmer un diaporama dans un fichier vidéo")
        .Option("-o,--output", "FICHIER", "Vidéo à écrire : .mp4 (H.264 et AAC) ou .webm (VP9 et Opus)", &request.output)
        .Required()
        .Option("--size", "TAILLE", "Taille de l'écran filmé, LARGEURxHAUTEUR (1920x1080)", &request.size)
        .Option("--fps", "N", "Images par seconde, 1..120 (30)", &request.framesPerSecond)
        .Option("--quality", "N",
                "Qualité de l'image, de 1 (le plus petit fichier) à 100 (" +
                    std::to_string(pellumo::kDefaultVideoQuality) + ")",
                &request.quality)
        .Option("--rest-duration", "SECONDES",
                "Durée d'une diapositive qui s'arrête (durée 0) dans la vidéo, 1..3600 (5)", &request.restSeconds)
        .Flag("--force", kForceHelp, request.force)
        .Argument("SHOW", "Diaporama, ou manifeste TOML", request.input)
        .Footer("La vidéo montre un passage du diaporama tel que le lecteur le montre sur un écran de cette taille : "
                "chaque diapositive pour sa durée, la transition qui l'amène à son rythme ; le diaporama ne boucle pas.\n"
                "La musique à côté du diaporama ou du manifeste l'accompagne, reprise après une seconde de silence "
                "comme dans le lecteur, et s'éteint sur la dernière seconde. Une musique illisible donne une vidéo "
                "muette et un avertissement.\n"
                "La vidéo est écrite à côté de son nom et n'y est renommée qu'une fois complète : une erreur ou une "
                "interruption ne laisse aucun fichier.")
        .Action([&request] { pellumo::RunVideo(request, std::cout, std::cerr); });
}

}  // namespace

int main(int argc, char** argv) {
    // Ctrl+C or a shutdown while a file is written leaves no temporary file behind.
    pellumo::RemoveTemporaryFilesOnSignals();
    // Every command reads pictures by their extension, and convert's help lists them.
    const pellumo::TImageFormatsGuard imageFormats;
    TCommandLine commandLine(kProgram, "Construit et inspecte les diaporamas Pellumo.", pellumo::kPellumoVersion);
    TRequests requests;
    DeclareBuild(commandLine, requests.build);
    DeclareReadingCommands(commandLine, requests);
    DeclarePictureCommands(commandLine, requests);
    DeclareVideo(commandLine, requests.video);
    if (argc < 2) {
        commandLine.WriteShortUsage(std::cerr);
        return kUsageError;
    }

    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (const pellumo::TCommand* command = commandLine.Parse(args, std::cout)) command->Run();
    } catch (const pellumo::EUsageError& e) {
        commandLine.WriteUsageError(std::cerr, e);
        return kUsageError;
    } catch (const std::exception& e) {
        pellumo::WriteErrorLines(std::cerr, kProgram, e.what());
        return kRunFailed;
    }
    // A full disk or a closed pipe must not pass for success.
    if (!std::cout.flush()) {
        pellumo::WriteErrorLines(std::cerr, kProgram, "impossible d'écrire sur la sortie standard");
        return kRunFailed;
    }
    return 0;
}
