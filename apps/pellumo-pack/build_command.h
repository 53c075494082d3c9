#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pellumo {

// What `pellumo-pack build` was asked for, as typed: texts are UTF-8 and every value is
// checked by RunBuild before anything is written.
struct TBuildRequest {
    std::string output;
    std::string player;  // empty: the player installed beside pellumo-pack
    std::string music;
    bool loop = true;
    bool copyAllowed = true;
    bool fineResize = false;
    std::string duration = "5";
    std::string style = "56";
    std::string caption;
    std::string captionColor = "#FFFFFF";
    std::string backColor = "#000000";
    std::optional<std::string> frameColor;  // given: the slides are framed
    std::vector<std::string> pictures;
};

// Writes a copy of the player with the show appended, executable, in one step: either the
// whole output appears or nothing does.
void RunBuild(const TBuildRequest& request);

}  // namespace pellumo
