#pragma once

#include <string>
#include <string_view>

#include "raster/raster_messages.h"

namespace pellumo {

// The texts the image library's readers fail with, each raised as EInvalidGraphic. One table,
// so that the readers say the same thing the same way.
namespace image_messages {

inline constexpr std::string_view kInvalidFormat = "Cannot load image. Invalid or unexpected %s image format.";
inline constexpr std::string_view kNotSupported = "Cannot load image. %s not supported for %s files.";
inline constexpr std::string_view kCrcError = "Cannot load image. CRC error found in %s file.";
inline constexpr std::string_view kCompressionError = "Cannot load image. Compression error found in %s file.";
inline constexpr std::string_view kExtraCompressedData = "Cannot load image. Extra compressed data found in %s file.";
inline constexpr std::string_view kInvalidPalette = "Cannot load image. Palette in %s file is invalid.";
inline constexpr std::string_view kInvalidColorFormat = "Invalid color format in %s file.";
inline constexpr std::string_view kUnknownCriticalChunk = "Cannot load PNG image. Unexpected but critical chunk detected.";
inline constexpr std::string_view kStreamReadError = raster_messages::kStreamReadError;  // the bounded reader's
inline constexpr std::string_view kTargaTooLarge = "Une image Targa mesure au plus 65535 pixels de côté";
inline constexpr std::string_view kRegisteredTwice = "Attempt to register %s files twice.";

// Feature phrases that fill the first place of kNotSupported.
inline constexpr std::string_view kCompressionScheme = "The compression scheme is";
inline constexpr std::string_view kImageSizes = "Image sizes other than Base16, Base4 or Base are";
inline constexpr std::string_view kFileVersions = "File versions other than 3 or 4 are";
inline constexpr std::string_view kBeyondDecoderLimits = "Sizes beyond the decoder's limits are";

}  // namespace image_messages

// Raises EInvalidGraphic with the message, its places filled with the arguments in order.
[[noreturn]] void RaiseImageError(std::string_view message, std::string_view first = {}, std::string_view second = {});

}  // namespace pellumo
