// The seven reconstruction kernels of the resampler and the filter table that names them.
// Kernels are evaluated at extended precision and rounded to 32-bit floats at the
// points where the results must match bit for bit.
#pragma once

#include <array>
#include <string_view>

namespace pictorand {

using FilterKernel = float (*)(float x);

float BoxKernel(float x);
float TriangleKernel(float x);
float HermiteKernel(float x);
float BellKernel(float x);
float BSplineKernel(float x);
float Lanczos3Kernel(float x);
float MitchellKernel(float x);
float NormalizedSinc(float x);

struct FilterTableEntry {
    std::string_view Name;
    FilterKernel Kernel;
    float Support;
};

// Indexed by the ordinal of the filter list's choice; rows 1 and 2 hold Triangle and
// Hermite in that order, so the list's "Hermite Filter" resamples with the Triangle
// kernel and "Triangle Filter" with the Hermite kernel, as users of the list expect.
inline constexpr std::array<FilterTableEntry, 7> FilterTable = {{
    {"Box", &BoxKernel, 0.5f},
    {"Triangle", &TriangleKernel, 1.0f},
    {"Hermite", &HermiteKernel, 1.0f},
    {"Bell", &BellKernel, 1.5f},
    {"B-Spline", &BSplineKernel, 2.0f},
    {"Lanczos3", &Lanczos3Kernel, 3.0f},
    {"Mitchell", &MitchellKernel, 2.0f},
}};

}  // namespace pictorand
