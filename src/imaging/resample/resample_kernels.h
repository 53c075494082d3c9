#pragma once

#include <array>

namespace pellumo {

// The filter kernels of the resampler; the ordinal indexes the filter table below.
enum TResampleFilter { rfBox, rfTriangle, rfHermite, rfBell, rfSpline, rfLanczos3, rfMitchell };

constexpr int kResampleFilterCount = 7;

// A pure function from a position (in source samples from the centre) to a weight.
using TFilterKernel = float (*)(float x);

// Every kernel computes in 32-bit floats, step by step: the resampler's bytes depend on it.
float BoxFilter(float x);       // 1 on (-0.5, 0.5]
float TriangleFilter(float x);  // tent, support 1
float HermiteFilter(float x);   // support 1
float BellFilter(float x);      // quadratic B-spline, support 1.5
float SplineFilter(float x);    // cubic B-spline, support 2
float Lanczos3Filter(float x);  // windowed sinc, three lobes, support 3
float MitchellFilter(float x);  // Mitchell-Netravali, B = C = 1/3, support 2

inline constexpr std::array<TFilterKernel, kResampleFilterCount> kFilterKernels = {
    BoxFilter, TriangleFilter, HermiteFilter, BellFilter, SplineFilter, Lanczos3Filter, MitchellFilter};

// Each kernel's own radius, used when a caller asks for radius 0.
inline constexpr std::array<float, kResampleFilterCount> kFilterRadii = {0.5f, 1.0f, 1.0f, 1.5f,
                                                                         2.0f, 3.0f, 2.0f};

}  // namespace pellumo
