// ICC profiles made in code for the colour tests.
#pragma once

#include <lcms2.h>

#include <cstdint>
#include <vector>

namespace pictorand::testing {

// An RGB profile of the given primaries with a D65 white and one gamma for every channel.
inline std::vector<std::uint8_t> RgbGammaProfile(const cmsCIExyYTRIPLE& primaries, double exponent) {
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, exponent);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(gamma);
    return bytes;
}

// An Adobe RGB (1998) profile: its primaries and white point, gamma 2.2.
inline std::vector<std::uint8_t> AdobeRgbProfile() {
    return RgbGammaProfile({{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}}, 2.19921875);
}

}  // namespace pictorand::testing
