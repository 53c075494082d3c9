// Dr. Halo CUT pictures with or without a palette file. An input whose first byte is odd
// carries a palette file: its next two bytes (little-endian) give the file's length, then the
// file's bytes, then the picture; otherwise the rest is the picture, shown in grays.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/cut_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    pellumo::TCUTGraphic cut;
    std::size_t start = 1;
    if (data[0] & 1) {
        const std::size_t length = std::min<std::size_t>(data[1] | data[2] << 8, size - 3);
        const std::string paletteFile =
            (std::filesystem::temp_directory_path() / ("pellumo-fuzz-cut-" + std::to_string(::getpid()) + ".pal")).string();
        std::ofstream(paletteFile, std::ios::binary).write(reinterpret_cast<const char*>(data + 3),
                                                           static_cast<std::streamsize>(length));
        cut.SetPaletteFile(paletteFile);
        start = 3 + length;
    }
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data + start, data + size));
    try {
        cut.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    if (!cut.PaletteFile().empty()) std::filesystem::remove(cut.PaletteFile());
    return 0;
}
