// TColorManager: converts rows of decoded samples between colour schemes and sample
// depths, and builds palettes and the gamma table for the readers.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "formats/common/cmyk_to_bgr.h"
#include "graphics/color.h"
#include "graphics/exceptions.h"
#include "graphics/pixel_format.h"
#include "formats/common/image_properties.h"

namespace pictorand {

// ConvertOptions bits.
namespace convert_options {
inline constexpr std::uint8_t Alpha = 1 << 0;
inline constexpr std::uint8_t ApplyGamma = 1 << 1;
inline constexpr std::uint8_t ByteSwap = 1 << 2;
inline constexpr std::uint8_t LabByteRange = 1 << 3;
inline constexpr std::uint8_t LabChromaOffset = 1 << 4;
}  // namespace convert_options

enum class TPaletteLayout : std::uint8_t {
    Interleaved8, Interleaved8Quad, Planar8, Planar8Alt, Interleaved16, Interleaved16Quad, Planar16, Planar16Alt,
};

class TColorManager {
public:
    TColorManager();

    // CMYK, CIELab and 16-bit RGB rows through these instead of the fixed formulas (or the
    // cut to 8 bits) when set.
    TCmykToBgr CmykToBgr;
    TLabToBgr LabToBgr;
    TRgb16ToBgr Rgb16ToBgr;

    void SetSourceBitsPerSample(int bits);
    void SetTargetBitsPerSample(int bits);
    void SetSourceSamplesPerPixel(int samples);
    void SetTargetSamplesPerPixel(int samples);
    void SetSourceColorScheme(TColorScheme scheme);
    void SetTargetColorScheme(TColorScheme scheme);
    void SetGamma(float main, float display = 2.2f);
    // One to three luma coefficients (red, green, blue) and the chroma subsampling.
    void SetYCbCrParameters(std::initializer_list<float> coefficients, int horizontal, int vertical);
    // The stored codes of black and white for Y, Cb and Cr (six values, as TIFF's
    // ReferenceBlackWhite); codes are rescaled to full range before the conversion.
    void SetYCbCrReference(std::span<const double> blackWhite);

    int SourceBitsPerSample() const { return sourceBits_; }
    int TargetBitsPerSample() const { return targetBits_; }
    int TargetSamplesPerPixel() const { return targetSamples_; }
    TColorScheme TargetColorScheme() const { return targetScheme_; }
    std::uint8_t HorizontalSubsampling() const { return subsampling_[0]; }
    std::uint8_t VerticalSubsampling() const { return subsampling_[1]; }

    // Raises EColorConversionError when rows converted with these settings would not fit
    // a raster of the format, or would need more samples per pixel than the source has.
    void CheckLayout(TPixelFormat format) const;

    TPixelFormat PixelFormatForSource() const { return PixelFormatFor(sourceSamples_, sourceBits_); }
    TPixelFormat PixelFormatForTarget() const { return PixelFormatFor(targetSamples_, targetBits_); }

    // Converts count pixels from sources (one pointer: interleaved; one per sample:
    // planar) into target. Only pixels whose bit of the rotating mask is set are
    // converted; the others leave the target untouched.
    void ConvertRow(std::span<const std::uint8_t* const> sources, std::uint8_t* target, std::size_t count, std::uint8_t mask);
    void ConvertRow(const std::uint8_t* source, std::uint8_t* target, std::size_t count, std::uint8_t mask) {
        const std::uint8_t* sources[1] = {source};
        ConvertRow(sources, target, count, mask);
    }

    // A palette from raw colour-map data (interleaved: sources[0]; planar: red, green, blue).
    TPalette CreateColorPalette(std::span<const std::uint8_t* const> sources, TPaletteLayout layout, std::size_t count,
                                bool bgrOrder) const;
    TPalette CreateGrayscalePalette(bool minIsWhite) const;

    std::uint8_t SourceOptions = 0;
    std::uint8_t TargetOptions = 0;

private:
    using TConverter = void (TColorManager::*)(std::span<const std::uint8_t* const>, std::uint8_t*, std::size_t, std::uint8_t);

    static TPixelFormat PixelFormatFor(int samples, int bits);
    void ChooseConverter();
    template <class T>
    void Update(T& field, T value);
    void BuildYCbCrTables(int offsetRed, int offsetBlue);
    // Colours a caller's conversion gave, blue, green, red each, into the targets.
    static void SpreadBgr(std::span<const std::uint8_t> bgr, std::span<std::uint8_t* const> targets, bool targetBgr);
    std::uint16_t Read16(const std::uint8_t* p) const;
    std::uint8_t Gamma(std::uint8_t value) const;

    void ConvertIndexed(std::span<const std::uint8_t* const>, std::uint8_t*, std::size_t, std::uint8_t);
    void ConvertGray(std::span<const std::uint8_t* const>, std::uint8_t*, std::size_t, std::uint8_t);
    // Grey and alpha to grey colours with their alpha, blue, green, red, alpha.
    void ConvertGrayAlphaToColour(std::span<const std::uint8_t* const>, std::uint8_t*, std::size_t, std::uint8_t);
    void ConvertRgb(std::span<const std::uint8_t* const>, std::uint8_t*, std::size_t, std::uint8_t);
    void ConvertCmyk(std::span<const std::uint8_t* const>, std::uint8_t*, std::size_t, std::uint8_t);
    void ConvertLab(std::span<const std::uint8_t* const>, std::uint8_t*, std::size_t, std::uint8_t);
    void ConvertYcc(std::span<const std::uint8_t* const>, std::uint8_t*, std::size_t, std::uint8_t);

    bool changed_ = true;
    int sourceBits_ = 8, targetBits_ = 8;
    int sourceSamples_ = 3, targetSamples_ = 3;
    float mainGamma_ = 1.0f, displayGamma_ = 2.2f;
    std::array<std::uint8_t, 256> gammaTable_{};
    float luma_[3] = {0.299f, 0.587f, 0.114f};
    std::uint8_t subsampling_[2] = {1, 1};
    std::array<int, 256> crToRed_{}, cbToBlue_{}, crToGreen_{}, cbToGreen_{};
    // Stored Y, Cb and Cr codes to full-range codes; identity unless a reference is set.
    std::array<std::array<std::uint8_t, 256>, 3> yccRange_ = IdentityRanges();
    static std::array<std::array<std::uint8_t, 256>, 3> IdentityRanges();
    TColorScheme sourceScheme_ = TColorScheme::Rgb;
    TColorScheme targetScheme_ = TColorScheme::Bgr;
    TConverter converter_ = nullptr;
};

namespace color_messages {
inline constexpr std::string_view InvalidDepth = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
inline constexpr std::string_view InvalidSampleCount = "Sample count per pixel does not correspond to the given color scheme.";
inline constexpr std::string_view InvalidSubsampling = "Subsampling value is invalid. Allowed are 1, 2 and 4.";
inline constexpr std::string_view SubsamplingOrder = "Vertical subsampling value must be <= horizontal subsampling value.";
inline constexpr std::string_view NoConverter = "Color conversion failed. Could not find a proper method.";
inline constexpr std::string_view IndexedMismatch = "Conversion between indexed and non-indexed pixel formats is not supported.";
}  // namespace color_messages

}  // namespace pictorand
