#pragma once

// Program files of the tests' own: some bytes standing for the player, then a show.
#include <cstdint>
#include <string>
#include <vector>

#include "base/file_stream.h"
#include "player/catalogue.h"

namespace pellumo::show_files {

struct TestSlide {
    TSlideEntry Entry;
    std::vector<std::uint8_t> Jpeg;
};

inline void WriteShowFile(const std::string& path, const TCatalogue& header, const std::vector<TestSlide>& slides) {
    TFileStream file(path, fmCreate);
    const std::string player = "not really a player";
    file.WriteBuffer(player.data(), player.size());
    TCatalogueWriter writer(file, header);
    for (const TestSlide& slide : slides) writer.AddSlide(slide.Entry, slide.Jpeg);
    writer.Finish();
}

}  // namespace pellumo::show_files
