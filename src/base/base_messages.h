#pragma once

#include <string_view>

namespace pellumo {

// The texts the base layer fails with, in the platform's French: one table, so that the same
// failure always reads the same. Places (%s, %d) are filled by Format.
namespace base_messages {

inline constexpr std::string_view kCannotOpenFile = "Impossible d'ouvrir le fichier %s";
inline constexpr std::string_view kCannotCreateFile = "Impossible de créer le fichier %s";
inline constexpr std::string_view kStreamReadError = "Erreur de lecture du flux";
inline constexpr std::string_view kStreamWriteError = "Erreur d'écriture dans le flux";
inline constexpr std::string_view kStreamSeekError = "Erreur de positionnement dans le flux";
inline constexpr std::string_view kNoWindows1252Form = "Le caractère %s n'a pas de forme en Windows-1252";
inline constexpr std::string_view kMalformedUtf8 = "Texte UTF-8 mal formé";
inline constexpr std::string_view kInvalidImageSize = "Dimensions d'image invalides : %d x %d";
inline constexpr std::string_view kImageTooLarge = "Image trop grande : %d x %d pixels (au plus %d pixels)";

}  // namespace base_messages
}  // namespace pellumo
