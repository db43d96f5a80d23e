#include "resample/resample_alpha.h"

#include <algorithm>

#include "resample/resample_bitmap.h"

namespace pictorand {

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
            for (int k = 0; k < 3; ++k) {
                c[k] = static_cast<std::uint8_t>((in[k] * in[3] + 127) / 255);
                a[k] = in[3];
            }
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
            const int coverage = a[1];
            for (int k = 0; k < 3; ++k) out[k] = coverage == 0 ? 0 : static_cast<std::uint8_t>(std::min(255, (c[k] * 255 + coverage / 2) / coverage));
            out[3] = static_cast<std::uint8_t>(coverage);
        }
    }
}

}  // namespace pictorand
