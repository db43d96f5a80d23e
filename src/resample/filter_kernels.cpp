#include "resample/filter_kernels.h"

#include <cmath>

namespace pictorand {

namespace {

using Extended = long double;

constexpr Extended TwoThirds = 2.0L / 3.0L;
constexpr Extended OneSixth = 1.0L / 6.0L;
constexpr Extended SixteenThirds = 16.0L / 3.0L;
constexpr Extended SevenThirds = 7.0L / 3.0L;
constexpr Extended ThirtyTwoThirds = 32.0L / 3.0L;
constexpr Extended Pi = 3.14159265358979323846264338327950288L;

float Single(Extended value) { return static_cast<float>(value); }

}  // namespace

float BoxKernel(float x) { return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f; }

float TriangleKernel(float x) {
    const Extended a = std::fabs(x);
    return a < 1 ? Single(1 - a) : 0.0f;
}

float HermiteKernel(float x) {
    const Extended a = std::fabs(x);
    return a < 1 ? Single((2 * a - 3) * (a * a) + 1) : 0.0f;
}

float BellKernel(float x) {
    const Extended a = std::fabs(x);
    if (a < 0.5L) return Single(0.75L - a * a);
    if (a < 1.5L) {
        const Extended v = Single(a - 1.5L);
        return Single(0.5L * (v * v));
    }
    return 0.0f;
}

float BSplineKernel(float x) {
    const Extended a = std::fabs(x);
    if (a < 1) {
        const Extended t = Single(a * a);
        return Single(0.5L * t * a - t + TwoThirds);
    }
    if (a < 2) {
        const Extended u = Single(2 - a);
        return Single(u * u * OneSixth * u);
    }
    return 0.0f;
}

float NormalizedSinc(float x) {
    if (x == 0) return 1.0f;
    const Extended y = Single(Pi * x);
    return Single(std::sin(y) / y);
}

float Lanczos3Kernel(float x) {
    const float a = std::fabs(x);
    if (a >= 3) return 0.0f;
    return Single(static_cast<Extended>(NormalizedSinc(a)) * NormalizedSinc(Single(static_cast<Extended>(a) / 3)));
}

float MitchellKernel(float x) {
    const Extended a = std::fabs(x);
    const Extended t = Single(a * a);
    if (a < 1) {
        const Extended numerator = Single(7 * a * t - 12 * t + SixteenThirds);
        return Single(numerator / 6);
    }
    if (a < 2) {
        const Extended numerator = Single(-SevenThirds * a * t + 12 * t - 20 * a + ThirtyTwoThirds);
        return Single(numerator / 6);
    }
    return 0.0f;
}

}  // namespace pictorand
