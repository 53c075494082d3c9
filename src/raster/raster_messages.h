#pragma once

#include <string_view>

namespace pellumo {

// The texts the raster layer fails with: one table, so that the same failure always reads the
// same. Places (%s, %d) are filled by Format.
namespace raster_messages {

// A picture file that ends before its data does (EInvalidGraphic), with the format's short name.
inline constexpr std::string_view kStreamReadError = "Stream read error in %s file.";
inline constexpr std::string_view kInvalidPixelFormat = "Format de pixel non valide";
inline constexpr std::string_view kScanLineOutOfRange = "Indice de ligne de balayage hors limites";
inline constexpr std::string_view kInvalidBitmap = "Format de bitmap non valide";
inline constexpr std::string_view kUnsupportedBitmapCompression = "Compression de bitmap non prise en charge";
inline constexpr std::string_view kCannotAssign = "Impossible d'affecter un %s à un %s";
inline constexpr std::string_view kInvalidIcon = "Icône invalide";
inline constexpr std::string_view kIconWithoutImage =
    "Icône sans image lisible (les images PNG d'icônes ne sont pas lues)";
inline constexpr std::string_view kIconTooLarge = "Une icône mesure au plus 256 pixels de côté";
inline constexpr std::string_view kMetafilesNotSupported =
    "Les métafichiers Windows (wmf, emf) ne sont pas pris en charge";
inline constexpr std::string_view kUnknownExtension = "Extension de fichier image inconnue (.%s)";

}  // namespace raster_messages
}  // namespace pellumo
