#pragma once

#include <string>

namespace pellumo {

struct TResampleRequest {
    std::string filter = "triangle";  // box|triangle|hermite|bell|spline|lanczos3|mitchell
    float radius = 0.0f;              // 0: the filter's own
    std::string size;                 // "WIDTHxHEIGHT"
    std::string input;
    std::string output;
    bool force = false;  // replace an existing output file
};

// The filter names the command takes, in the order of the filter table, separated by "|".
std::string ResampleFilterNames();

// Reads any picture the registry knows, resizes it with the filtered resampler and writes it
// (24-bit pixels) in the format of the output's extension, which is checked before the
// picture is read (see CheckPictureOutput).
void RunResample(const TResampleRequest& request);

}  // namespace pellumo
