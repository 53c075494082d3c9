#pragma once

#include <string>

#include "show_plan.h"

namespace pellumo {

// Writes the planned show: a copy of the player with the catalogue and every slide's picture
// appended, executable, and the music file copied beside it. Either all of it appears or none
// of the show does: pictures that cannot be read are reported together (EOptionError) once
// all have been tried, and the output is only renamed into place when complete. A progress
// bar runs on stderr when it is a terminal.
void WriteShow(const TShowPlan& plan, const std::string& player, const std::string& output);

}  // namespace pellumo
