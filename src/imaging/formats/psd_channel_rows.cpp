#include "imaging/formats/psd_channel_rows.h"

#include <algorithm>

#include "base/byte_order.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

// Two PackBits bytes give at most 128: a row needs at least this share of its size.
constexpr std::uint64_t kMaxPackBitsRatio = 64;

}  // namespace

TPSDChannelRows::TPSDChannelRows(TBoundedReader& reader, std::string_view formatName, bool packBits,
                                 std::size_t storedChannels, std::size_t channels, std::uint32_t rows,
                                 std::size_t rowBytes)
    : reader_(reader), rows_(rows), rowBytes_(rowBytes) {
    const std::uint64_t rowsRead = std::uint64_t{rows} * channels;
    if (!packBits) {
        dataStart_ = reader.Position();
        if (rowsRead * rowBytes > reader.BytesLeft()) reader.ReadError();
        return;
    }
    const std::vector<std::uint8_t> table = reader.ReadBytes(2 * std::uint64_t{rows} * storedChannels);
    dataStart_ = reader.Position();
    rowStarts_.resize(rowsRead);
    rowCounts_.resize(rowsRead);
    std::uint64_t offset = 0;
    for (std::size_t i = 0; i < rowsRead; ++i) {
        rowStarts_[i] = offset;
        rowCounts_[i] = GetBE16(&table[2 * i]);
        offset += rowCounts_[i];
    }
    if (offset > reader.BytesLeft()) reader.ReadError();
    if (offset * kMaxPackBitsRatio < rowsRead * rowBytes) RaiseImageError(image_messages::kCompressionError, formatName);
    decoder_.emplace();
}

void TPSDChannelRows::Read(std::size_t channel, std::uint32_t row, std::vector<std::uint8_t>& buffer) {
    buffer.assign(rowBytes_, 0);
    const std::uint64_t index = std::uint64_t{channel} * rows_ + row;
    if (!decoder_) {
        reader_.Seek(dataStart_ + static_cast<std::int64_t>(index * rowBytes_));
        reader_.Read(buffer.data(), buffer.size());
        return;
    }
    reader_.Seek(dataStart_ + static_cast<std::int64_t>(rowStarts_[index]));
    const std::vector<std::uint8_t> packed = reader_.ReadBytes(rowCounts_[index]);
    TPackedBytes source(packed);
    TUnpackedBytes dest(buffer);
    decoder_->DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), static_cast<std::int32_t>(rowBytes_));
}

}  // namespace pellumo
