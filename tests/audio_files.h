#pragma once

// Real audio for the music tests, made on the spot: a 440 Hz tone as WAV or FLAC, silence as
// MP3.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

namespace pellumo::audio_files {

constexpr std::uint32_t kRate = 44100;

inline void PutLittle(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void PutBig(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline std::int16_t Sine(int index) {
    return static_cast<std::int16_t>(std::lround(8000.0 * std::sin(2.0 * std::numbers::pi * 440.0 * index / kRate)));
}

// 16-bit mono PCM of a 440 Hz tone.
inline std::vector<std::uint8_t> Wav(double seconds) {
    const auto samples = static_cast<std::uint32_t>(seconds * kRate);
    std::vector<std::uint8_t> out;
    const auto put = [&](const char* tag) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
    };
    put("RIFF");
    PutLittle(out, 36 + samples * 2, 4);
    put("WAVE");
    put("fmt ");
    PutLittle(out, 16, 4);
    PutLittle(out, 1, 2);  // PCM
    PutLittle(out, 1, 2);  // mono
    PutLittle(out, kRate, 4);
    PutLittle(out, kRate * 2, 4);
    PutLittle(out, 2, 2);
    PutLittle(out, 16, 2);
    put("data");
    PutLittle(out, samples * 2, 4);
    for (std::uint32_t i = 0; i < samples; ++i)
        PutLittle(out, static_cast<std::uint16_t>(Sine(static_cast<int>(i))), 2);
    return out;
}

inline std::uint8_t Crc8(const std::uint8_t* data, std::size_t size) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

inline std::uint16_t Crc16(const std::uint8_t* data, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint16_t>(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1);
    }
    return crc;
}

// The same tone as FLAC: mono 16-bit frames of 4096 samples, stored verbatim.
inline std::vector<std::uint8_t> Flac(int frames) {
    constexpr int kBlock = 4096;
    std::vector<std::uint8_t> out{'f', 'L', 'a', 'C', 0x80, 0, 0, 34};  // the last metadata block
    PutBig(out, kBlock, 2);
    PutBig(out, kBlock, 2);
    PutBig(out, 0, 3);  // frame sizes unknown
    PutBig(out, 0, 3);
    const std::uint64_t total = static_cast<std::uint64_t>(frames) * kBlock;
    PutBig(out, (std::uint64_t{kRate} << 44) | (std::uint64_t{0} << 41) | (std::uint64_t{15} << 36) | total, 8);
    out.insert(out.end(), 16, 0);  // no MD5: not checked
    for (int frame = 0; frame < frames; ++frame) {
        const std::size_t start = out.size();
        // Sync, 4096 samples, 44.1 kHz, mono, 16 bits, frame number.
        out.insert(out.end(), {0xFF, 0xF8, 0xC9, 0x08, static_cast<std::uint8_t>(frame)});
        out.push_back(Crc8(out.data() + start, out.size() - start));
        out.push_back(0x02);  // a verbatim subframe
        for (int i = 0; i < kBlock; ++i) PutBig(out, static_cast<std::uint16_t>(Sine(frame * kBlock + i)), 2);
        PutBig(out, Crc16(out.data() + start, out.size() - start), 2);
    }
    return out;
}

// MPEG-1 layer III frames, 128 kbit/s, 44.1 kHz, mono, of silence (all side information zero).
inline std::vector<std::uint8_t> Mp3(int frames) {
    constexpr std::size_t kFrameBytes = 417;  // 144 * 128000 / 44100, unpadded
    std::vector<std::uint8_t> out;
    for (int frame = 0; frame < frames; ++frame) {
        out.insert(out.end(), {0xFF, 0xFB, 0x90, 0xC0});
        out.insert(out.end(), kFrameBytes - 4, 0);
    }
    return out;
}

}  // namespace pellumo::audio_files
