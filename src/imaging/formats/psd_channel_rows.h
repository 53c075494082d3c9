#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/compression/run_length_decoders.h"
#include "raster/bounded_reader.h"

namespace pellumo {

// The image data of a Photoshop file: channel after channel, each `rows` rows of `rowBytes`
// bytes, raw or PackBits-compressed with a byte count per row. Reads the rows of the first
// `channels` channels in any order.
class TPSDChannelRows {
public:
    // Starts at the table of byte counts (PackBits) or the first row (raw), for a file of
    // `storedChannels` channels. Refuses, before the caller allocates its image, data that
    // the file does not hold ("Stream read error in <format> file.") and PackBits counts too
    // small to fill the rows ("Cannot load image. Compression error found in <format> file.").
    TPSDChannelRows(TBoundedReader& reader, std::string_view formatName, bool packBits, std::size_t storedChannels,
                    std::size_t channels, std::uint32_t rows, std::size_t rowBytes);

    // Channel `channel`'s row `row`, exactly rowBytes bytes; what a short row leaves out is 0.
    void Read(std::size_t channel, std::uint32_t row, std::vector<std::uint8_t>& buffer);

private:
    TBoundedReader& reader_;
    std::uint32_t rows_;
    std::size_t rowBytes_;
    std::int64_t dataStart_;
    // PackBits: where each row of the channels read starts, and its byte count.
    std::vector<std::uint64_t> rowStarts_;
    std::vector<std::uint16_t> rowCounts_;
    std::optional<TPackbitsRLEDecoder> decoder_;
};

}  // namespace pellumo
