#include "engine/matrix_shaper.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace pictorand {

namespace {

using TMatrix = std::array<double, 9>;

// The columns are the profile's colorants: red, green and blue in XYZ (D50).
bool Colorants(cmsHPROFILE profile, TMatrix& m) {
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[c]));
        if (!xyz) return false;
        m[c] = xyz->X, m[3 + c] = xyz->Y, m[6 + c] = xyz->Z;
    }
    return true;
}

bool Inverted(const TMatrix& m, TMatrix& inverse) {
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
    if (std::abs(det) < 1e-12) return false;
    inverse = {(m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det, (m[1] * m[5] - m[2] * m[4]) / det,
               (m[5] * m[6] - m[3] * m[8]) / det, (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
               (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det, (m[0] * m[4] - m[1] * m[3]) / det};
    return true;
}

TMatrix Product(const TMatrix& a, const TMatrix& b) {
    TMatrix p{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) p[3 * r + c] += a[3 * r + k] * b[3 * k + c];
    return p;
}

struct TCurveFreer {
    void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};

// Linear light in steps of 1/65535 encoded to 8 bits; the deepest shadows move by a
// twentieth of a level from one step to the next.
constexpr int EncodeSteps = 65536;

struct TTables {
    std::array<std::vector<float>, 3> Linear;
    std::array<float, 9> Matrix;
    std::vector<std::uint8_t> Encode;
};

}  // namespace

TRgb16ToBgr MatrixShaperToSrgb(cmsHPROFILE source, cmsHPROFILE srgb) {
    if (!cmsIsMatrixShaper(source) || cmsIsTag(source, cmsSigAToB0Tag) || cmsIsTag(source, cmsSigDToB0Tag)) return {};
    TMatrix toXyz, fromXyz, srgbToXyz;
    if (!Colorants(source, toXyz) || !Colorants(srgb, srgbToXyz) || !Inverted(srgbToXyz, fromXyz)) return {};
    auto tables = std::make_shared<TTables>();
    const TMatrix matrix = Product(fromXyz, toXyz);
    std::copy(matrix.begin(), matrix.end(), tables->Matrix.begin());

    const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int c = 0; c < 3; ++c) {
        const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(source, curves[c]));
        if (!curve) return {};
        tables->Linear[c].resize(65536);
        for (int v = 0; v < 65536; ++v) tables->Linear[c][v] = cmsEvalToneCurveFloat(curve, static_cast<cmsFloat32Number>(v / 65535.0));
    }
    const auto* srgbCurve = static_cast<const cmsToneCurve*>(cmsReadTag(srgb, cmsSigGreenTRCTag));
    if (!srgbCurve) return {};
    const std::unique_ptr<cmsToneCurve, TCurveFreer> encode(cmsReverseToneCurve(srgbCurve));
    if (!encode) return {};
    tables->Encode.resize(EncodeSteps);
    for (int i = 0; i < EncodeSteps; ++i) {
        const double value = cmsEvalToneCurveFloat(encode.get(), static_cast<cmsFloat32Number>(i / double(EncodeSteps - 1)));
        tables->Encode[i] = static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
    }

    return [tables](const std::uint16_t* rgb, std::uint8_t* bgr, std::size_t count) {
        const auto& m = tables->Matrix;
        auto encoded = [&tables](float linear) {
            const float clipped = std::clamp(linear, 0.0f, 1.0f);
            return tables->Encode[static_cast<std::size_t>(clipped * (EncodeSteps - 1) + 0.5f)];
        };
        for (std::size_t i = 0; i < count; ++i, rgb += 3, bgr += 3) {
            const float r = tables->Linear[0][rgb[0]], g = tables->Linear[1][rgb[1]], b = tables->Linear[2][rgb[2]];
            bgr[2] = encoded(m[0] * r + m[1] * g + m[2] * b);
            bgr[1] = encoded(m[3] * r + m[4] * g + m[5] * b);
            bgr[0] = encoded(m[6] * r + m[7] * g + m[8] * b);
        }
    };
}

}  // namespace pictorand
