#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

#include "build_command.h"
#include "frame_command.h"
#include "image_commands.h"
#include "inspect_command.h"
#include "resample_command.h"
#include "sheet_command.h"

namespace {

void AddBuildOptions(CLI::App& build, pellumo::TBuildRequest& request, std::string& frameColor) {
    build.add_option("-o,--output", request.output, "Diaporama à écrire")->required();
    build.add_option("--player", request.player,
                     "Lecteur à copier en tête (par défaut : pellumo à côté de pellumo-pack)");
    build.add_option("--music", request.music, "Nom du fichier musical (80 caractères au plus)");
    build.add_flag("--loop,!--no-loop", request.loop, "Reprendre au début après la dernière diapositive (oui)");
    build.add_flag("--copy-allowed,!--no-copy-allowed", request.copyAllowed, "Permettre la copie des images (oui)");
    build.add_flag("--fine-resize,!--no-fine-resize", request.fineResize, "Redimensionnement fin (non)");
    build.add_option("--duration", request.duration, "Secondes par diapositive, 0 pour s'y arrêter (5)");
    build.add_option("--style", request.style, "Transition : numéro 0..127 ou nom (56)");
    build.add_option("--caption", request.caption, "Légende de chaque diapositive");
    build.add_option("--caption-color", request.captionColor, "Couleur de la légende, #RRGGBB (#FFFFFF)");
    build.add_option("--back-color", request.backColor, "Couleur du fond, #RRGGBB (#000000)");
    build.add_option("--frame-color", frameColor, "Encadrer chaque image de cette couleur, #RRGGBB");
    build.add_option("JPEG", request.pictures, "Images JPEG, dans l'ordre du diaporama")->required();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Construit et inspecte les diaporamas Pellumo.", "pellumo-pack"};
    app.require_subcommand(1);

    pellumo::TBuildRequest request;
    std::string frameColor;
    CLI::App* build = app.add_subcommand("build", "Copier le lecteur et y ajouter un diaporama");
    AddBuildOptions(*build, request, frameColor);

    std::string show;
    bool json = false;
    CLI::App* inspect = app.add_subcommand("inspect", "Afficher le diaporama que porte un fichier");
    inspect->add_option("SHOW", show, "Fichier à lire")->required();
    inspect->add_flag("--json", json, "Un objet JSON au lieu du texte");

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
            if (build->count("--frame-color") > 0) request.frameColor = frameColor;
            pellumo::RunBuild(request);
        } else if (inspect->parsed()) {
            pellumo::RunInspect(show, json, std::cout);
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
