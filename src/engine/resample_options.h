// TResampleOptions: ways of scaling beside the classic arithmetic, all off by default so
// that the classic output stays the default.
#pragma once

namespace pictorand {

struct TResampleOptions {
    // JPEG sources are decoded at 1/2, 1/4 or 1/8 of their size through libjpeg's
    // scaling, the largest reduction that leaves them at least as large as the target.
    bool ShrinkOnLoad = false;
    // Output samples sit on the pixel-centre grid instead of the classic one.
    bool CentreGrid = false;
    // Samples are scaled in linear light instead of as sRGB code values.
    bool LinearLight = false;
    // Pictures drawn from vectors (metafiles) are drawn at twice the size they are wanted
    // at rather than at their own, which may be far larger.
    bool DrawAtOutputSize = false;

    friend bool operator==(const TResampleOptions&, const TResampleOptions&) = default;
};

}  // namespace pictorand
