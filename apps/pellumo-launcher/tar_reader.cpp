#include "tar_reader.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace pellumo {
namespace {

constexpr std::int64_t kMaxEntries = 65536;

// Where the fields lie in a ustar header block.
constexpr std::size_t kName = 0, kNameSize = 100;
constexpr std::size_t kMode = 100, kModeSize = 8;
constexpr std::size_t kSize = 124, kSizeSize = 12;
constexpr std::size_t kChecksum = 148, kChecksumSize = 8;
constexpr std::size_t kType = 156;
constexpr std::size_t kMagic = 257;
constexpr std::size_t kPrefix = 345, kPrefixSize = 155;

using THeader = std::array<std::uint8_t, 512>;

std::string Text(const THeader& header, std::size_t at, std::size_t size) {
    const auto* first = reinterpret_cast<const char*>(header.data() + at);
    return std::string(first, std::find(first, first + size, '\0'));
}

// An octal number: leading spaces, digits, then a NUL or a space or the end of the field.
std::optional<std::int64_t> Octal(const THeader& header, std::size_t at, std::size_t size) {
    std::size_t k = at;
    const std::size_t end = at + size;
    while (k < end && header[k] == ' ') ++k;
    std::int64_t value = 0;
    std::size_t digits = 0;
    for (; k < end && header[k] >= '0' && header[k] <= '7'; ++k, ++digits) value = value * 8 + (header[k] - '0');
    if (digits == 0 || (k < end && header[k] != '\0' && header[k] != ' ')) return std::nullopt;
    return value;
}

bool Checks(const THeader& header) {
    const std::optional<std::int64_t> stored = Octal(header, kChecksum, kChecksumSize);
    std::int64_t sum = 0;
    for (std::size_t k = 0; k < header.size(); ++k)
        sum += (k >= kChecksum && k < kChecksum + kChecksumSize) ? ' ' : header[k];
    return stored && *stored == sum;
}

}  // namespace

bool IsPlainArchivePath(std::string_view path) {
    if (path.empty() || path.size() > 255) return false;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view part = path.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..") return false;
        const bool plain = std::all_of(part.begin(), part.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                   c == '+' || c == '-';
        });
        if (!plain) return false;
        start = slash + 1;
    }
    return true;
}

TTarReader::TTarReader(TTarSink& sink, std::int64_t maxFileBytes) : sink_(sink), budget_(maxFileBytes) {}

void TTarReader::Consume(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (state_ == tsEnded) {
            if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; }))
                throw EDamagedRuntime("octets après la fin de l'archive");
            return;
        }
        if (state_ == tsHeader) {
            const std::size_t take = std::min(kBlock - headerFill_, bytes.size());
            std::copy_n(bytes.begin(), take, header_.begin() + static_cast<std::ptrdiff_t>(headerFill_));
            headerFill_ += take;
            bytes = bytes.subspan(take);
            if (headerFill_ == kBlock) {
                headerFill_ = 0;
                TakeHeader();
            }
            continue;
        }
        const std::size_t take = static_cast<std::size_t>(std::min<std::int64_t>(left_, static_cast<std::int64_t>(bytes.size())));
        if (state_ == tsContents) sink_.FileBytes(bytes.first(take));
        bytes = bytes.subspan(take);
        left_ -= static_cast<std::int64_t>(take);
        if (left_ > 0) continue;
        if (state_ == tsContents) {
            sink_.EndFile();
            left_ = padding_;
            state_ = left_ > 0 ? tsPadding : tsHeader;
        } else {
            state_ = tsHeader;
        }
    }
}

void TTarReader::TakeHeader() {
    if (std::all_of(header_.begin(), header_.end(), [](std::uint8_t b) { return b == 0; })) {
        state_ = tsEnded;
        return;
    }
    if (!Checks(header_)) throw EDamagedRuntime("somme de contrôle fausse");
    if (Text(header_, kMagic, 5) != "ustar") throw EDamagedRuntime("archive d'un format inconnu");
    if (++entries_ > kMaxEntries) throw EDamagedRuntime("trop d'entrées");
    const std::string prefix = Text(header_, kPrefix, kPrefixSize);
    std::string path = Text(header_, kName, kNameSize);
    if (!prefix.empty()) path = prefix + "/" + path;
    const std::optional<std::int64_t> size = Octal(header_, kSize, kSizeSize);
    const std::optional<std::int64_t> mode = Octal(header_, kMode, kModeSize);
    if (!size || !mode) throw EDamagedRuntime("en-tête illisible : " + path);

    const char type = static_cast<char>(header_[kType]);
    if (type == '5') {
        if (!path.empty() && path.back() == '/') path.pop_back();
        if (!IsPlainArchivePath(path)) throw EDamagedRuntime("nom refusé : " + path);
        sink_.Folder(path);
        return;
    }
    if (type != '0' && type != '\0') throw EDamagedRuntime("entrée d'un type refusé : " + path);
    if (!IsPlainArchivePath(path)) throw EDamagedRuntime("nom refusé : " + path);
    if (*size > budget_) throw EDamagedRuntime("contenu plus grand qu'annoncé");
    budget_ -= *size;
    sink_.BeginFile(path, *size, (*mode & 0100) != 0);
    left_ = *size;
    padding_ = (static_cast<std::int64_t>(kBlock) - *size % static_cast<std::int64_t>(kBlock)) % static_cast<std::int64_t>(kBlock);
    if (left_ > 0) {
        state_ = tsContents;
        return;
    }
    sink_.EndFile();
}

void TTarReader::Finish() const {
    if (state_ != tsEnded) throw EDamagedRuntime("archive incomplète");
}

}  // namespace pellumo
