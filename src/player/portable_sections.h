#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/stream.h"

namespace pellumo {

// A portable show is one file: a launcher program, the runtime it unpacks (the player and the
// libraries it needs, a compressed tar), the show's music, then the catalogue and its trailer
// as in any show. The runtime and the music each start with one line of text,
//   PELLUMO-RUNTIME 1 <key> <compressed size> <unpacked size>\n
//   PELLUMO-MUSIC 1 <key> <size> <name length>\n<name>
// followed by their bytes. A key names the bytes for the cache they are unpacked into: 16 to
// 64 lower-case hexadecimal digits. The runtime begins where the launcher's program image
// ends, the music right after the runtime, and the catalogue after both, so a reader of the
// catalogue never sees them.

// How the launcher tells the player it starts what to play: the show file (the player's own
// program holds no show) and the carried music it unpacked, if any.
inline constexpr const char* kShowFileVariable = "PELLUMO_SHOW_FILE";
inline constexpr const char* kCarriedMusicVariable = "PELLUMO_SHOW_MUSIC";

// The runtime a launcher carries.
struct TRuntimeSection {
    std::string key;
    std::int64_t offset = 0;  // of the first compressed byte
    std::int64_t size = 0;
    std::int64_t unpackedSize = 0;  // of the tar, an upper bound of what unpacking writes
};

// The music a portable show carries; the name is the music file's (UTF-8), a plain name.
struct TCarriedMusic {
    std::string key;
    std::string name;
    std::int64_t offset = 0;  // of the first byte of the music
    std::int64_t size = 0;
};

struct TPortableSections {
    TRuntimeSection runtime;
    std::optional<TCarriedMusic> music;
};

// The runtime at the end of the program image the stream starts with, and the music after it
// when there is one. std::nullopt when the stream carries no runtime (a plain player or show);
// a runtime or music line that is damaged, or whose bytes run past the end of the stream,
// counts as absent. Reads stay inside the stream.
std::optional<TPortableSections> ReadPortableSections(TStream& stream);

// Appends the music section at the end of the stream: its line, its name and its bytes. The
// name must be a plain file name (EConvertError otherwise).
void WriteCarriedMusic(TStream& stream, std::string_view name, std::span<const std::uint8_t> bytes);

// Whether a name may be a file in a folder of its own: not empty, no '/', no NUL, neither "."
// nor "..", at most 255 bytes.
bool IsPlainFileName(std::string_view name);

}  // namespace pellumo
