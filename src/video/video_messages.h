#pragma once

#include <string_view>

namespace pellumo {

// The texts the video library fails and warns with, in French like the rest of the tools: one
// table, so that the same failure always reads the same. Places (%s) are filled by Format.
namespace video_messages {

inline constexpr std::string_view kUnknownContainer =
    "%s : une vidéo s'écrit en .mp4 (H.264 et AAC) ou en .webm (VP9 et Opus)";
inline constexpr std::string_view kMissingEncoder = "l'encodeur %s manque à la bibliothèque FFmpeg installée";
inline constexpr std::string_view kNoSampleFormat = "l'encodeur %s ne prend aucun format d'échantillons connu";
inline constexpr std::string_view kNoPictureConversion = "conversion des images en YUV impossible";
inline constexpr std::string_view kEncodingFailed = "encodage de la vidéo impossible (%s) : %s";
inline constexpr std::string_view kWritingFailed = "écriture de la vidéo %s impossible : %s";
inline constexpr std::string_view kSilentVideo = "la musique « %s » ne peut pas être décodée (%s) : la vidéo sera muette";
inline constexpr std::string_view kNotAFile = "ce n'est pas un fichier ordinaire";
inline constexpr std::string_view kNoAudioStream = "aucune piste audio";
inline constexpr std::string_view kNoSound = "aucun son décodable";
inline constexpr std::string_view kUnfitAudio = "%s canaux à %s Hz";

}  // namespace video_messages
}  // namespace pellumo
