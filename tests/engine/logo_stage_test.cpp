#include "engine/logo_stage.h"

#include <gtest/gtest.h>

#include "scripted_host.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

constexpr TColor Background = RGBColor(1, 2, 3);
constexpr TColor Ink = RGBColor(200, 0, 0);

class LogoStage : public ::testing::Test {
protected:
    // A logo of the given size: white key in the bottom-left corner, ink elsewhere.
    void MakeLogo(int width, int height, TColor fill = Ink) {
        TBitmap logo;
        logo.SetPixelFormat(TPixelFormat::pf24bit);
        logo.SetSize(width, height);
        logo.Fill(fill);
        logo.SetPixel(0, height - 1, clWhite);
        logo.SaveToFile(dir_.File("logo.bmp"));
    }
    TBitmap Stamp(int width, int height, LogoCorner corner, const std::string& logoName = "logo.bmp") {
        settings_.Settings().LogoPosition = corner;
        TBitmap source;
        source.SetPixelFormat(TPixelFormat::pf24bit);
        source.SetSize(width, height);
        source.Fill(Background);
        failed_ = OperationWishLogotip(source, dir_.File(logoName), settings_, host_).has_value();
        return source;
    }
    // The bounding box of the ink on the image: left, top, right, bottom (inclusive).
    static TRect InkBox(const TBitmap& image) {
        TRect box{image.Width(), image.Height(), -1, -1};
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
                if (image.GetPixel(x, y) == Ink) {
                    box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x), std::max(box.Bottom, y)};
                }
        return box;
    }

    testing::TTempDir dir_;
    testing::TScriptedHost host_;
    TFixedSettings settings_;
    bool failed_ = false;
};

TEST_F(LogoStage, PlacementUsesTheLongerSide) {
    struct Case { int logoW, logoH, imageW, imageH; LogoCorner corner; TRect ink; };
    const Case cases[] = {
        {64, 64, 800, 600, LogoCorner::BottomRight, {736, 536, 799, 599}},
        {64, 64, 800, 600, LogoCorner::TopLeft, {0, 0, 63, 63}},
        // 100 x 40 bottom right: S = 100, so it sits 60 pixels above the bottom edge.
        {100, 40, 800, 600, LogoCorner::BottomRight, {700, 500, 799, 539}},
        // 40 x 100 top right keeps 60 pixels clear of the right edge.
        {40, 100, 800, 600, LogoCorner::TopRight, {700, 0, 739, 99}},
        // 300 wide on a 200-wide image, top right: starts at x = -100, right 200 columns visible.
        {300, 20, 200, 150, LogoCorner::TopRight, {0, 0, 199, 19}},
        {30, 30, 200, 150, LogoCorner::BottomLeft, {0, 120, 29, 149}},
    };
    for (const Case& c : cases) {
        MakeLogo(c.logoW, c.logoH);
        const TRect box = InkBox(Stamp(c.imageW, c.imageH, c.corner));
        EXPECT_EQ(box.Left, c.ink.Left) << c.logoW << "x" << c.logoH;
        EXPECT_EQ(box.Top, c.ink.Top) << c.logoW << "x" << c.logoH;
        EXPECT_EQ(box.Right, c.ink.Right) << c.logoW << "x" << c.logoH;
        EXPECT_EQ(box.Bottom, c.ink.Bottom) << c.logoW << "x" << c.logoH;
    }
}

TEST_F(LogoStage, EveryPixelOfTheKeyColourIsLeftOut) {
    MakeLogo(4, 4, clWhite);  // all white: key colour everywhere, also inside
    const TBitmap image = Stamp(10, 10, LogoCorner::TopLeft);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(image.GetPixel(x, y), Background);
}

TEST_F(LogoStage, UnknownExtensionsDrawNothingAndMissingFilesFail) {
    MakeLogo(4, 4);
    std::filesystem::copy_file(dir_.File("logo.bmp"), dir_.File("logo.jpg"));
    const TBitmap untouched = Stamp(10, 10, LogoCorner::TopLeft, "logo.jpg");
    EXPECT_FALSE(failed_);
    EXPECT_TRUE(host_.Messages.empty());
    EXPECT_EQ(InkBox(untouched).Right, -1);

    std::filesystem::copy_file(dir_.File("logo.bmp"), dir_.File("LOGO2.Bmp"));
    EXPECT_EQ(InkBox(Stamp(10, 10, LogoCorner::TopLeft, "LOGO2.Bmp")).Right, 3) << "extensions compare upper-cased";

    Stamp(10, 10, LogoCorner::TopLeft, "missing.png");
    EXPECT_TRUE(failed_);
    EXPECT_EQ(host_.Messages, (std::vector<std::string>{"Невозможно загрузить файл логотипа!"}));
}

}  // namespace
}  // namespace pictorand
