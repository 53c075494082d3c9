#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

#include "build_command.h"
#include "option_values.h"
#include "extract_command.h"
#include "frame_command.h"
#include "image_commands.h"
#include "imaging/formats/format_registry.h"
#include "inspect_command.h"
#include "resample_command.h"
#include "sheet_command.h"

namespace {

// The options whose absence means "the default", as typed; only those given are passed on.
struct TOptionalValues {
    int quality = 0;
    std::string duration, style, caption, captionColor, backColor, frameColor;
};

constexpr const char* kBuildFooter =
    "Un diaporama se décrit soit par --manifest (un fichier TOML, voir le README), soit par les\n"
    "options de diapositive et la liste des images.\n"
    "Les images JPEG sont stockées octet pour octet. Un JPEG dont l'orientation EXIF dit que\n"
    "l'appareil était tourné est redressé (décodé, tourné puis encodé de nouveau), car le\n"
    "lecteur montre les pixels tels qu'ils sont stockés. Les autres formats lisibles sont\n"
    "encodés en JPEG (--quality). La musique est copiée à côté du diaporama.";

void AddBuildOptions(CLI::App& build, pellumo::TBuildRequest& request, TOptionalValues& values) {
    build.footer(kBuildFooter);
    build.add_option("-o,--output", request.output, "Diaporama à écrire")->required();
    build.add_option("--player", request.player,
                     "Lecteur à copier en tête (par défaut : pellumo à côté de pellumo-pack)");
    CLI::Option* manifest = build.add_option("--manifest", request.manifest, "Manifeste TOML du diaporama");
    build.add_option("--quality", values.quality, "Qualité JPEG des images à encoder, 1..100 (90)")
        ->check(CLI::Range(1, 100));
    const std::vector<CLI::Option*> showOptions{
        build.add_option("--music", request.music, "Fichier musical, copié à côté du diaporama (nom de 80 caractères au plus)"),
        build.add_flag("--loop,!--no-loop", request.loop, "Reprendre au début après la dernière diapositive (oui)"),
        build.add_flag("--copy-allowed,!--no-copy-allowed", request.copyAllowed, "Permettre la copie des images (oui)"),
        build.add_flag("--fine-resize,!--no-fine-resize", request.fineResize, "Redimensionnement fin (non)"),
        build.add_option("--duration", values.duration, "Secondes par diapositive, 0 pour s'y arrêter (5)"),
        build.add_option("--style", values.style, "Transition : numéro 0..127 ou nom (56)"),
        build.add_option("--caption", values.caption, "Légende de chaque diapositive"),
        build.add_option("--caption-color", values.captionColor, "Couleur de la légende, #RRGGBB (#FFFFFF)"),
        build.add_option("--back-color", values.backColor, "Couleur du fond, #RRGGBB (#000000)"),
        build.add_option("--frame-color", values.frameColor, "Encadrer chaque image de cette couleur, #RRGGBB"),
        build.add_option("IMAGE", request.pictures, "Images, dans l'ordre du diaporama"),
    };
    for (CLI::Option* option : showOptions) manifest->excludes(option);
}

// Only the options that were given count; the others keep the defaults.
void TakeGivenOptions(const CLI::App& build, const TOptionalValues& values, pellumo::TBuildRequest& request) {
    const auto given = [&](const char* name, const std::string& text, std::optional<std::string>& target) {
        if (build.count(name) > 0) target = text;
    };
    if (build.count("--quality") > 0) request.quality = values.quality;
    given("--duration", values.duration, request.duration);
    given("--style", values.style, request.style);
    given("--caption", values.caption, request.caption);
    given("--caption-color", values.captionColor, request.captionColor);
    given("--back-color", values.backColor, request.backColor);
    given("--frame-color", values.frameColor, request.frameColor);
}

}  // namespace

int main(int argc, char** argv) {
    // Every command reads pictures by their extension, and convert's help lists them.
    const pellumo::TImageFormatsGuard imageFormats;
    CLI::App app{"Construit et inspecte les diaporamas Pellumo.", "pellumo-pack"};
    app.require_subcommand(1);

    pellumo::TBuildRequest request;
    TOptionalValues optionalValues;
    CLI::App* build = app.add_subcommand("build", "Copier le lecteur et y ajouter un diaporama");
    AddBuildOptions(*build, request, optionalValues);

    std::string show;
    bool json = false;
    CLI::App* inspect = app.add_subcommand("inspect", "Afficher le diaporama que porte un fichier");
    inspect->add_option("SHOW", show, "Fichier à lire")->required();
    inspect->add_flag("--json", json, "Un objet JSON au lieu du texte");

    std::string extractShow, extractFolder;
    CLI::App* extract = app.add_subcommand(
        "extract", "Écrire les images d'un diaporama et le manifeste show.toml qui le reconstruit");
    extract->add_option("SHOW", extractShow, "Diaporama à lire")->required();
    extract->add_option("DIR", extractFolder, "Dossier où écrire (créé au besoin)")->required();

    CLI::App* styles = app.add_subcommand("styles", "Lister les 128 transitions : NUMÉRO<TAB>NOM");

    pellumo::TFrameRequest frame;
    CLI::App* frameCommand = app.add_subcommand("frame", "Composer une image d'une transition dans un BMP 24 bits");
    frameCommand->add_option("--style", frame.style, "Transition : numéro 0..127 ou nom")->required();
    frameCommand->add_option("--progress", frame.progress, "Avancement, 0..100")->required();
    frameCommand->add_option("--step", frame.step, "Pas de la transition, 1..100 (4)");
    frameCommand->add_option("OLD", frame.oldPicture, "Image affichée avant")->required();
    frameCommand->add_option("NEW", frame.newPicture, "Nouvelle image")->required();
    frameCommand->add_option("OUT", frame.output, "Fichier BMP à écrire")->required();

    pellumo::TSheetRequest sheet;
    CLI::App* sheetCommand = app.add_subcommand(
        "sheet", "Planche des 128 transitions à un même avancement, chacune légendée de son numéro et de son nom, "
                 "dans un BMP 24 bits");
    sheetCommand->add_option("--progress", sheet.progress, "Avancement, 0..100 (50)");
    sheetCommand->add_option("--size", sheet.size,
                             "Taille de l'image de chaque case, LARGEURxHAUTEUR, de 64x40 à 480x300 (240x150) ; "
                             "8 cases par rangée, une bande de légende sous chacune");
    sheetCommand->add_option("OUT", sheet.output, "Fichier BMP à écrire")->required();

    pellumo::TResampleRequest resample;
    CLI::App* resampleCommand =
        app.add_subcommand("resample", "Redimensionner une image avec un filtre, vers un BMP 24 bits");
    resampleCommand->add_option("--filter", resample.filter, pellumo::ResampleFilterNames() + " (triangle)");
    resampleCommand->add_option("--radius", resample.radius, "Rayon du filtre, 0 pour le sien (0)");
    resampleCommand->add_option("--size", resample.size, "Nouvelle taille, LARGEURxHAUTEUR")->required();
    resampleCommand->add_option("IN", resample.input, "Image à lire")->required();
    resampleCommand->add_option("OUT", resample.output, "Fichier BMP à écrire")->required();

    std::string convertInput, convertOutput;
    CLI::App* convert = app.add_subcommand(
        "convert", "Lire une image par son extension et l'écrire au format de l'extension de sortie");
    convert->add_option("IN", convertInput, "Image à lire (" + pellumo::RegisteredExtensions() + ")")->required();
    convert->add_option("OUT", convertOutput, "Image à écrire (bmp, ico, jpg, ...)")->required();

    std::string infoInput;
    bool infoJson = false;
    CLI::App* info = app.add_subcommand("info", "Taille, format de pixel et palette d'une image");
    info->add_option("IN", infoInput, "Image à lire")->required();
    info->add_flag("--json", infoJson, "Un objet JSON au lieu du texte");

    CLI11_PARSE(app, argc, argv);

    try {
        if (build->parsed()) {
            TakeGivenOptions(*build, optionalValues, request);
            if (request.manifest.empty() && request.pictures.empty())
                throw pellumo::EOptionError("build : donnez --manifest ou au moins une image");
            pellumo::RunBuild(request);
        } else if (inspect->parsed()) {
            pellumo::RunInspect(show, json, std::cout);
        } else if (extract->parsed()) {
            pellumo::RunExtract(extractShow, extractFolder, std::cerr);
        } else if (styles->parsed()) {
            pellumo::RunStyles(std::cout);
        } else if (frameCommand->parsed()) {
            pellumo::RunFrame(frame);
        } else if (sheetCommand->parsed()) {
            pellumo::RunSheet(sheet);
        } else if (resampleCommand->parsed()) {
            pellumo::RunResample(resample);
        } else if (convert->parsed()) {
            pellumo::RunConvert(convertInput, convertOutput);
        } else if (info->parsed()) {
            pellumo::RunInfo(infoInput, infoJson, std::cout);
        }
    } catch (const std::exception& e) {
        std::cerr << "pellumo-pack: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
