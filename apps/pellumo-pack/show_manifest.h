#pragma once

#include <string>

#include "show_plan.h"

namespace pellumo {

// Reads a show manifest (TOML): show settings at the top, slide settings shared by all slides
// in [defaults], one [[slides]] table per slide in playing order. Paths are relative to the
// manifest's folder. Every fault (syntax, unknown keys, wrong types, values out of range,
// missing pictures or music) is collected with its line and raised together as EOptionError.
TShowPlan ReadShowManifest(const std::string& manifestFile);

}  // namespace pellumo
