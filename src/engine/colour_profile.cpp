#include "engine/colour_profile.h"

#include <lcms2.h>

#include "engine/matrix_shaper.h"

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

// The chromaticities of the code points' primaries, and their white.
struct TPrimaries {
    int Code;
    cmsCIExyYTRIPLE Primaries;
    cmsCIExyY White;
};
constexpr cmsCIExyY D65{0.3127, 0.3290, 1.0};
constexpr TPrimaries KnownPrimaries[] = {
    {1, {{0.640, 0.330, 1}, {0.300, 0.600, 1}, {0.150, 0.060, 1}}, D65},                  // BT.709, sRGB
    {5, {{0.640, 0.330, 1}, {0.290, 0.600, 1}, {0.150, 0.060, 1}}, D65},                  // BT.601 625 lines
    {6, {{0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}}, D65},                  // BT.601 525 lines
    {9, {{0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}}, D65},                  // BT.2020
    {11, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, {0.314, 0.351, 1}},  // DCI-P3
    {12, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, D65},                 // Display P3
};

// The transfer curve of a code: the sRGB curve for sRGB, BT.709's (which displays as
// sRGB does) and an unspecified one; plain gammas and linear light otherwise.
cmsToneCurve* TransferCurve(int transfer) {
    switch (transfer) {
        case 1: case 2: case 6: case 13: case 14: case 15: {
            const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
            return cmsBuildParametricToneCurve(nullptr, 4, srgb);
        }
        case 4: return cmsBuildGamma(nullptr, 2.2);
        case 5: return cmsBuildGamma(nullptr, 2.8);
        case 8: return cmsBuildGamma(nullptr, 1.0);
        default: return nullptr;
    }
}

bool SrgbCurve(int transfer) { return transfer == 1 || transfer == 2 || transfer == 6 || transfer == 13 || transfer == 14 || transfer == 15; }

// The profile as the bytes of an ICC file; empty when it cannot be saved.
std::vector<std::uint8_t> SavedProfile(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    if (!profile || !cmsSaveProfileToMem(profile, nullptr, &size) || size == 0) return {};
    std::vector<std::uint8_t> bytes(size);
    if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) return {};
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> CicpProfile(const TCicp& cicp) {
    // Unspecified primaries are taken for sRGB's, as every viewer takes them.
    const int primaries = cicp.Primaries == 2 ? 1 : cicp.Primaries;
    if (primaries == 1 && SrgbCurve(cicp.Transfer)) return {};
    const TPrimaries* known = nullptr;
    for (const TPrimaries& p : KnownPrimaries)
        if (p.Code == primaries) known = &p;
    cmsToneCurve* curve = TransferCurve(cicp.Transfer);
    if (!known || !curve) {
        if (curve) cmsFreeToneCurve(curve);
        return {};
    }
    cmsToneCurve* curves[3] = {curve, curve, curve};
    const TProfile profile(cmsCreateRGBProfile(&known->White, &known->Primaries, curves));
    cmsFreeToneCurve(curve);
    return SavedProfile(profile.get());
}

std::vector<std::uint8_t> ChromaticitiesProfile(const TChromaticities& colour) {
    const cmsCIExyY white{colour.White[0], colour.White[1], 1.0};
    const cmsCIExyYTRIPLE primaries{{colour.Red[0], colour.Red[1], 1.0}, {colour.Green[0], colour.Green[1], 1.0},
                                    {colour.Blue[0], colour.Blue[1], 1.0}};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 1.0 / colour.Gamma);
    if (!curve) return {};
    cmsToneCurve* curves[3] = {curve, curve, curve};
    const TProfile profile(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    return SavedProfile(profile.get());
}

std::vector<std::uint8_t> SourceProfile(const TSourceMetadata& metadata) {
    if (!metadata.IccProfile.empty()) return metadata.IccProfile;
    if (metadata.Cicp) return CicpProfile(*metadata.Cicp);
    if (metadata.Chromaticities) return ChromaticitiesProfile(*metadata.Chromaticities);
    return {};
}

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

bool GreyProfileOnColour(const TBitmap& raster, std::span<const std::uint8_t> profile) {
    if (profile.empty() || raster.Empty()) return false;
    const TProfile source(cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
    if (!source || cmsGetColorSpace(source.get()) != cmsSigGrayData) return false;
    if (IsIndexed(raster.PixelFormat())) {
        for (const TRGBQuad& e : raster.Palette())
            if (e.Red != e.Green || e.Green != e.Blue) return true;
        return false;
    }
    const std::size_t step = raster.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3;
    if (step == 3 && raster.PixelFormat() != TPixelFormat::pf24bit) return false;
    for (int y = 0; y < raster.Height(); ++y) {
        const std::uint8_t* p = raster.ScanLine(y);
        for (int x = 0; x < raster.Width(); ++x, p += step)
            if (p[0] != p[1] || p[1] != p[2]) return true;
    }
    return false;
}

TLabToBgr LabToSrgb() {
    // One transform for the whole program; without its cache it may run on many threads.
    static const std::shared_ptr<void> transform = [] {
        const TProfile lab(cmsCreateLab4Profile(nullptr));
        const TProfile srgb(cmsCreate_sRGBProfile());
        return std::shared_ptr<void>(
            cmsCreateTransform(lab.get(), TYPE_Lab_DBL, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE), TTransformDeleter());
    }();
    if (!transform) return {};
    return [](const double* values, std::uint8_t* bgr, std::size_t count) {
        cmsDoTransform(transform.get(), values, bgr, static_cast<cmsUInt32Number>(count));
    };
}

TRgb16ToBgr Rgb16ToSrgb(std::span<const std::uint8_t> profile) {
    if (profile.empty()) return {};
    const TProfile source(cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
    if (!source || cmsGetColorSpace(source.get()) != cmsSigRgbData) return {};
    const TProfile srgb(cmsCreate_sRGBProfile());
    if (TRgb16ToBgr fast = MatrixShaperToSrgb(source.get(), srgb.get())) return fast;
    // Without its cache the transform may run on the threads one picture is decoded on;
    // unoptimised, it evaluates the profile's tables at full precision instead of through
    // a coarse grid of their values.
    std::shared_ptr<void> transform(cmsCreateTransform(source.get(), TYPE_RGB_16, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL,
                                                       cmsFLAGS_NOCACHE | cmsFLAGS_NOOPTIMIZE),
                                    TTransformDeleter());
    if (!transform) return {};
    return [transform](const std::uint16_t* rgb, std::uint8_t* bgr, std::size_t count) {
        cmsDoTransform(transform.get(), rgb, bgr, static_cast<cmsUInt32Number>(count));
    };
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
