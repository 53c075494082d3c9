#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "authoring/show_plan.h"
#include "authoring/show_writer.h"

namespace pellumo {

// Takes in the planned slides' pictures in playing order as a show stores them (SlideJpegBytes
// with the plan's quality and colour management), handing each slide and its JPEG bytes to
// `take` while no picture has failed. Tells `progress` (0, total) first and (done, total)
// after each picture, and asks it before each one whether to stop (EWriteCancelled). Pictures
// that cannot be read are reported together (EOptionError) once all have been tried.
void TakeInPictures(const TShowPlan& plan, const TWriteProgress& progress,
                    const std::function<void(const TSlidePlan&, std::vector<std::uint8_t>)>& take);

}  // namespace pellumo
