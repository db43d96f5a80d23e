#include "formats/wmf/metafile.h"

#include <gtest/gtest.h>

#include "corpus.h"
#include "graphics/bitmap.h"
#include "graphics/exceptions.h"
#include "formats/wmf/metafile_records.h"
#include "wmf_builder.h"

namespace pictorand {
namespace {

using testing::TWmfBuilder;

TMetafile Load(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    TMetafile metafile;
    metafile.LoadFromStream(stream);
    return metafile;
}

TBitmap Play(const TMetafile& metafile) {
    TBitmap canvas;
    canvas.SetPixelFormat(TPixelFormat::pf24bit);
    canvas.SetSize(metafile.Width(), metafile.Height());
    metafile.Draw(canvas, 0, 0);
    return canvas;
}

TEST(Metafile, PlaysShapesWithPensAndBrushes) {
    TWmfBuilder wmf;
    wmf.Record(wmf::SetWindowOrg, {0, 0})
        .Record(wmf::SetWindowExt, {100, 200})                  // 200 x 100 logical units
        .Record(wmf::CreateBrushIndirect, {0, 0x00FF, 0, 0})     // solid red brush, object 0
        .Record(wmf::CreatePenIndirect, {5, 0, 0, 0, 0})         // null pen, object 1
        .Record(wmf::SelectObject, {0})
        .Record(wmf::SelectObject, {1})
        .Record(wmf::Rectangle, {40, 40, 0, 0})                  // bottom, right, top, left
        .Record(wmf::CreateBrushIndirect, {0, 0, 0x00FF, 0})    // blue brush, object 2
        .Record(wmf::SelectObject, {2})
        .Record(wmf::Polygon, {3, 100, 0, 200, 0, 200, 100})
        .Record(wmf::Eof, {});
    // 96 units per inch: the picture is 200 x 100 pixels, one unit per pixel.
    const TMetafile metafile = Load(wmf.Placeable(200, 100, 96));
    ASSERT_EQ(metafile.Width(), 200);
    ASSERT_EQ(metafile.Height(), 100);
    const TBitmap canvas = Play(metafile);
    EXPECT_EQ(canvas.GetPixel(10, 10), RGBColor(255, 0, 0));
    EXPECT_EQ(canvas.GetPixel(60, 60), clWhite) << "white background";
    EXPECT_EQ(canvas.GetPixel(195, 10), RGBColor(0, 0, 255));
    EXPECT_EQ(canvas.GetPixel(110, 90), clWhite) << "outside the triangle";
}

TEST(Metafile, BoundsMapToPixelsAtScreenResolution) {
    TWmfBuilder wmf;
    wmf.Record(wmf::Eof, {});
    const TMetafile metafile = Load(wmf.Placeable(1440, 720, 1440));  // one inch by half an inch
    EXPECT_EQ(metafile.Width(), 96);
    EXPECT_EQ(metafile.Height(), 48);

    TWmfBuilder plain;
    plain.Record(wmf::SetWindowExt, {30, 40}).Record(wmf::Eof, {});
    const TMetafile fromExtent = Load(plain.Plain());
    EXPECT_EQ(fromExtent.Width(), 40);
    EXPECT_EQ(fromExtent.Height(), 30);
}

TEST(Metafile, RecordedBitmapRoundTripsThroughAPlaceableFile) {
    TBitmap picture;
    picture.SetPixelFormat(TPixelFormat::pf24bit);
    picture.SetSize(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) picture.SetPixel(x, y, RGBColor(static_cast<std::uint8_t>(x * 30), static_cast<std::uint8_t>(y * 50), 9));
    TMetafile metafile;
    metafile.RecordBitmap(picture);
    TMemoryStream file;
    metafile.SaveToStream(file);
    const auto& bytes = file.Bytes();
    ASSERT_GE(bytes.size(), 40u);
    EXPECT_EQ(bytes[0], 0xD7);
    EXPECT_EQ(bytes[3], 0x9A);
    std::uint16_t checksum = 0;
    for (int i = 0; i < 20; i += 2) checksum ^= static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8);
    EXPECT_EQ(bytes[20] | bytes[21] << 8, checksum);
    EXPECT_EQ(bytes[14] | bytes[15] << 8, 96) << "units per inch";
    EXPECT_EQ(bytes[10], 7);
    EXPECT_EQ(bytes[12], 5);

    const TBitmap played = Play(Load(bytes));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(played.GetPixel(x, y), picture.GetPixel(x, y)) << x << "," << y;
}

TEST(Metafile, PicturesBeyondSixteenBitBoundsAreRefused) {
    TBitmap wide;
    wide.SetPixelFormat(TPixelFormat::pf1bit);
    wide.SetSize(40000, 1);
    TMetafile metafile;
    EXPECT_THROW(metafile.RecordBitmap(wide), EFieldOverflow);
}

TEST(Metafile, MalformedFilesAreRejected) {
    TWmfBuilder ok;
    ok.Record(wmf::Rectangle, {1, 1, 0, 0}).Record(wmf::Eof, {});
    ASSERT_NO_THROW(Load(ok.Placeable(10, 10, 96)));
    auto oversized = ok.Placeable(10, 10, 96);
    oversized[40] = 0xFF;  // first record claims more words than the file holds
    auto noEnd = ok.Placeable(10, 10, 96);
    noEnd.resize(noEnd.size() - 6);
    const std::vector<std::vector<std::uint8_t>> bad = {
        {}, {0xD7, 0xCD, 0xC6, 0x9A}, ok.Placeable(10, 10, 0), ok.Placeable(0, 10, 96), oversized, noEnd,
        TWmfBuilder().Record(wmf::Eof, {}).Plain(),  // no extent anywhere
    };
    for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_THROW(Load(bad[i]), EInvalidGraphic) << i;
}

TEST(Metafile, ShortRecordsAndHugeCountsDrawNothing) {
    TWmfBuilder wmf;
    wmf.Record(wmf::Polygon, {30000, 0, 0})      // count far beyond the record
        .Record(wmf::PolyPolygon, {2, 5})        // counts missing
        .Record(wmf::StretchDib, {0, 0, 0})     // no bitmap
        .Record(wmf::SelectObject, {900})
        .Record(wmf::Eof, {});
    const TBitmap canvas = Play(Load(wmf.Placeable(8, 8, 96)));
    EXPECT_EQ(canvas.GetPixel(4, 4), clWhite);
}

// A few kilobytes whose records each fill the whole picture again are refused once they
// have painted it some hundred times over, in a second or so, not minutes; a picture
// drawn at the size it is wanted at is drawn with the same records in a moment.
TEST(Metafile, RecordsThatPaintThePictureOverAndOverAreRefused) {
    TWmfBuilder builder;
    for (int i = 0; i < 5000; ++i) builder.Record(wmf::Rectangle, {2000, 2000, 0, 0});
    builder.Record(wmf::Eof, {});
    const TMetafile metafile = Load(builder.Placeable(2000, 2000, 96));
    ASSERT_EQ(metafile.Width(), 2000);
    TBitmap canvas;
    canvas.SetSize(2000, 2000);
    try {
        metafile.Draw(canvas, 0, 0);
        ADD_FAILURE() << "five thousand times the picture's area";
    } catch (const EInvalidGraphic& error) {
        EXPECT_NE(std::string(error.what()).find("draw far more than its picture holds"), std::string::npos) << error.what();
    }
    TBitmap small;
    small.SetSize(20, 20);
    EXPECT_NO_THROW(metafile.DrawAtSize(small, 20, 20)) << "drawn at a twentieth, the same records are within bounds";
}

TEST(Metafile, CorpusFilesLoadAndPlay) {
    PICTORAND_REQUIRE_CORPUS(root, "");
    testing::TCorpusTally tally;
    for (const auto& file : {root / "dtformats/grid.wmf", root / "wmf2svg/wmf/fulltest.wmf"}) {
        if (!std::filesystem::exists(file)) {
            tally.Skipped(file.string(), "not in this corpus");
            continue;
        }
        TMetafile metafile;
        metafile.LoadFromFile(file.string());
        EXPECT_GT(metafile.Width(), 0);
        const TBitmap canvas = Play(metafile);
        EXPECT_EQ(canvas.Width(), metafile.Width());
        tally.Compared();
    }
}

}  // namespace
}  // namespace pictorand
