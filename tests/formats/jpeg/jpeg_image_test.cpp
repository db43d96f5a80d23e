#include "formats/jpeg/jpeg_image.h"

#include <gtest/gtest.h>

#include <cstring>

#include <jerror.h>

#include "corpus.h"
#include "graphic_round_trip.h"
#include "independent_decoder.h"
#include "temp_dir.h"
#include "test_images.h"

namespace pictorand {
namespace {

std::vector<std::uint8_t> Encode(const TBitmap& bitmap, int quality, bool grayscale = false) {
    return testing::SaveThrough<TJPEGImage>(bitmap, [&](TJPEGImage& jpeg) {
        jpeg.Options.Quality = quality;
        jpeg.Options.Grayscale = grayscale;
        jpeg.EncodeJpeg();
    });
}

TEST(JpegImage, WrittenFilesAreBaselineJfifAndDecodeClose) {
    const TBitmap picture = testing::PhotoLike(97, 61);
    for (const auto& [quality, psnr] : {std::pair{60, 30.0}, std::pair{95, 40.0}}) {
        const auto bytes = Encode(picture, quality);
        ASSERT_GT(bytes.size(), 100u);
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xD8);
        EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 10), "JFIF");
        EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
        EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
        const TBitmap decoded = testing::LoadThrough<TJPEGImage>(bytes);
        EXPECT_EQ(decoded.PixelFormat(), TPixelFormat::pf24bit);
        EXPECT_GT(testing::Psnr(picture, decoded), psnr) << quality;
    }
}

TEST(JpegImage, QualityIsClampedByTheLibrary) {
    const TBitmap picture = testing::PhotoLike(16, 16);
    EXPECT_EQ(Encode(picture, 0), Encode(picture, 1));
    EXPECT_EQ(Encode(picture, 150), Encode(picture, 100));
    EXPECT_NE(Encode(picture, 10), Encode(picture, 90));
}

TEST(JpegImage, SavingTwiceWritesTheSameBytes) {
    TJPEGImage jpeg;
    jpeg.Assign(testing::PhotoLike(20, 10));
    TMemoryStream first, second;
    jpeg.SaveToStream(first);
    jpeg.SaveToStream(second);
    EXPECT_EQ(first.Bytes(), second.Bytes());
    TJPEGImage copy;
    copy.Assign(jpeg);
    EXPECT_TRUE(copy.SharesDataWith(jpeg));
    copy.EncodeJpeg();
    EXPECT_FALSE(copy.SharesDataWith(jpeg)) << "new bytes go into a fresh holder";
}

TEST(JpegImage, EmptyBitmapsAndEmptyFiles) {
    EXPECT_TRUE(Encode(TBitmap(), 60).empty()) << "an empty bitmap encodes to no bytes";
    TMemoryStream empty;
    TJPEGImage jpeg;
    EXPECT_NO_THROW(jpeg.LoadFromStream(empty));
    TBitmap bitmap;
    try {
        bitmap.Assign(jpeg);
        FAIL() << "decoding an empty file must fail";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.MessageCode(), JERR_INPUT_EMPTY);
        EXPECT_EQ(std::string(error.what()), "JPEG error #" + std::to_string(JERR_INPUT_EMPTY) + ": Empty input file");
    }
    EXPECT_THROW(jpeg.SetWidth(5), EInvalidGraphicOperation);
}

TEST(JpegImage, PaletteBitmapsAreExpandedAndGreyFilesDecodeToEightBits) {
    TBitmap palette;
    palette.SetPixelFormat(TPixelFormat::pf4bit);
    palette.SetSize(8, 8);
    palette.SetPixel(3, 3, RGBColor(255, 0, 0));
    const auto colour = Encode(palette, 90);
    EXPECT_FALSE(ReadJpegHeader(colour).Grayscale);
    EXPECT_EQ(testing::LoadThrough<TJPEGImage>(colour).PixelFormat(), TPixelFormat::pf24bit);

    const auto grey = Encode(testing::PhotoLike(64, 64), 90, true);
    EXPECT_TRUE(ReadJpegHeader(grey).Grayscale);
    const TBitmap decoded = testing::LoadThrough<TJPEGImage>(grey);
    EXPECT_EQ(decoded.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_LE(decoded.Palette().size(), 236u);
    for (const TRGBQuad& entry : decoded.Palette()) {
        EXPECT_EQ(entry.Red, entry.Green);
        EXPECT_EQ(entry.Green, entry.Blue);
    }
}

TEST(JpegImage, CutFilesDecodeAndGarbageFails) {
    const auto bytes = Encode(testing::PhotoLike(256, 256), 80);
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * 3 / 4));
    const TBitmap partial = testing::LoadThrough<TJPEGImage>(cut);
    EXPECT_EQ(partial.Width(), 256);
    std::vector<std::uint8_t> garbage(100, 0x42);
    TMemoryStream stream(garbage);
    TJPEGImage jpeg;
    EXPECT_THROW(jpeg.LoadFromStream(stream), EJPEG);
}

// The rows of a decoded picture, top first.
std::vector<std::uint8_t> Rows(const TBitmap& bitmap) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < bitmap.Height(); ++y) bytes.insert(bytes.end(), bitmap.ScanLine(y), bitmap.ScanLine(y) + 3 * bitmap.Width());
    return bytes;
}

TEST(JpegImage, LargePicturesDecodedInTwoPartsGiveTheSameRows) {
    // 4.2 megapixels with 4:2:0 chroma, whose upsampling reaches across the parts' border.
    const auto bytes = Encode(testing::PhotoLike(2600, 1620), 90);
    // The rows, or the error that ended the decode.
    const auto decode = [](const std::vector<std::uint8_t>& file, int threads) {
        TJpegDecodeParameters parameters;
        parameters.Threads = threads;
        try {
            return Rows(DecodeJpeg(file, parameters));
        } catch (const EJPEG& error) {
            return std::vector<std::uint8_t>(error.what(), error.what() + std::strlen(error.what()));
        }
    };
    const auto one = decode(bytes, 1);
    EXPECT_EQ(decode(bytes, 2), one);
    EXPECT_EQ(decode(bytes, 8), one);
    // Cut short in either part, or damaged in the lower one: what one decompressor makes
    // of the file, warnings and all.
    for (const double kept : {0.3, 0.8}) {
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * kept));
        EXPECT_EQ(decode(cut, 2), decode(cut, 1)) << kept;
    }
    for (const std::uint8_t garbage : {0x00, 0xFF}) {  // corrupt codes, and an unknown marker
        std::vector<std::uint8_t> damaged = bytes;
        for (std::size_t i = damaged.size() * 3 / 4; i < damaged.size() * 3 / 4 + 64; ++i) damaged[i] = garbage;
        EXPECT_EQ(decode(damaged, 2), decode(damaged, 1)) << int{garbage};
    }
}

// Whether a decode with the parameters gave its rows to a sink a band at a time, each
// the row the whole decode has, in turn from the top.
bool BandsAreTheWholeDecode(const std::vector<std::uint8_t>& file, TJpegDecodeParameters parameters) {
    const TBitmap whole = DecodeJpeg(file, parameters);
    int next = 0;
    const TRowSink sink = [&](TBitmap& band, int first, int count) {
        EXPECT_EQ(first, next);
        next = first + count;
        for (int r = 0; r < count; ++r) {
            for (int x = 0; x < whole.Width(); ++x) ASSERT_EQ(band.GetPixel(x, r), whole.GetPixel(x, first + r)) << "row " << first + r;
        }
    };
    bool streamed = false;
    parameters.RowsTo = &sink;
    parameters.Streamed = &streamed;
    const TBitmap band = DecodeJpeg(file, parameters);
    if (streamed) EXPECT_EQ(next, whole.Height());
    else EXPECT_EQ(band.Height(), whole.Height());
    return streamed;
}

TEST(JpegImage, RowsGoToASinkABandAtATimeWhereTheDecodeAllows) {
    const TBitmap photo = testing::PhotoLike(83, 601);
    const auto baseline = Encode(photo, 85);
    const auto progressive = testing::SaveThrough<TJPEGImage>(photo, [](TJPEGImage& jpeg) {
        jpeg.Options.Progressive = true;
        jpeg.EncodeJpeg();
    });
    const auto grey = Encode(photo, 85, true);
    const std::vector<std::uint8_t> cut(baseline.begin(), baseline.begin() + static_cast<std::ptrdiff_t>(baseline.size() / 2));
    for (const auto* file : {&baseline, &progressive, &grey, &cut}) EXPECT_TRUE(BandsAreTheWholeDecode(*file, {}));
    TJpegDecodeParameters thumbnail;
    thumbnail.Thumbnail = true;
    thumbnail.PreferSpeed = true;
    EXPECT_TRUE(BandsAreTheWholeDecode(baseline, thumbnail));
    // The two-pass quantiser needs the whole picture; a picture small enough to hold keeps
    // its decode on two threads.
    TJpegDecodeParameters depth8;
    depth8.Depth8 = true;
    EXPECT_FALSE(BandsAreTheWholeDecode(baseline, depth8));
    TJpegDecodeParameters twoThreads;
    twoThreads.Threads = 2;
    EXPECT_FALSE(BandsAreTheWholeDecode(baseline, twoThreads));
}

// A progressive file whose last scan is repeated hundreds of times, a few kilobytes that
// would keep the decoder busy for minutes, is refused at its 101st scan.
TEST(JpegImage, FilesWithHundredsOfScansAreRefused) {
    TJPEGImage jpeg;
    jpeg.Assign(testing::Solid(1024, 1024, RGBColor(90, 90, 90)));
    jpeg.Options.Progressive = true;
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    std::vector<std::uint8_t> bytes = stream.Bytes();
    std::size_t lastScan = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) lastScan = i;
    const std::vector<std::uint8_t> scan(bytes.begin() + static_cast<std::ptrdiff_t>(lastScan), bytes.end() - 2);
    for (int copy = 0; copy < 300; ++copy) bytes.insert(bytes.end() - 2, scan.begin(), scan.end());
    ASSERT_LT(bytes.size(), 100'000u);
    try {
        testing::LoadThrough<TJPEGImage>(bytes);
        ADD_FAILURE() << "three hundred scans";
    } catch (const EInvalidGraphic& error) {
        EXPECT_NE(std::string(error.what()).find("more than 100 scans"), std::string::npos) << error.what();
    }
    const std::vector<std::uint8_t> few(stream.Bytes());
    EXPECT_EQ(testing::LoadThrough<TJPEGImage>(few).Width(), 1024) << "the usual dozen scans";
}

TEST(JpegImage, IndependentDecoderReadsWhatWeWrite) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    const TBitmap picture = testing::PhotoLike(120, 80);
    for (const auto& [quality, psnr] : {std::pair{60, 30.0}, std::pair{95, 40.0}}) {
        TJPEGImage jpeg;
        jpeg.Assign(picture);
        jpeg.Options.Quality = quality;
        jpeg.SaveToFile(dir.File("out.jpg"));
        const auto theirs = testing::DecodeWithPillow(dir.File("out.jpg"), dir.Path());
        ASSERT_TRUE(theirs);
        EXPECT_GT(testing::Psnr(picture, *theirs), psnr) << quality;
    }
}

// The largest difference of one channel between two pictures of the same size.
int LargestDifference(const TBitmap& a, const TBitmap& b) {
    int largest = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            for (int shift : {0, 8, 16})
                largest = std::max(largest, std::abs(static_cast<int>(a.GetPixel(x, y) >> shift & 255) - static_cast<int>(b.GetPixel(x, y) >> shift & 255)));
    return largest;
}

// Grey files decode to 8-bit palette pictures, which the colour comparisons pass over:
// their greys are compared with Pillow's here, a written one and the corpus's.
TEST(JpegImage, GreyFilesDecodeToTheGreysOfAnIndependentDecoder) {
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    std::vector<std::filesystem::path> files = {dir.File("written.jpg")};
    testing::WriteFileBytes(files[0], Encode(testing::PhotoLike(64, 48), 85, true));
    const std::filesystem::path corpus = std::filesystem::path(PICTORAND_SOURCE_DIR) / "../shared/corpus/pillow/jpeg/hopper_gray.jpg";
    if (std::filesystem::exists(corpus)) files.push_back(corpus);
    for (const auto& file : files) {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(file.string());
        TBitmap ours;
        ours.Assign(jpeg);
        ASSERT_EQ(ours.PixelFormat(), TPixelFormat::pf8bit) << file;
        const auto theirs = testing::DecodeWithPillow(file, dir.Path());
        ASSERT_TRUE(theirs) << file;
        ASSERT_EQ(theirs->Width(), ours.Width());
        // The classic decoder keeps 236 of the 256 greys, so a level may be one or two off.
        EXPECT_LE(LargestDifference(ours, *theirs), 2) << file.filename() << ": the same greys";
    }
    std::cout << "[ compared ] " << files.size() << " grey JPEG files with Pillow\n";
}

TEST(JpegImage, CorpusFilesMatchAnIndependentDecode) {
    PICTORAND_REQUIRE_CORPUS(folder, "pillow/jpeg");
    PICTORAND_REQUIRE_PILLOW();
    testing::TTempDir dir;
    testing::TCorpusTally tally;
    for (const auto& file : testing::CorpusFiles(folder, ".jpg")) {
        TJPEGImage jpeg;
        TBitmap ours;
        try {
            jpeg.LoadFromFile(file.string());
            ours.Assign(jpeg);
        } catch (const EJPEG& error) {
            // Rejected cleanly; Pillow may be more lenient with damaged files.
            tally.Skipped(file.filename().string(), std::string("refused: ") + error.what());
            continue;
        }
        const auto theirs = testing::DecodeWithPillow(file, dir.Path());
        if (!theirs || theirs->Width() != ours.Width() || ours.PixelFormat() != TPixelFormat::pf24bit) {
            tally.Skipped(file.filename().string(), !theirs ? "Pillow cannot decode it" : "not comparable as 24-bit pictures");
            continue;
        }
        EXPECT_GT(testing::Psnr(ours, *theirs), 30.0) << file.filename();
        tally.Compared();
    }
    EXPECT_GT(tally.ComparedCount(), 10);
}

}  // namespace
}  // namespace pictorand
