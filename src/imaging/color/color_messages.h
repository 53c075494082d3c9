#pragma once

namespace pellumo {

// The colour manager's messages, word for word what users and readers' callers see.
inline constexpr char kIndexedMismatchMessage[] =
    "Conversion between indexed and non-indexed pixel formats is not supported.";
inline constexpr char kNoConverterMessage[] = "Color conversion failed. Could not find a proper method.";
inline constexpr char kBadBitsPerSampleMessage[] =
    "Color depth is invalid. Bits per sample must be 1, 2, 4, 8, or 16.";
inline constexpr char kBadSamplesPerPixelMessage[] =
    "Sample count per pixel does not correspond to the given color scheme.";
// Caller mistakes with row and palette buffers.
inline constexpr char kMissingPlanesMessage[] =
    "Color conversion failed. The source lacks sample planes the color scheme needs.";
inline constexpr char kMissingBufferMessage[] = "Color conversion failed. A row buffer is missing.";

}  // namespace pellumo
