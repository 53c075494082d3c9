#pragma once

// Small TIFF files assembled in tests: header, strip data, the directory and the values that
// do not fit in their entries, in either byte order.
#include <cstdint>
#include <vector>

namespace pellumo::tiff_files {

using TBytes = std::vector<std::uint8_t>;

enum TType : std::uint16_t { ttByte = 1, ttShort = 3, ttLong = 4, ttRational = 5 };

struct TTag {
    std::uint16_t Tag;
    TType Type;
    std::vector<std::uint32_t> Values;  // RATIONAL: numerator, denominator, numerator, ...
};

struct TFile {
    bool BigEndian = false;
    std::uint8_t Mark = 0;  // 0: "II" or "MM" by BigEndian; otherwise both header bytes
    std::vector<TTag> Tags;  // written in this order; the reader sorts them
    std::vector<TBytes> Strips;
    bool AddStripTags = true;  // StripOffsets and StripByteCounts (LONG) for Strips

    TFile& Add(std::uint16_t tag, TType type, std::vector<std::uint32_t> values) {
        Tags.push_back({tag, type, std::move(values)});
        return *this;
    }

    TBytes Build() const {
        TBytes out;
        auto put = [&](TBytes& to, std::uint32_t value, int size) {
            for (int i = 0; i < size; ++i) {
                const int shift = BigEndian ? 8 * (size - 1 - i) : 8 * i;
                to.push_back(static_cast<std::uint8_t>(value >> shift));
            }
        };
        const std::uint8_t mark = Mark != 0 ? Mark : BigEndian ? 'M' : 'I';
        out = {mark, mark};
        put(out, 42, 2);
        put(out, 0, 4);  // directory offset, patched below
        std::vector<std::uint32_t> offsets, counts;
        for (const TBytes& strip : Strips) {
            offsets.push_back(static_cast<std::uint32_t>(out.size()));
            counts.push_back(static_cast<std::uint32_t>(strip.size()));
            out.insert(out.end(), strip.begin(), strip.end());
        }
        std::vector<TTag> tags = Tags;
        if (AddStripTags) {
            tags.push_back({273, ttLong, offsets});
            tags.push_back({279, ttLong, counts});
        }
        // Values that do not fit in 4 bytes go before the directory.
        std::vector<TBytes> encoded;
        for (const TTag& tag : tags) {
            TBytes bytes;
            const int size = tag.Type == ttByte ? 1 : tag.Type == ttShort ? 2 : 4;
            for (std::uint32_t value : tag.Values) put(bytes, value, size);
            encoded.push_back(bytes);
        }
        std::vector<std::uint32_t> valueOffsets(tags.size());
        for (std::size_t i = 0; i < tags.size(); ++i) {
            if (encoded[i].size() <= 4) continue;
            if (out.size() % 2) out.push_back(0);
            valueOffsets[i] = static_cast<std::uint32_t>(out.size());
            out.insert(out.end(), encoded[i].begin(), encoded[i].end());
        }
        if (out.size() % 2) out.push_back(0);
        const auto directory = static_cast<std::uint32_t>(out.size());
        TBytes patch;
        put(patch, directory, 4);
        std::copy(patch.begin(), patch.end(), out.begin() + 4);
        put(out, static_cast<std::uint32_t>(tags.size()), 2);
        for (std::size_t i = 0; i < tags.size(); ++i) {
            const TTag& tag = tags[i];
            put(out, tag.Tag, 2);
            put(out, tag.Type, 2);
            put(out, static_cast<std::uint32_t>(tag.Type == ttRational ? tag.Values.size() / 2 : tag.Values.size()), 4);
            if (encoded[i].size() <= 4) {
                TBytes inline4 = encoded[i];
                inline4.resize(4, 0);
                out.insert(out.end(), inline4.begin(), inline4.end());
            } else {
                put(out, valueOffsets[i], 4);
            }
        }
        put(out, 0, 4);  // no further directory
        return out;
    }
};

// The usual tags of a strip image: width, height, bits per sample (one value a sample),
// compression, photometric interpretation, samples per pixel and rows per strip.
inline TFile StripImage(bool bigEndian, std::uint32_t width, std::uint32_t height, std::uint32_t bits,
                        std::uint32_t samples, std::uint32_t photometric, std::uint32_t rowsPerStrip,
                        std::uint32_t compression = 1) {
    TFile file;
    file.BigEndian = bigEndian;
    file.Add(256, ttLong, {width}).Add(257, ttShort, {height});
    file.Add(258, ttShort, std::vector<std::uint32_t>(samples, bits));
    file.Add(259, ttShort, {compression}).Add(262, ttShort, {photometric});
    file.Add(277, ttShort, {samples}).Add(278, ttLong, {rowsPerStrip});
    return file;
}

}  // namespace pellumo::tiff_files

namespace pellumo::tiff_files {

// An uncompressed YCbCr image of 5 x 3 pixels subsampled `horizontal` x `vertical`, so that the
// units at the right and bottom edges cover pixels outside the image. Luma and chroma vary from
// unit to unit. `studio`: BT.709 coefficients and the reference black and white of studio
// range (16..235, 128 +- 112), big-endian; otherwise no such tags, little-endian.
inline TBytes YCbCrSample(std::uint32_t horizontal, std::uint32_t vertical, bool studio) {
    const std::uint32_t width = 5, height = 3;
    const std::uint32_t units = ((width + horizontal - 1) / horizontal) * ((height + vertical - 1) / vertical);
    TBytes data;
    std::uint32_t k = 0;
    for (std::uint32_t u = 0; u < units; ++u) {
        for (std::uint32_t i = 0; i < horizontal * vertical; ++i, ++k) data.push_back(static_cast<std::uint8_t>(16 + (k * 29) % 224));
        data.push_back(static_cast<std::uint8_t>(64 + (u * 37) % 128));
        data.push_back(static_cast<std::uint8_t>(64 + (u * 59) % 128));
    }
    TFile file = StripImage(studio, width, height, 8, 3, 6, height);
    file.Add(530, ttShort, {horizontal, vertical});
    if (studio) {
        file.Add(529, ttRational, {2126, 10000, 7152, 10000, 722, 10000});
        file.Add(532, ttRational, {16, 1, 235, 1, 128, 1, 240, 1, 128, 1, 240, 1});
    }
    file.Strips = {data};
    return file.Build();
}

}  // namespace pellumo::tiff_files
