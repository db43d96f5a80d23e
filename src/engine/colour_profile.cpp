#include "engine/colour_profile.h"

#include <lcms2.h>

#include <memory>
#include <vector>

namespace pictorand {

namespace {

struct TProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TTransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using TProfile = std::unique_ptr<void, TProfileCloser>;
using TTransform = std::unique_ptr<void, TTransformDeleter>;

// Grey read from the first of three bytes, the other two passed over.
constexpr cmsUInt32Number GreyOfBgr = COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(2);
constexpr cmsUInt32Number GreyOfBgra = COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);

}  // namespace

bool ConvertToSrgb(TBitmap& raster, std::span<const std::uint8_t> profile) {
    if (profile.empty() || raster.Empty()) return false;
    const TProfile source(cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
    if (!source) return false;
    const cmsColorSpaceSignature space = cmsGetColorSpace(source.get());
    if (space != cmsSigRgbData && space != cmsSigGrayData) return false;
    const bool grey = space == cmsSigGrayData;
    const TProfile srgb(cmsCreate_sRGBProfile());
    const bool indexed = IsIndexed(raster.PixelFormat());
    const bool alpha = !indexed && raster.PixelFormat() == TPixelFormat::pf32bit;
    const cmsUInt32Number format = alpha ? (grey ? GreyOfBgra : TYPE_BGRA_8) : (grey ? GreyOfBgr : TYPE_BGR_8);
    const TTransform transform(cmsCreateTransform(source.get(), format, srgb.get(), alpha ? TYPE_BGRA_8 : TYPE_BGR_8,
                                                  INTENT_PERCEPTUAL, alpha ? cmsFLAGS_COPY_ALPHA : 0));
    if (!transform) return false;
    if (indexed) {
        TPalette palette = raster.Palette();
        for (TRGBQuad& entry : palette) {
            std::uint8_t bgr[3] = {entry.Blue, entry.Green, entry.Red}, out[3];
            cmsDoTransform(transform.get(), bgr, out, 1);
            entry.Blue = out[0];
            entry.Green = out[1];
            entry.Red = out[2];
        }
        raster.SetPalette(std::move(palette));
        return true;
    }
    if (!alpha) raster.SetPixelFormat(TPixelFormat::pf24bit);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(raster.Width()) * (alpha ? 4 : 3));
    for (int y = 0; y < raster.Height(); ++y) {
        std::uint8_t* line = raster.ScanLine(y);
        cmsDoTransform(transform.get(), line, row.data(), static_cast<cmsUInt32Number>(raster.Width()));
        std::copy(row.begin(), row.end(), line);
    }
    return true;
}

TCmykToBgr CmykToSrgb(std::span<const std::uint8_t> profile) {
    if (profile.empty()) return {};
    const TProfile source(cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
    if (!source || cmsGetColorSpace(source.get()) != cmsSigCmykData) return {};
    const TProfile srgb(cmsCreate_sRGBProfile());
    std::shared_ptr<void> transform(cmsCreateTransform(source.get(), TYPE_CMYK_8, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0),
                                    TTransformDeleter());
    if (!transform) return {};
    return [transform](const std::uint8_t* ink, std::uint8_t* bgr, std::size_t count) {
        cmsDoTransform(transform.get(), ink, bgr, static_cast<cmsUInt32Number>(count));
    };
}

}  // namespace pictorand
