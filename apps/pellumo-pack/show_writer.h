#pragma once

#include <cstdint>
#include <string>

#include "show_plan.h"

namespace pellumo {

// Writes the planned show: a copy of the player with the catalogue and every slide's picture
// appended, executable, and, when `copyMusic`, the music file copied beside it. Either all of
// the show appears or none of it does: pictures that cannot be read are reported together
// (EOptionError) once all have been tried, and the output is only renamed into place when
// complete; an interrupted write leaves no temporary file. A progress bar runs on stderr when
// it is a terminal. Returns the size of the show file.
std::int64_t WriteShow(const TShowPlan& plan, const std::string& player, const std::string& output, bool copyMusic);

}  // namespace pellumo
