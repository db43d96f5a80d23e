#include "formats/gif/gif_image.h"

#include <gtest/gtest.h>

#include <random>
#include <iterator>
#include <fstream>
#include <filesystem>

#include "corpus.h"
#include "graphic_round_trip.h"
#include "graphics/exceptions.h"
#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"
#include "formats/gif/gif_lzw.h"
#include "formats/gif/gif_palette.h"

namespace pictorand {
namespace {

TBitmap FewColours(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, x < 3 ? RGBColor(250, 10, 10) : (x + y) % 2 ? RGBColor(1, 2, 3) : clWhite);
    return bitmap;
}

TEST(GifImage, TypicalTrueColourOutput) {
    const TBitmap picture = FewColours(7, 5);
    const auto bytes = testing::SaveThrough<TGIFImage>(picture);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF87a");
    EXPECT_EQ(bytes[6], 7);
    EXPECT_EQ(bytes[8], 5);
    EXPECT_EQ(bytes[10], 0xF7);
    EXPECT_EQ(bytes[11], 0);
    EXPECT_EQ(bytes[12], 0);
    // Palette by descending frequency: the 15 red pixels first, then white and the dark colour.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 13, bytes.begin() + 16), (std::vector<std::uint8_t>{250, 10, 10}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 22, bytes.begin() + 25), (std::vector<std::uint8_t>{128, 128, 128}));
    const std::size_t descriptor = 13 + 768;
    EXPECT_EQ(bytes[descriptor], 0x2C);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(descriptor + 1), bytes.begin() + static_cast<std::ptrdiff_t>(descriptor + 11)),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 7, 0, 5, 0, 0, 8}));
    EXPECT_EQ(bytes.back(), 0x3B);
    EXPECT_EQ(bytes[bytes.size() - 2], 0);
    EXPECT_TRUE(testing::SamePicture(testing::LoadThrough<TGIFImage>(bytes), picture)) << "at most 256 colours keep their colours exactly";
    EXPECT_EQ(testing::SaveThrough<TGIFImage>(picture), bytes) << "saving twice writes the same bytes";
}

TEST(GifImage, PaletteBitmapsKeepTheirIndexes) {
    struct Case { TPixelFormat format; std::uint8_t packed; std::uint8_t minimumCode; std::size_t table; };
    for (const Case& c : {Case{TPixelFormat::pf8bit, 0xF7, 8, 256}, Case{TPixelFormat::pf4bit, 0xB3, 4, 16},
                          Case{TPixelFormat::pf1bit, 0x80, 2, 2}}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(c.format);
        bitmap.SetSize(9, 4);
        bitmap.SetPixel(2, 1, clWhite);
        const auto bytes = testing::SaveThrough<TGIFImage>(bitmap);
        EXPECT_EQ(bytes[10], c.packed);
        EXPECT_EQ(bytes[13 + 3 * c.table + 10], c.minimumCode);
        const TBitmap back = testing::LoadThrough<TGIFImage>(bytes);
        EXPECT_EQ(back.PixelFormat(), c.format);
        EXPECT_TRUE(testing::SamePicture(back, bitmap));
    }
}

TEST(GifImage, ManyColoursAreCountedWithCoarserMasks) {
    const TBitmap photo = testing::PhotoLike(120, 90);
    const TBitmap reduced = ReduceToPalette(photo);
    EXPECT_EQ(reduced.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(reduced.Palette().size(), 256u);
    bool blueMasked = true;
    for (const TRGBQuad& e : reduced.Palette()) blueMasked = blueMasked && (e.Blue & 1) == 0;
    EXPECT_TRUE(blueMasked) << "blue loses its low bit first";
    EXPECT_GT(testing::Psnr(photo, reduced), 25.0);
}

TEST(GifImage, LzwRestartsAtCode4094AndRoundTrips) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> pixels(60000);
    for (auto& p : pixels) p = static_cast<std::uint8_t>(random() & 255);
    const auto encoded = EncodeGifLzw(pixels, 8);
    std::vector<std::uint8_t> decoded(pixels.size());
    EXPECT_FALSE(DecodeGifLzw(encoded, decoded).Corrupted);
    EXPECT_EQ(decoded, pixels);
    for (std::size_t at = 1; at + 1 < encoded.size(); at += 256) EXPECT_LE(encoded[at], 255);
    // Minimum code sizes above 8 start with wider codes; the pixels are the same.
    for (int minimum : {9, 10, 11}) {
        std::vector<std::uint8_t> wide(pixels.size());
        EXPECT_FALSE(DecodeGifLzw(EncodeGifLzw(pixels, minimum), wide).Corrupted) << minimum;
        EXPECT_EQ(wide, pixels) << minimum;
    }
}

// Frames are decoded a row at a time: pieces of any size give the pixels, the count and the
// faults of one whole decode, for whole and for cut data.
TEST(GifImage, LzwDecodedInPiecesIsTheWholeDecode) {
    std::mt19937 random(11);
    std::vector<std::uint8_t> pixels(20000);
    for (auto& p : pixels) p = static_cast<std::uint8_t>(random() % 5 == 0 ? random() & 15 : 3);
    const auto encoded = EncodeGifLzw(pixels, 4);
    for (const std::size_t cut : {encoded.size(), encoded.size() / 2}) {
        const std::span<const std::uint8_t> data(encoded.data(), cut);
        std::vector<std::uint8_t> whole(pixels.size(), 0), pieces(pixels.size(), 0);
        const TGifDecodeResult expected = DecodeGifLzw(data, whole);
        TGifLzwDecoder decoder(data);
        for (std::size_t at = 0; at < pieces.size(); at += 37)
            decoder.Decode(std::span(pieces).subspan(at, std::min<std::size_t>(37, pieces.size() - at)));
        const TGifDecodeResult got = decoder.Result();
        EXPECT_EQ(pieces, whole) << cut;
        EXPECT_EQ(got.Written, expected.Written) << cut;
        EXPECT_EQ(got.Corrupted, expected.Corrupted) << cut;
        EXPECT_EQ(got.RanOut, expected.RanOut) << cut;
        if (cut == encoded.size()) EXPECT_EQ(pieces, pixels);
        else EXPECT_LT(got.Written, pixels.size());
    }
}

TEST(GifImage, DamagedDataNeverReadsPastItsEnd) {
    const auto bytes = testing::SaveThrough<TGIFImage>(testing::PhotoLike(64, 64));
    for (std::size_t cut : {std::size_t{20}, bytes.size() / 2, bytes.size() - 3}) {
        std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        TMemoryStream stream(part);
        TGIFImage gif;
        try {
            gif.LoadFromStream(stream);
            TBitmap bitmap;
            bitmap.Assign(gif);
        } catch (const Exception&) {
        }
    }
    std::vector<std::uint8_t> lzw = {8, 5, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};  // codes beyond the table
    std::vector<std::uint8_t> out(100);
    EXPECT_TRUE(DecodeGifLzw(lzw, out).Corrupted);
}

TEST(GifImage, EmptyFilesAndErrors) {
    EXPECT_TRUE(testing::LoadThrough<TGIFImage>({}).Empty());
    TMemoryStream notGif(std::vector<std::uint8_t>{'G', 'I', 'F', '9', '9', 'a', 0, 0, 0, 0, 0, 0, 0});
    TGIFImage gif;
    try {
        gif.LoadFromStream(notGif);
        FAIL();
    } catch (const EInvalidGraphicOperation& error) {
        EXPECT_STREQ(error.what(), "Unknown GIF version");
    }
    // An extension of an unknown kind is skipped; one cut off by the end of the file leaves
    // no picture to show.
    TMemoryStream cutExtension(std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x21, 0x42});
    gif.LoadFromStream(cutExtension);
    EXPECT_TRUE(gif.Frames().empty());
    TGIFImage none;
    TMemoryStream out;
    EXPECT_THROW(none.SaveToStream(out), EInvalidGraphicOperation);
    EXPECT_THROW(none.SetWidth(1), EInvalidGraphicOperation);
}

TEST(GifImage, TransparencyTravelsBothWays) {
    TBitmap bitmap = FewColours(6, 6);
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(clWhite);
    const auto bytes = testing::SaveThrough<TGIFImage>(bitmap);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a") << "the control extension needs 89a";
    const TBitmap back = testing::LoadThrough<TGIFImage>(bytes);
    EXPECT_TRUE(back.Transparent());
    EXPECT_EQ(back.TransparentColor(), clWhite);
}

// Where alpha is kept, only the transparent index is clear: another entry of the same
// colour (black text on a black transparent slot) stays.
TEST(GifImage, TransparencyFollowsTheIndex) {
    TBitmap indexed;
    indexed.SetPixelFormat(TPixelFormat::pf8bit);
    TPalette palette(3);
    palette[2] = TRGBQuad{255, 255, 255, 0};
    indexed.SetPalette(palette);
    indexed.SetSize(3, 1);
    for (int x = 0; x < 3; ++x) indexed.ScanLine(0)[x] = static_cast<std::uint8_t>(x);
    indexed.SetTransparentColor(clBlack);
    indexed.SetTransparent(true);
    TMemoryStream file;
    TGIFImage written;
    written.Assign(indexed);
    written.SaveToStream(file);
    TGIFImage read;
    read.KeepAlpha = true;
    file.SetPosition(0);
    read.LoadFromStream(file);
    TBitmap picture;
    picture.Assign(read);
    ASSERT_TRUE(picture.HasAlpha());
    const std::uint8_t* p = picture.ScanLine(0);
    EXPECT_EQ((std::vector<int>{p[3], p[7], p[11]}), (std::vector<int>{0, 255, 255}));
    // Handing the frame over without a copy gives the same picture, and the frame is still
    // there afterwards.
    auto row = [](const TBitmap& b) { return b.HasAlpha() ? std::vector<int>(b.ScanLine(0), b.ScanLine(0) + 12) : std::vector<int>(); };
    TBitmap released;
    read.ReleaseTo(released);
    EXPECT_EQ(row(released), row(picture));
    TBitmap again;
    again.Assign(read);
    EXPECT_EQ(row(again), row(picture));
}

// A first frame stored row by row without a transparent colour is given a band of rows
// at a time; an interlaced or transparent one is decoded whole.
TEST(GifImage, RowsAreGivenABandAtATime) {
    const auto plain = testing::SaveThrough<TGIFImage>(testing::PhotoLike(41, 700));
    EXPECT_TRUE(testing::BandsAreTheWholePicture<TGIFImage>(plain));
    TBitmap keyed = FewColours(6, 300);
    keyed.SetTransparent(true);
    keyed.SetTransparentColor(clWhite);
    EXPECT_FALSE(testing::BandsAreTheWholePicture<TGIFImage>(testing::SaveThrough<TGIFImage>(keyed)));
    PICTORAND_REQUIRE_CORPUS(folder, "gif-test-suite");
    int whole = 0, streamed = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".gif") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        try {
            (testing::BandsAreTheWholePicture<TGIFImage>(bytes) ? streamed : whole)++;
        } catch (const Exception&) {
        }
    }
    EXPECT_GT(streamed, 0);
    EXPECT_GT(whole, 0);
}

TEST(GifImage, IndependentDecodersAgree) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    const TBitmap photo = testing::PhotoLike(150, 100);
    TGIFImage gif;
    gif.Assign(photo);
    gif.SaveToFile(dir.File("out.gif"));
    const auto theirs = testing::DecodeWithPillow(dir.File("out.gif"), dir.Path());
    ASSERT_TRUE(theirs);
    TBitmap ours;
    ours.Assign(gif);
    TGIFImage reloaded;
    reloaded.LoadFromFile(dir.File("out.gif"));
    ours.Assign(reloaded);
    EXPECT_TRUE(testing::SamePicture(ours, *theirs));
}

TEST(GifImage, CorpusFilesMatchAnIndependentDecode) {
    PICTORAND_REQUIRE_CORPUS(folder, "gif-test-suite");
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    testing::TCorpusTally tally;
    for (const auto& file : testing::CorpusFiles(folder, ".gif")) {
        const std::string name = file.filename().string();
        // Indexes beyond the colour table show grey 128 here, where Pillow shows black.
        if (name == "invalid-colors.gif") {
            tally.Skipped(name, "colours beyond the table differ by design");
            continue;
        }
        TGIFImage gif;
        TBitmap ours;
        try {
            gif.LoadFromFile(file.string());
            ours.Assign(gif);
        } catch (const Exception& error) {
            tally.Skipped(name, std::string("refused: ") + error.what());
            continue;
        }
        if (ours.Empty() || gif.Frames().size() != 1 || gif.Frames()[0].Left != 0 || gif.Frames()[0].Top != 0 ||
            gif.Frames()[0].Corrupted) {
            tally.Skipped(name, "empty, corrupted, or more than one frame or an offset frame");
            continue;
        }
        const auto theirs = testing::DecodeWithPillow(file, dir.Path());
        if (!theirs || theirs->Width() != ours.Width() || theirs->Height() != ours.Height()) {
            tally.Skipped(name, !theirs ? "Pillow cannot decode it" : "Pillow shows another size");
            continue;
        }
        EXPECT_TRUE(testing::SamePicture(ours, *theirs)) << name;
        tally.Compared();
    }
    EXPECT_GT(tally.ComparedCount(), 10);
}

}  // namespace
}  // namespace pictorand
