#include "formats/tga/targa_graphic.h"

#include <gtest/gtest.h>

#include "corpus.h"
#include "graphic_round_trip.h"
#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

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
    PICTORAND_REQUIRE_CORPUS(folder, "pillow/tga/common");
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    testing::TCorpusTally tally;
    for (const auto& file : testing::CorpusFiles(folder, ".tga")) {
        TTargaGraphic targa;
        ASSERT_NO_THROW(targa.LoadFromFile(file.string())) << file.filename();
        const auto theirs = testing::DecodeWithPillow(file, dir.Path());
        if (!theirs) {
            tally.Skipped(file.filename().string(), "Pillow cannot decode it");
            continue;
        }
        EXPECT_TRUE(testing::SamePicture(targa, *theirs)) << file.filename();
        tally.Compared();
    }
    EXPECT_GT(tally.ComparedCount(), 10);
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
