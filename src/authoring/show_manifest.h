#pragma once

#include <string>

#include "authoring/show_document.h"
#include "authoring/show_plan.h"

namespace pellumo {

// Reads a show manifest (TOML) into a document: show settings at the top, slide values shared
// by all slides in [defaults], one [[slides]] table per slide in playing order. Paths are
// relative to the manifest's folder; the document holds them joined to it. Faults of what the
// text says (unknown keys, wrong types, values out of range, a picture file that is not there,
// no slide at all) go to `faults` with their line, the values in fault left out of the
// document; a syntax error raises EOptionError at once, since nothing after it can be read.
TShowDocument ReadManifest(const std::string& manifestFile, TPlanFaults& faults);

// The same, and what PlanShow finds (missing music, empty folders, captions a show cannot
// hold): every fault raised together as EOptionError, in line order.
TShowDocument ReadManifest(const std::string& manifestFile);

}  // namespace pellumo
