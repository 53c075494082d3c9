#include "authoring/planned_pictures.h"

#include <utility>

#include "authoring/option_values.h"
#include "authoring/slide_pictures.h"

namespace pellumo {

void TakeInPictures(const TShowPlan& plan, const TWriteProgress& progress,
                    const std::function<void(const TSlidePlan&, std::vector<std::uint8_t>)>& take) {
    const std::size_t total = plan.slides.size();
    const auto step = [&](std::size_t done) {
        if (progress.step) progress.step(done, total);
    };
    TPlanFaults unreadable;
    step(0);
    std::size_t done = 0;
    for (const TSlidePlan& slide : plan.slides) {
        if (progress.cancelled && progress.cancelled()) throw EWriteCancelled();
        try {
            std::vector<std::uint8_t> jpeg =
                SlideJpegBytes(slide.picture, plan.jpegQuality, slide.settings.BackColor, plan.colorManagement);
            if (unreadable.Empty()) take(slide, std::move(jpeg));
        } catch (const EOptionError& e) {
            unreadable.Add(slide.origin + " : " + e.Message());
        }
        step(++done);
    }
    unreadable.RaiseIfAny();
}

}  // namespace pellumo
