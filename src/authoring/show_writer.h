#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "authoring/show_plan.h"
#include "base/exceptions.h"

namespace pellumo {

// A show's writing stopped because it was asked to: nothing of it is left.
class EWriteCancelled : public Exception {
public:
    EWriteCancelled() : Exception("écriture du diaporama annulée") {}
};

// How a long write tells its progress and learns that it should stop. Either may be empty.
struct TWriteProgress {
    // Told (0, total) before the first picture, then (done, total) after each one.
    std::function<void(std::size_t done, std::size_t total)> step;
    // Asked before each picture; true stops the write.
    std::function<bool()> cancelled;
};

// The player that portable shows start with, unpacked from the show on a machine without
// Pellumo: a launcher and the player's runtime in one program.
inline constexpr const char* kPortableRuntimeName = "pellumo-portable";

// Where the portable runtime lies for the programs of `programFolder`: beside them, as in a
// build, or in ../lib/pellumo, as installed. Empty when in neither.
std::string PortableRuntimeNear(const std::string& programFolder);

// Writes the planned show: a copy of the player with the catalogue and every slide's picture
// appended, executable, and, when `copyMusic`, the music file copied beside it. Either all of
// the show appears or none of it does: pictures that cannot be read are reported together
// (EOptionError) once all have been tried, and the output is only renamed into place when
// complete; an interrupted or cancelled write (EWriteCancelled) leaves no temporary file and
// copies no music. Returns the size of the show file.
//
// A portable plan needs the portable runtime (pellumo-portable) as `player`, EOptionError
// otherwise; its music goes inside the show, after the runtime, and is never copied beside it.
std::int64_t WriteShow(const TShowPlan& plan, const std::string& player, const std::string& output, bool copyMusic,
                       const TWriteProgress& progress = {});

}  // namespace pellumo
