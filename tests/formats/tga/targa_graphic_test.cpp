#include "formats/tga/targa_graphic.h"

#include <gtest/gtest.h>

#include <map>

#include "corpus.h"
#include "graphic_round_trip.h"
#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

int MaxChannelDifference(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return 256;
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(static_cast<int>(a.GetPixel(x, y) >> shift & 255) -
                                                 static_cast<int>(b.GetPixel(x, y) >> shift & 255)));
    return worst;
}

TEST(TargaGraphic, HeadersOfWrittenFiles) {
    const auto rgb = testing::SaveThrough<TTargaGraphic>(testing::PhotoLike(5, 3));
    EXPECT_EQ(rgb[1], 0);
    EXPECT_EQ(rgb[2], 10);
    EXPECT_EQ(rgb[5] | rgb[6] << 8, 256);
    EXPECT_EQ(rgb[7], 24);
    EXPECT_EQ(rgb[12], 5);
    EXPECT_EQ(rgb[14], 3);
    EXPECT_EQ(rgb[16], 24);
    EXPECT_EQ(rgb[17], 0x20);

    TBitmap mono;
    mono.SetPixelFormat(TPixelFormat::pf1bit);
    mono.SetSize(9, 2);
    mono.SetPixel(4, 1, clWhite);
    const auto mapped = testing::SaveThrough<TTargaGraphic>(mono);
    EXPECT_EQ(mapped[1], 1);
    EXPECT_EQ(mapped[2], 9);
    EXPECT_EQ(mapped[16], 8);
    EXPECT_GT(mapped.size(), 18u + 768u);
    const TBitmap back = testing::LoadThrough<TTargaGraphic>(mapped);
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_TRUE(testing::SamePicture(back, mono));
}

TEST(TargaGraphic, RoundTripsAndOrientation) {
    const TBitmap picture = testing::PhotoLike(37, 11);
    EXPECT_TRUE(testing::SamePicture(testing::LoadThrough<TTargaGraphic>(testing::SaveThrough<TTargaGraphic>(picture)), picture));

    // A hand-made bottom-up, uncompressed 24-bit file of 1 x 2 pixels.
    std::vector<std::uint8_t> file(18, 0);
    file[2] = 2;
    file[12] = 1;
    file[14] = 2;
    file[16] = 24;
    file.insert(file.end(), {1, 2, 3, 4, 5, 6});  // stored first: the bottom row
    const TBitmap flipped = testing::LoadThrough<TTargaGraphic>(file);
    EXPECT_EQ(flipped.GetPixel(0, 1), RGBColor(3, 2, 1));
    EXPECT_EQ(flipped.GetPixel(0, 0), RGBColor(6, 5, 4));
}

TEST(TargaGraphic, CorpusFilesLoadLikeTheirReferences) {
    PICTORAND_REQUIRE_CORPUS(root, "");
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    testing::TCorpusTally tally;
    // Files Pillow itself reads wrongly, checked against our own files instead.
    const std::map<std::string, std::string> pillowWrong = {
        {"b5-cmap.tga", "Pillow shows a 15-bit colour map as grey"},
        {"b5-unused-cmap.tga", "Pillow reads the unused colour map as pixels; b5-noattrib.tga holds the same picture"},
    };
    // Pillow's files (run-length packets across rows among them) and image-rs's suite
    // (right-to-left and every depth).
    for (const char* folder : {"pillow/tga/common", "pillow/tga", "image-rs/images/tga/testsuite"}) {
        if (!std::filesystem::is_directory(root / folder)) {
            tally.Skipped(folder, "not in this corpus");
            continue;
        }
        for (const auto& file : testing::CorpusFiles(root / folder, ".tga")) {
            const std::string name = std::string(folder) + "/" + file.filename().string();
            if (const auto wrong = pillowWrong.find(file.filename().string()); wrong != pillowWrong.end()) {
                tally.Skipped(name, wrong->second);
                continue;
            }
            TTargaGraphic targa;
            try {
                targa.LoadFromFile(file.string());
            } catch (const std::exception& error) {
                tally.Skipped(name, std::string("refused: ") + error.what());
                continue;
            }
            const auto theirs = testing::DecodeWithPillow(file, dir.Path());
            if (!theirs) {
                tally.Skipped(name, "Pillow cannot decode it");
                continue;
            }
            // Exact, but where 5-bit channels (15- and 16-bit pixels or colour maps) are
            // widened: x << 3 here, x x 255 / 31 there, up to 7 apart.
            const auto bytes = testing::ReadFileBytes(file);
            const bool fiveBit = bytes.size() > 16 && (bytes[16] == 15 || bytes[16] == 16 || bytes[7] == 15 || bytes[7] == 16);
            EXPECT_LE(MaxChannelDifference(targa, *theirs), fiveBit ? 7 : 0) << name;
            tally.Compared();
        }
    }
    EXPECT_GT(tally.ComparedCount(), 30);
    if (std::filesystem::exists(root / "image-rs/images/tga/testsuite/b5-unused-cmap.tga")) {
        TTargaGraphic unused, plain;
        unused.LoadFromFile((root / "image-rs/images/tga/testsuite/b5-unused-cmap.tga").string());
        plain.LoadFromFile((root / "image-rs/images/tga/testsuite/b5-noattrib.tga").string());
        EXPECT_TRUE(testing::SamePicture(unused, plain));
    }
}

// The four files hold the same pixel data and differ only in the origin they name, so
// each shows the first one turned over accordingly.
TEST(TargaGraphic, EveryOriginIsHonoured) {
    PICTORAND_REQUIRE_CORPUS(folder, "image-rs/images/tga/testsuite");
    TTargaGraphic reference;
    reference.LoadFromFile((folder / "top_left.tga").string());
    ASSERT_EQ(reference.PixelFormat(), TPixelFormat::pf32bit);
    auto pixel = [](const TBitmap& image, int x, int y) {
        const std::uint8_t* p = image.ScanLine(y) + 4 * x;
        return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24);
    };
    struct Case { const char* name; bool mirrored, flipped; };
    for (const Case& c : {Case{"top_right.tga", true, false}, Case{"bottom_left.tga", false, true}, Case{"bottom_right.tga", true, true}}) {
        TTargaGraphic other;
        other.LoadFromFile((folder / c.name).string());
        ASSERT_EQ(other.Width(), reference.Width());
        const int w = reference.Width(), h = reference.Height();
        int differing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                differing += pixel(other, x, y) != pixel(reference, c.mirrored ? w - 1 - x : x, c.flipped ? h - 1 - y : y);
        EXPECT_EQ(differing, 0) << c.name;
    }
}

TEST(TargaGraphic, GreyWithAlphaHandsItsAlphaOverWhenAsked) {
    // 2 x 1, 16-bit grey with eight attribute bits: grey 40 opaque, grey 200 transparent.
    std::vector<std::uint8_t> file(18, 0);
    file[2] = 3;
    file[12] = 2;
    file[14] = 1;
    file[16] = 16;
    file[17] = 0x28;  // top to bottom, eight attribute bits
    file.insert(file.end(), {40, 255, 200, 0});
    const TBitmap classic = testing::LoadThrough<TTargaGraphic>(file);
    EXPECT_FALSE(classic.HasAlpha());
    EXPECT_EQ(classic.GetPixel(1, 0), RGBColor(200, 200, 200)) << "the alpha byte is dropped";

    TTargaGraphic reader;
    reader.KeepAlpha = true;
    TMemoryStream stream(file);
    reader.LoadFromStream(stream);
    ASSERT_TRUE(reader.HasAlpha());
    ASSERT_EQ(reader.PixelFormat(), TPixelFormat::pf32bit);
    const std::uint8_t* p = reader.ScanLine(0);
    EXPECT_EQ(std::vector<std::uint8_t>(p, p + 8), (std::vector<std::uint8_t>{40, 40, 40, 255, 200, 200, 200, 0}));
}

TEST(TargaGraphic, SixteenBitColourHandsItsAttributeBitOverAsAlpha) {
    // 2 x 1, 16-bit colour with one attribute bit: opaque white, then clear red.
    auto file = [](std::uint8_t descriptor, std::vector<std::uint8_t> pixels) {
        std::vector<std::uint8_t> bytes(18, 0);
        bytes[2] = 2;
        bytes[12] = 2;
        bytes[14] = 1;
        bytes[16] = 16;
        bytes[17] = descriptor;
        bytes.insert(bytes.end(), pixels.begin(), pixels.end());
        return bytes;
    };
    const auto marked = file(0x21, {0xFF, 0xFF, 0x00, 0x7C});
    const TBitmap classic = testing::LoadThrough<TTargaGraphic>(marked);
    EXPECT_FALSE(classic.HasAlpha());
    EXPECT_EQ(classic.PixelFormat(), TPixelFormat::pf15bit);

    TTargaGraphic reader;
    reader.KeepAlpha = true;
    TMemoryStream stream(marked);
    reader.LoadFromStream(stream);
    ASSERT_TRUE(reader.HasAlpha());
    const std::uint8_t* p = reader.ScanLine(0);
    EXPECT_EQ(std::vector<std::uint8_t>(p, p + 8), (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0, 255, 0}));

    // The bit clear everywhere, or no attribute bit declared: opaque as before.
    for (const auto& bytes : {file(0x21, {0xFF, 0x7F, 0x00, 0x7C}), file(0x20, {0xFF, 0xFF, 0x00, 0x7C})}) {
        TTargaGraphic opaque;
        opaque.KeepAlpha = true;
        TMemoryStream in(bytes);
        opaque.LoadFromStream(in);
        EXPECT_FALSE(opaque.HasAlpha());
    }
}

TEST(TargaGraphic, RunsMayCrossRowsAndRowsMayRunRightToLeft) {
    // 3 x 2, 24-bit, run-length: one run of 4 red pixels crosses from the first row into
    // the second, then two raw pixels, green and blue.
    std::vector<std::uint8_t> file(18, 0);
    file[2] = 10;
    file[12] = 3;
    file[14] = 2;
    file[16] = 24;
    file[17] = 0x20;  // top to bottom
    file.insert(file.end(), {0x83, 0, 0, 255, 0x01, 0, 255, 0, 255, 0, 0});
    TBitmap crossing = testing::LoadThrough<TTargaGraphic>(file);
    EXPECT_EQ(crossing.GetPixel(2, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(crossing.GetPixel(0, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(crossing.GetPixel(1, 1), RGBColor(0, 255, 0));
    EXPECT_EQ(crossing.GetPixel(2, 1), RGBColor(0, 0, 255));
    file[17] = 0x30;  // and right to left
    TBitmap mirrored = testing::LoadThrough<TTargaGraphic>(file);
    EXPECT_EQ(mirrored.GetPixel(2, 1), RGBColor(255, 0, 0));
    EXPECT_EQ(mirrored.GetPixel(1, 1), RGBColor(0, 255, 0));
    EXPECT_EQ(mirrored.GetPixel(0, 1), RGBColor(0, 0, 255));
}

// A picture without alpha is given a band of rows at a time, stored from the bottom or
// from the top, packed or not, its runs crossing rows and bands; one with alpha is not.
TEST(TargaGraphic, RowsAreGivenABandAtATime) {
    for (const bool compressed : {true, false})
        for (const TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf8bit}) {
            TBitmap picture = testing::PhotoLike(37, 600);
            picture.SetPixelFormat(format);
            auto file = testing::SaveThrough<TTargaGraphic>(picture, [&](TTargaGraphic& tga) { tga.Compressed = compressed; });
            EXPECT_TRUE(testing::BandsAreTheWholePicture<TTargaGraphic>(file)) << compressed;
            file[17] ^= 0x20;  // the other origin
            EXPECT_TRUE(testing::BandsAreTheWholePicture<TTargaGraphic>(file)) << compressed << " flipped";
        }
    TBitmap alpha = testing::PhotoLike(5, 300);
    alpha.SetPixelFormat(TPixelFormat::pf32bit);
    alpha.SetHasAlpha(true);
    EXPECT_FALSE(testing::BandsAreTheWholePicture<TTargaGraphic>(testing::SaveThrough<TTargaGraphic>(alpha)));
}

TEST(TargaGraphic, IndependentDecoderReadsWhatWeWrite) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoLike(64, 40);
    TTargaGraphic targa;
    targa.Assign(picture);
    targa.SaveToFile(dir.File("out.tga"));
    const auto theirs = testing::DecodeWithPillow(dir.File("out.tga"), dir.Path());
    ASSERT_TRUE(theirs);
    EXPECT_TRUE(testing::SamePicture(picture, *theirs));
}

}  // namespace
}  // namespace pictorand
