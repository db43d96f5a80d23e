#include "resample/resample_alpha.h"

#include <algorithm>

#include "resample/resample_bitmap.h"

namespace pictorand {

namespace {

constexpr int WeightProbe = 224;

}  // namespace

void ResampleBitmapWithAlpha(const TBitmap& source, TBitmap& destination, FilterKernel kernel, float support, TSamplingGrid grid,
                             int threads) {
    const int width = destination.Width(), height = destination.Height();
    TBitmap colours, alpha;
    for (TBitmap* plane : {&colours, &alpha}) {
        plane->SetPixelFormat(TPixelFormat::pf24bit);
        plane->SetSize(source.Width(), source.Height());
    }
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* in = source.ScanLine(y);
        std::uint8_t* c = colours.ScanLine(y);
        std::uint8_t* a = alpha.ScanLine(y);
        for (int x = 0; x < source.Width(); ++x, in += 4, c += 3, a += 3) {
            for (int k = 0; k < 3; ++k) c[k] = static_cast<std::uint8_t>((in[k] * in[3] + 127) / 255);
            // The alpha as the colours are scaled, for their ratio; the alpha again below full
            // scale, and a constant of that scale whose result says what the weights of each
            // output pixel add up to (the classic kernels give a little less or more than
            // one, and the room above keeps either from being clipped).
            a[0] = static_cast<std::uint8_t>((in[3] * WeightProbe + 127) / 255);
            a[1] = in[3];
            a[2] = WeightProbe;
        }
    }
    TBitmap scaledColours, scaledAlpha;
    for (TBitmap* plane : {&scaledColours, &scaledAlpha}) plane->SetSize(width, height);
    ResampleBitmap(colours, scaledColours, kernel, support, grid, threads);
    ResampleBitmap(alpha, scaledAlpha, kernel, support, grid, threads);
    destination.SetPixelFormat(TPixelFormat::pf32bit);
    destination.SetSize(width, height);
    destination.SetHasAlpha(true);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* c = scaledColours.ScanLine(y);
        const std::uint8_t* a = scaledAlpha.ScanLine(y);
        std::uint8_t* out = destination.ScanLine(y);
        for (int x = 0; x < width; ++x, c += 3, a += 3, out += 4) {
            // Colours are the premultiplied ones over the cover, both scaled alike; the cover
            // handed on is divided by the weights' sum, so that opaque stays opaque.
            const int coverage = a[1], headroomed = a[0], full = a[2];
            for (int k = 0; k < 3; ++k) out[k] = coverage == 0 ? 0 : static_cast<std::uint8_t>(std::min(255, (c[k] * 255 + coverage / 2) / coverage));
            out[3] = full == 0 ? static_cast<std::uint8_t>(coverage) : static_cast<std::uint8_t>(std::min(255, (headroomed * 255 + full / 2) / full));
        }
    }
}

}  // namespace pictorand
