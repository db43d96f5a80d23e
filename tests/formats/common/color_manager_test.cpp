#include "formats/common/color_manager.h"

#include <gtest/gtest.h>

#include "graphics/exceptions.h"

namespace pictorand {
namespace {

TColorManager Manager(TColorScheme from, TColorScheme to, int sourceBits, int targetBits, int samples) {
    TColorManager cm;
    cm.SetSourceColorScheme(from);
    cm.SetTargetColorScheme(to);
    cm.SetSourceBitsPerSample(sourceBits);
    cm.SetTargetBitsPerSample(targetBits);
    cm.SetSourceSamplesPerPixel(samples);
    cm.SetTargetSamplesPerPixel(samples);
    return cm;
}

TEST(ColorManager, MaskConvertsOnlyItsPixels) {
    TColorManager cm = Manager(TColorScheme::Gray, TColorScheme::Gray, 8, 8, 1);
    const std::uint8_t source[4] = {10, 11, 12, 13};
    std::uint8_t target[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    cm.ConvertRow(source, target, 8, 85);  // 01010101: pixels 1, 3, 5, 7
    EXPECT_EQ(std::vector<std::uint8_t>(target, target + 8), (std::vector<std::uint8_t>{0, 10, 0, 11, 0, 12, 0, 13}));
}

TEST(ColorManager, SampleWidthsAndSwaps) {
    TColorManager cm = Manager(TColorScheme::Rgb, TColorScheme::Bgr, 16, 8, 3);
    cm.SourceOptions = convert_options::ByteSwap;
    const std::uint8_t source[6] = {0xFF, 0xFF, 0x00, 0x01, 0x80, 0x00};  // big-endian 65535, 1, 32768
    std::uint8_t target[3] = {};
    cm.ConvertRow(source, target, 1, 0xFF);
    EXPECT_EQ(target[2], 255) << "red 65535 becomes 255";
    EXPECT_EQ(target[1], 0);
    EXPECT_EQ(target[0], 127);

    TColorManager widen = Manager(TColorScheme::Gray, TColorScheme::Gray, 8, 16, 1);
    const std::uint8_t bytes[2] = {255, 1};
    std::uint8_t wide[4] = {};
    widen.ConvertRow(bytes, wide, 2, 0xFF);
    EXPECT_EQ(wide[0] | wide[1] << 8, 65535);
    EXPECT_EQ(wide[2] | wide[3] << 8, 257);
}

TEST(ColorManager, CmykWhiteAndBlack) {
    TColorManager cm = Manager(TColorScheme::Cmyk, TColorScheme::Bgr, 8, 8, 4);
    cm.SetTargetSamplesPerPixel(3);
    const std::uint8_t source[8] = {0, 0, 0, 0, 10, 200, 30, 255};
    std::uint8_t target[6] = {};
    cm.ConvertRow(source, target, 2, 0xFF);
    EXPECT_EQ(std::vector<std::uint8_t>(target, target + 6), (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0}));
}

TEST(ColorManager, ConverterChoiceFailures) {
    TColorManager cmy = Manager(TColorScheme::Cmy, TColorScheme::Bgr, 8, 8, 3);
    std::uint8_t buffer[16] = {};
    try {
        cmy.ConvertRow(buffer, buffer + 8, 1, 0xFF);
        FAIL();
    } catch (const EColorConversionError& e) {
        EXPECT_STREQ(e.what(), "Color conversion failed. Could not find a proper method.");
    }
    TColorManager grey = Manager(TColorScheme::Gray, TColorScheme::Gray, 16, 4, 1);
    EXPECT_THROW(grey.ConvertRow(buffer, buffer + 8, 1, 0xFF), EColorConversionError);
    TColorManager mixed = Manager(TColorScheme::Indexed, TColorScheme::Bgr, 8, 8, 1);
    try {
        mixed.ConvertRow(buffer, buffer + 8, 1, 0xFF);
        FAIL();
    } catch (const EColorConversionError& e) {
        EXPECT_STREQ(e.what(), "Conversion between indexed and non-indexed pixel formats is not supported.");
    }
    TColorManager cm;
    EXPECT_NO_THROW(cm.SetSourceBitsPerSample(3));
    EXPECT_THROW(cm.SetSourceBitsPerSample(17), EColorConversionError);
    EXPECT_THROW(cm.SetSourceSamplesPerPixel(6), EColorConversionError);
    EXPECT_THROW(cm.SetYCbCrParameters({0.3f}, 1, 2), EColorConversionError);
    EXPECT_THROW(cm.SetYCbCrParameters({0.3f}, 3, 1), EColorConversionError);
}

TEST(ColorManager, PackedDepthsRescale) {
    TColorManager cm = Manager(TColorScheme::Gray, TColorScheme::Gray, 2, 4, 1);
    const std::uint8_t source[1] = {0b00011011};  // 0, 1, 2, 3
    std::uint8_t target[2] = {};
    cm.ConvertRow(source, target, 4, 0xFF);
    EXPECT_EQ(target[0], 0x05);
    EXPECT_EQ(target[1], 0xAF) << "2-bit values become x 5";
}

TEST(ColorManager, YCbCrAndLab) {
    TColorManager ycc = Manager(TColorScheme::YCbCr, TColorScheme::Bgr, 8, 8, 3);
    const std::uint8_t grey[3] = {100, 128, 128};
    std::uint8_t out[3] = {};
    ycc.ConvertRow(grey, out, 1, 0xFF);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 3), (std::vector<std::uint8_t>{100, 100, 100}));

    TColorManager lab = Manager(TColorScheme::CieLab, TColorScheme::Bgr, 8, 8, 3);
    lab.SourceOptions = convert_options::LabByteRange | convert_options::LabChromaOffset;
    const std::uint8_t white[3] = {255, 128, 128};
    lab.ConvertRow(white, out, 1, 0xFF);
    EXPECT_GE(out[0], 250);
    EXPECT_GE(out[2], 250);
}

// L*a*b* samples of every layout reach a caller's conversion as L* 0..100 and signed
// a*, b*; 16-bit samples are scaled, not read as if they were bytes.
TEST(ColorManager, LabSamplesAreScaledByTheirLayout) {
    std::vector<double> seen;
    const TLabToBgr record = [&seen](const double* lab, std::uint8_t* bgr, std::size_t count) {
        seen.assign(lab, lab + 3 * count);
        std::fill(bgr, bgr + 3 * count, 7);
    };
    // TIFF: L* over the byte or word, a* and b* signed.
    TColorManager tiff8 = Manager(TColorScheme::CieLab, TColorScheme::Bgr, 8, 8, 3);
    tiff8.SourceOptions = convert_options::LabByteRange;
    tiff8.LabToBgr = record;
    const std::uint8_t bytes[3] = {255, 0xF6, 10};
    std::uint8_t out[4] = {};
    tiff8.ConvertRow(bytes, out, 1, 0xFF);
    EXPECT_EQ(seen, (std::vector<double>{100.0, -10.0, 10.0}));
    EXPECT_EQ(out[0], 7);

    TColorManager tiff16 = Manager(TColorScheme::CieLab, TColorScheme::Bgr, 16, 8, 3);
    tiff16.SourceOptions = convert_options::LabByteRange;
    tiff16.LabToBgr = record;
    const std::uint8_t words[6] = {0xFF, 0xFF, 0x00, 0xF6, 0x00, 0x0A};  // little-endian 65535, -2560, 2560
    tiff16.ConvertRow(words, out, 1, 0xFF);
    EXPECT_EQ(seen, (std::vector<double>{100.0, -10.0, 10.0}));

    // Photoshop: a* and b* centred on half the range, planes of one channel each, alpha kept.
    TColorManager psd16 = Manager(TColorScheme::CieLab, TColorScheme::Bgra, 16, 8, 4);
    psd16.SetTargetSamplesPerPixel(4);
    psd16.SourceOptions = convert_options::LabByteRange | convert_options::LabChromaOffset | convert_options::ByteSwap;
    psd16.LabToBgr = record;
    const std::uint8_t l[2] = {0x80, 0x00}, a[2] = {0x82, 0x00}, b[2] = {0x7E, 0x00}, alpha[2] = {0x33, 0x33};
    const std::uint8_t* planes[4] = {l, a, b, alpha};
    psd16.ConvertRow(planes, out, 1, 0xFF);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_NEAR(seen[0], 50.0, 0.01);
    EXPECT_EQ(seen[1], 2.0);
    EXPECT_EQ(seen[2], -2.0);
    EXPECT_EQ(out[3], 0x33);

    // Without a conversion the fixed formula takes the same values: 16-bit white is white.
    TColorManager fixed = Manager(TColorScheme::CieLab, TColorScheme::Bgr, 16, 8, 3);
    fixed.SourceOptions = convert_options::LabByteRange;
    const std::uint8_t white[6] = {0xFF, 0xFF, 0, 0, 0, 0};
    fixed.ConvertRow(white, out, 1, 0xFF);
    EXPECT_GE(out[1], 250);
}

TEST(ColorManager, Palettes) {
    TColorManager cm = Manager(TColorScheme::Indexed, TColorScheme::Indexed, 2, 4, 1);
    const std::uint8_t map[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::uint8_t* sources[1] = {map};
    const TPalette palette = cm.CreateColorPalette(sources, TPaletteLayout::Interleaved8, 4, false);
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[5].Red, 4) << "entry i takes entry i x 3 / 15";
    EXPECT_EQ(palette[15].Blue, 12);
    TColorManager grey = Manager(TColorScheme::Gray, TColorScheme::Gray, 8, 1, 1);
    const TPalette ramp = grey.CreateGrayscalePalette(true);
    ASSERT_EQ(ramp.size(), 2u);
    EXPECT_EQ(ramp[0].Red, 255) << "min is white";
}

}  // namespace
}  // namespace pictorand
