#include "engine/output_raster_stage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "graphics/exceptions.h"
#include "scripted_host.h"

namespace pictorand {
namespace {

using Size = std::pair<int, int>;

ConversionSettings Rule(SizeMode mode, const std::string& number) {
    ConversionSettings s;
    s.Size = mode;
    s.MaxSideText = s.PercentText = s.CentimetresText = s.MillimetresText = number;
    return s;
}

TEST(TargetSize, ProportionalRules) {
    struct Case { SizeMode mode; const char* number; int w, h; Size expected; };
    const Case cases[] = {
        {SizeMode::FitPixels, "800", 1600, 1200, {800, 600}},
        {SizeMode::FitPixels, "800", 1200, 1600, {600, 800}},
        {SizeMode::FitPixels, "250", 1000, 1000, {250, 250}},
        {SizeMode::FitPixels, "400", 200, 100, {400, 200}},
        {SizeMode::FitPercent, "50", 333, 250, {166, 125}},
        {SizeMode::FitCentimetres, "10", 1000, 500, {284, 142}},
        {SizeMode::FitMillimetres, "100", 1000, 500, {284, 142}},
        // 2.5 and 1.5 round to the even 2, 0.5 to 0.
        {SizeMode::FitPixels, "512", 1024, 5, {512, 2}},
        {SizeMode::FitPixels, "512", 1024, 3, {512, 2}},
        {SizeMode::FitPixels, "512", 1024, 1, {512, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckSizeFiles(Rule(c.mode, c.number), c.w, c.h), c.expected) << c.number << " " << c.w << "x" << c.h;
}

TEST(TargetSize, CustomIconAndFailures) {
    ConversionSettings custom;
    custom.Size = SizeMode::Custom;
    EXPECT_EQ(CheckSizeFiles(custom, 37, 3000), (Size{100, 100}));
    EXPECT_THROW(CheckSizeFiles(custom, 0, 5), EZeroDivide);
    EXPECT_EQ(IconSize(640, 480), (Size{32, 24}));
    EXPECT_EQ(IconSize(480, 640), (Size{24, 32}));
    EXPECT_EQ(IconSize(20, 10), (Size{32, 16}));
    for (const char* bad : {"1.5", ".", ""}) EXPECT_THROW(CheckSizeFiles(Rule(SizeMode::FitPixels, bad), 10, 10), EConvertError) << bad;
    ConversionSettings none;
    none.Size.reset();
    EXPECT_THROW(CheckSizeFiles(none, 10, 10), EInvalidGraphicOperation);
}

class OutputRaster : public ::testing::Test {
protected:
    std::unique_ptr<TBitmap> Run(const ConversionSettings& settings, TBitmap source) {
        settings_ = TFixedSettings(settings);
        return MakeOutputRaster(source, settings_, host_).Raster;
    }
    static TBitmap Source(TPixelFormat format, int w, int h) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(w, h);
        return bitmap;
    }
    testing::TScriptedHost host_;
    TFixedSettings settings_;
};

TEST_F(OutputRaster, ThreeVariants) {
    ConversionSettings s = Rule(SizeMode::FitPixels, "8");
    const auto resized = Run(s, Source(TPixelFormat::pf8bit, 16, 12));
    ASSERT_NE(resized, nullptr);
    EXPECT_EQ(resized->Width(), 8);
    EXPECT_EQ(resized->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(host_.Pumps, 2);

    s.Size = SizeMode::NoResize;
    const auto copied = Run(s, Source(TPixelFormat::pf8bit, 16, 12));
    EXPECT_EQ(copied->PixelFormat(), TPixelFormat::pf8bit) << "the copy keeps the palette image";

    s.Format = OutputFormatNamed("ico");
    const auto icon = Run(s, Source(TPixelFormat::pf24bit, 640, 480));
    EXPECT_EQ(icon->Width(), 32);
    EXPECT_EQ(icon->Height(), 24);
}

TEST_F(OutputRaster, FailuresGiveNoTarget) {
    const std::vector<std::pair<ConversionSettings, TBitmap>> cases = {
        {Rule(SizeMode::FitPixels, "512"), Source(TPixelFormat::pf24bit, 1024, 1)},  // height 0
        {Rule(SizeMode::FitPixels, "1"), Source(TPixelFormat::pf24bit, 30, 20)},     // 1 from larger
        {Rule(SizeMode::FitPixels, "x"), Source(TPixelFormat::pf24bit, 30, 20)},
        {Rule(SizeMode::FitPixels, "0"), Source(TPixelFormat::pf24bit, 30, 20)},
    };
    for (const auto& [settings, source] : cases) {
        EXPECT_EQ(Run(settings, source), nullptr);
    }
    ConversionSettings damaged = Rule(SizeMode::FitPixels, "10");
    damaged.Filter = 7;  // no such row
    EXPECT_EQ(Run(damaged, Source(TPixelFormat::pf24bit, 30, 20)), nullptr);
}

// A picture is scaled as its rows arrive only where the stage would only scale it, and
// then to the stage's very bytes; where the stage copies, works in linear light or fails,
// nothing is planned, and the stage says the failure itself.
TEST_F(OutputRaster, RowScalingIsPlannedWhereScalingIsAllTheStageDoes) {
    ConversionSettings s = Rule(SizeMode::FitPixels, "8");
    s.Resample.CentreGrid = true;
    TBitmap source = Source(TPixelFormat::pf24bit, 16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 48; ++x) source.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 5 + y * 17);
    for (const bool icon : {false, true}) {
        if (icon) s.Format = OutputFormatNamed("ico");
        const auto planned = PlannedRowScaling(s, 16, 12, 2);
        ASSERT_NE(planned, nullptr) << icon;
        planned->Take(source, 0, 12);
        TBitmap scaled;
        planned->Finish(scaled);
        const auto staged = Run(s, source);
        ASSERT_EQ(scaled.Width(), staged->Width());
        ASSERT_EQ(scaled.Height(), staged->Height());
        for (int y = 0; y < scaled.Height(); ++y) EXPECT_EQ(std::memcmp(scaled.ScanLine(y), staged->ScanLine(y), 3 * scaled.Width()), 0) << icon;
    }
    ConversionSettings copy = Rule(SizeMode::NoResize, "8");
    EXPECT_EQ(PlannedRowScaling(copy, 16, 12), nullptr);
    ConversionSettings linear = Rule(SizeMode::FitPixels, "8");
    linear.Resample.LinearLight = true;
    EXPECT_EQ(PlannedRowScaling(linear, 16, 12), nullptr);
    ConversionSettings damaged = Rule(SizeMode::FitPixels, "10");
    damaged.Filter = 7;
    EXPECT_EQ(PlannedRowScaling(damaged, 30, 20), nullptr);
    for (const auto& [text, w, h] : {std::tuple{"512", 1024, 1}, {"1", 30, 20}, {"x", 30, 20}, {"0", 30, 20}})
        EXPECT_EQ(PlannedRowScaling(Rule(SizeMode::FitPixels, text), w, h), nullptr) << text;
}

}  // namespace
}  // namespace pictorand
