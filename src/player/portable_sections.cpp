#include "player/portable_sections.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/exceptions.h"
#include "player/program_image.h"

namespace pellumo {
namespace {

constexpr std::string_view kRuntimeMagic = "PELLUMO-RUNTIME";
constexpr std::string_view kMusicMagic = "PELLUMO-MUSIC";
constexpr std::string_view kVersion = "1";
constexpr std::size_t kMaxLine = 160;

// The line at `offset`, without its '\n', split at single spaces; empty when the stream holds
// no complete line there.
std::vector<std::string> ReadLine(TStream& stream, std::int64_t offset, std::int64_t& after) {
    const std::int64_t size = stream.Size();
    if (offset < 0 || offset >= size) return {};
    std::array<char, kMaxLine> bytes{};
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(size - offset, kMaxLine));
    stream.SetPosition(offset);
    stream.ReadBuffer(bytes.data(), count);
    const std::string_view text(bytes.data(), count);
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return {};
    after = offset + static_cast<std::int64_t>(end) + 1;
    std::vector<std::string> fields;
    for (std::size_t start = 0; start <= end;) {
        const std::size_t space = std::min(text.find(' ', start), end);
        fields.emplace_back(text.substr(start, space - start));
        start = space + 1;
    }
    return fields;
}

bool IsKey(std::string_view key) {
    return key.size() >= 16 && key.size() <= 64 &&
           std::all_of(key.begin(), key.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A count of bytes as the line writes it: decimal digits only, few enough not to overflow.
std::optional<std::int64_t> Count(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<TRuntimeSection> ReadRuntime(TStream& stream, std::int64_t offset) {
    std::int64_t after = 0;
    const std::vector<std::string> fields = ReadLine(stream, offset, after);
    if (fields.size() != 5 || fields[0] != kRuntimeMagic || fields[1] != kVersion || !IsKey(fields[2])) return {};
    const auto size = Count(fields[3]);
    const auto unpacked = Count(fields[4]);
    if (!size || !unpacked || *size > stream.Size() - after) return {};
    return TRuntimeSection{fields[2], after, *size, *unpacked};
}

std::optional<TCarriedMusic> ReadMusic(TStream& stream, std::int64_t offset) {
    std::int64_t after = 0;
    const std::vector<std::string> fields = ReadLine(stream, offset, after);
    if (fields.size() != 5 || fields[0] != kMusicMagic || fields[1] != kVersion || !IsKey(fields[2])) return {};
    const auto size = Count(fields[3]);
    const auto nameLength = Count(fields[4]);
    const std::int64_t left = stream.Size() - after;
    if (!size || !nameLength || *nameLength > 255 || *nameLength > left || *size > left - *nameLength) return {};
    std::string name(static_cast<std::size_t>(*nameLength), '\0');
    stream.SetPosition(after);
    stream.ReadBuffer(name.data(), name.size());
    if (!IsPlainFileName(name)) return {};
    return TCarriedMusic{fields[2], std::move(name), after + *nameLength, *size};
}

// FNV-1a: a key that tells different music apart, not a defence against forgery (the cache
// holds what its owner's own shows carried).
std::string KeyOf(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (const std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001B3u;
    constexpr char kDigits[] = "0123456789abcdef";
    std::string key(16, '0');
    for (std::size_t i = 16; i-- > 0; hash >>= 4) key[i] = kDigits[hash & 0xF];
    return key;
}

}  // namespace

std::optional<TPortableSections> ReadPortableSections(TStream& stream) {
    std::optional<TRuntimeSection> runtime = ReadRuntime(stream, ProgramImageEnd(stream));
    if (!runtime) return std::nullopt;
    const std::int64_t end = runtime->offset + runtime->size;
    return TPortableSections{std::move(*runtime), ReadMusic(stream, end)};
}

void WriteCarriedMusic(TStream& stream, std::string_view name, std::span<const std::uint8_t> bytes) {
    if (!IsPlainFileName(name)) throw EConvertError("Nom de fichier musical invalide : " + std::string(name));
    const std::string line = std::string(kMusicMagic) + " " + std::string(kVersion) + " " + KeyOf(bytes) + " " +
                             std::to_string(bytes.size()) + " " + std::to_string(name.size()) + "\n";
    stream.Seek(0, soFromEnd);
    stream.WriteBuffer(line.data(), line.size());
    stream.WriteBuffer(name.data(), name.size());
    stream.WriteBuffer(bytes.data(), bytes.size());
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

}  // namespace pellumo
