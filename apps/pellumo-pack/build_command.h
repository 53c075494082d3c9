#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pellumo {

// What `pellumo-pack build` was asked for, as typed: texts are UTF-8 and every value is
// checked by RunBuild before anything is written. A show comes either from a manifest or from
// the pictures and slide options on the command line; unset slide options keep the defaults.
struct TBuildRequest {
    std::string output;
    std::string player;  // empty: the player (or the portable runtime) installed with pellumo-pack
    std::string manifest;
    bool force = false;  // replace an existing file that is not a show, or other music of that name
    std::optional<int> quality;
    bool noColorManagement = false;  // pictures keep their pixels whatever their colour profile
    bool portable = false;  // a portable show, whatever the manifest says
    // The command-line form.
    std::string music;
    bool loop = true;
    bool copyAllowed = true;
    bool fineResize = false;
    std::optional<std::string> duration;
    std::optional<std::string> style;
    std::optional<std::string> caption;
    std::optional<std::string> captionColor;
    std::optional<std::string> backColor;
    std::optional<std::string> frameColor;  // "#RRGGBB" frames the slides, "none" does not
    std::vector<std::string> pictures;
};

// Writes a copy of the player with the show appended, executable, in one step: either the
// whole output appears or nothing does. Before any work, refuses an output that is one of the
// build's inputs, or an existing file that is not a show (unless forced), and music that would
// replace another file of its name beside the output (unless forced). A folder among the
// pictures stands for the pictures in it. Says in one line on `report` what was written.
void RunBuild(const TBuildRequest& request, std::ostream& report);

}  // namespace pellumo
