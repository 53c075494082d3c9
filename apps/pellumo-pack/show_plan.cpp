#include "show_plan.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "option_values.h"

namespace pellumo {

TSlideEntry DefaultSlideSettings() {
    TSlideEntry slide;
    slide.Duration = 5;
    slide.TransitionStyle = 56;
    slide.CaptionColor = clWhite;
    slide.BackColor = clBlack;
    return slide;
}

void TPlanFaults::RaiseIfAny() {
    if (faults_.empty()) return;
    std::stable_sort(faults_.begin(), faults_.end(), [](const TFault& a, const TFault& b) { return a.line < b.line; });
    std::string text;
    for (const TFault& fault : faults_) text += (text.empty() ? "" : "\n") + fault.message;
    throw EOptionError(text);
}

std::string MusicNameOf(const std::string& musicFile, const std::string& origin, TPlanFaults& faults,
                        std::int64_t line) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(musicFile, error) || !std::ifstream(musicFile, std::ios::binary)) {
        faults.Add(origin + " : fichier musical introuvable ou illisible : " + musicFile, line);
        return {};
    }
    try {
        return ParseShowText(std::filesystem::path(musicFile).filename().string(), "nom du fichier musical");
    } catch (const EOptionError& e) {
        faults.Add(origin + " : " + e.Message(), line);
        return {};
    }
}

}  // namespace pellumo
