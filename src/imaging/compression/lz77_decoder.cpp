#include "imaging/compression/lz77_decoder.h"

#include <algorithm>

#include "base/exceptions.h"

namespace pellumo {
namespace {

constexpr int kWindowBits = 15;
constexpr const char* kDecompressionError = "LZ77 decompression error.";

// The part of a span a size argument allows: never beyond the span, nothing for negatives.
uInt Allowed(std::size_t available, std::int32_t size) {
    return static_cast<uInt>(std::min<std::size_t>(available, static_cast<std::size_t>(std::max(size, 0))));
}

}  // namespace

TLZ77Decoder::TLZ77Decoder(int flushMode) : flushMode_(flushMode) {}

TLZ77Decoder::~TLZ77Decoder() {
    // A reader that failed half-way must not leak zlib's state.
    if (begun_) inflateEnd(&stream_);
}

void TLZ77Decoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                               std::int32_t unpackedSize) {
    // zlib does not write through next_in; the cast only satisfies its older prototype.
    stream_.next_in = const_cast<Bytef*>(source.data());
    stream_.avail_in = Allowed(source.size(), packedSize);
    stream_.next_out = dest.data();
    stream_.avail_out = Allowed(dest.size(), unpackedSize);
    const uInt inputGiven = stream_.avail_in, outputGiven = stream_.avail_out;
    lastResult_ = inflate(&stream_, flushMode_);
    source = source.subspan(inputGiven - stream_.avail_in);
    dest = dest.subspan(outputGiven - stream_.avail_out);
}

void TLZ77Decoder::EndDecoding() {
    const int result = inflateEnd(&stream_);
    begun_ = false;
    if (result < 0) throw EDecompressionError(kDecompressionError);
}

void TLZ77Decoder::BeginDecoding() {
    // Beginning again starts a new stream; the old state goes first.
    if (begun_) inflateEnd(&stream_);
    begun_ = false;
    stream_ = z_stream{};
    if (inflateInit2(&stream_, kWindowBits) < 0) throw EDecompressionError(kDecompressionError);
    begun_ = true;
}

void TLZ77Decoder::SkipCheckValue() {
    if (inflateValidate(&stream_, 0) != Z_OK) throw EDecompressionError(kDecompressionError);
}

}  // namespace pellumo
