// The photo stage: EXIF orientation from a real JPEG's metadata, ICC profiles made with
// Little CMS, alpha flattened for formats without it, and the options' own file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include <lcms2.h>

#include <cstdio>
#include <fstream>

#include <jpeglib.h>

#include "engine/colour_profile.h"
#include "engine/orientation.h"
#include "engine/option_table.h"
#include "engine/extra_options_file.h"
#include "engine/photo_stage.h"
#include "engine/source_loader.h"
#include "formats/common/color_manager.h"
#include "formats/common/metadata_segments.h"
#include "formats/format_table.h"
#include "formats/source_metadata_reader.h"
#include "graphics/stream.h"
#include "marked_jpeg.h"
#include "png_builder.h"
#include "scripted_host.h"
#include "temp_dir.h"
#include "test_profiles.h"
#include "test_images.h"

namespace pictorand {
namespace {

using testing::ExifBlock;
using testing::MarkedJpeg;

bool Reddish(TColor c) { return (c & 255) > 200 && (c >> 8 & 255) < 60 && (c >> 16 & 255) < 60; }

TEST(PhotoStage, EveryOrientationPutsTheMarkedCornerWhereTheViewerSeesIt) {
    // Where the stored top-left corner shows, for orientations 1 to 8.
    enum Corner { TopLeft, TopRight, BottomRight, BottomLeft };
    const Corner shown[] = {TopLeft, TopRight, BottomRight, BottomLeft, TopLeft, TopRight, BottomRight, BottomLeft};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const auto file = MarkedJpeg(orientation);
        const TSourceMetadata metadata = ReadSourceMetadata(file);
        ASSERT_EQ(metadata.Orientation, orientation);
        TBitmap source = FindReadableFormat(".jpg")->Decode(file, {}).Raster;
        AdjustPhoto(source, metadata, RecommendedOptions().Photo, OutputFormatNamed("jpg"));
        const bool turned = orientation >= 5;
        EXPECT_EQ(source.Width(), turned ? 16 : 32) << orientation;
        const int right = source.Width() - 2, bottom = source.Height() - 2;
        const TColor corners[] = {source.GetPixel(1, 1), source.GetPixel(right, 1), source.GetPixel(right, bottom), source.GetPixel(1, bottom)};
        for (int c = 0; c < 4; ++c) EXPECT_EQ(Reddish(corners[c]), c == shown[orientation - 1]) << "orientation " << orientation << ", corner " << c;
    }
    TBitmap untouched = testing::PhotoLike(5, 3);
    TurnUpright(untouched, 9);
    EXPECT_EQ(untouched.Width(), 5) << "values outside 1 to 8 are ignored";
}

using testing::AdobeRgbProfile;

TEST(PhotoStage, ProfilesConvertToSrgbThroughPixelsOrPalette) {
    const auto adobe = AdobeRgbProfile();
    ASSERT_TRUE(IsRgbProfile(adobe));
    // Adobe RGB red (200, 0, 0) is about (234, 0, 0) in sRGB.
    TBitmap photo = testing::Solid(4, 4, RGBColor(200, 0, 0));
    ASSERT_TRUE(ConvertToSrgb(photo, adobe));
    const TColor red = photo.GetPixel(2, 2);
    EXPECT_NEAR(static_cast<int>(red & 255), 234, 2);
    EXPECT_LE(static_cast<int>(red >> 8 & 255), 2);

    TBitmap indexed = testing::Solid(4, 4, RGBColor(200, 0, 0));
    indexed.SetPixelFormat(TPixelFormat::pf8bit);
    TBitmap sameColour = testing::Solid(1, 1, indexed.GetPixel(1, 1));
    ASSERT_TRUE(ConvertToSrgb(indexed, adobe));
    ASSERT_TRUE(ConvertToSrgb(sameColour, adobe));
    EXPECT_EQ(indexed.PixelFormat(), TPixelFormat::pf8bit) << "a palette picture keeps its palette";
    EXPECT_EQ(indexed.GetPixel(1, 1), sameColour.GetPixel(0, 0));

    TBitmap untouched = testing::Solid(2, 2, RGBColor(200, 0, 0));
    const std::uint8_t damaged[] = {1, 2, 3};
    EXPECT_FALSE(ConvertToSrgb(untouched, damaged));
    EXPECT_EQ(untouched.GetPixel(0, 0), RGBColor(200, 0, 0));

    // The profile of a PNG's iCCP chunk, through the stage; off, the pixels stay.
    TMemoryStream png;
    OutputFormatNamed("png")->Encode(png, testing::Solid(3, 3, RGBColor(200, 0, 0)), {});
    TSourceMetadata withProfile;
    withProfile.IccProfile = adobe;
    const TSourceMetadata read = ReadSourceMetadata(PngWithMetadata(png.Bytes(), withProfile));
    ASSERT_EQ(read.IccProfile, adobe);
    TBitmap converted = testing::Solid(3, 3, RGBColor(200, 0, 0));
    EXPECT_TRUE(AdjustPhoto(converted, read, RecommendedOptions().Photo, OutputFormatNamed("png")).ProfileConverted);
    EXPECT_EQ(converted.GetPixel(0, 0), red);
    TBitmap kept = testing::Solid(3, 3, RGBColor(200, 0, 0));
    EXPECT_FALSE(AdjustPhoto(kept, read, TPhotoOptions{}, OutputFormatNamed("png")).ProfileConverted);
    EXPECT_EQ(kept.GetPixel(0, 0), RGBColor(200, 0, 0));
}

// A grey profile on a picture with colour describes other pixels: it is left unused, and
// said; on grey pixels it converts.
TEST(PhotoStage, AGreyProfileOnColourPixelsIsIgnoredAndSaid) {
    const cmsToneCurve* curve = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE grey = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(grey, nullptr, &size);
    TSourceMetadata metadata;
    metadata.IccProfile.resize(size);
    cmsSaveProfileToMem(grey, metadata.IccProfile.data(), &size);
    cmsCloseProfile(grey);
    cmsFreeToneCurve(const_cast<cmsToneCurve*>(curve));
    TBitmap colour = testing::Solid(3, 3, RGBColor(200, 40, 40));
    const TPhotoResult ignored = AdjustPhoto(colour, metadata, RecommendedOptions().Photo, OutputFormatNamed("jpg"));
    EXPECT_FALSE(ignored.ProfileConverted);
    EXPECT_EQ(colour.GetPixel(1, 1), RGBColor(200, 40, 40));
    ASSERT_EQ(ignored.Warnings.size(), 1u);
    EXPECT_NE(ignored.Warnings[0].find("grey colour profile"), std::string::npos);
    TBitmap greyPixels = testing::Solid(3, 3, RGBColor(100, 100, 100));
    const TPhotoResult converted = AdjustPhoto(greyPixels, metadata, RecommendedOptions().Photo, OutputFormatNamed("jpg"));
    EXPECT_TRUE(converted.ProfileConverted);
    EXPECT_TRUE(converted.Warnings.empty());
    EXPECT_NE(greyPixels.GetPixel(1, 1), RGBColor(100, 100, 100)) << "linear grey is lighter in sRGB";
}

// Colour given by code points (HEIC and AVIF photos: Display P3) converts as a profile
// does; sRGB's own code points, and curves no profile describes, leave the pixels alone.
TEST(PhotoStage, CodePointsConvertLikeAProfile) {
    TSourceMetadata p3;
    p3.Cicp = TCicp{12, 13};
    // Display P3 (200, 100, 50) is about sRGB (216, 93, 31).
    TBitmap photo = testing::Solid(3, 3, RGBColor(200, 100, 50));
    EXPECT_TRUE(AdjustPhoto(photo, p3, RecommendedOptions().Photo, OutputFormatNamed("jpg")).ProfileConverted);
    const TColor c = photo.GetPixel(1, 1);
    EXPECT_NEAR(static_cast<int>(c & 255), 216, 3);
    EXPECT_NEAR(static_cast<int>(c >> 8 & 255), 93, 3);
    EXPECT_NEAR(static_cast<int>(c >> 16 & 255), 31, 3);
    for (const TCicp untouched : {TCicp{1, 13}, TCicp{2, 2}, TCicp{9, 16}}) {
        TSourceMetadata metadata;
        metadata.Cicp = untouched;
        TBitmap same = testing::Solid(2, 2, RGBColor(200, 100, 50));
        AdjustPhoto(same, metadata, RecommendedOptions().Photo, OutputFormatNamed("jpg"));
        EXPECT_EQ(same.GetPixel(0, 0), RGBColor(200, 100, 50)) << untouched.Primaries << "/" << untouched.Transfer;
    }
    TBitmap kept = testing::Solid(2, 2, RGBColor(200, 100, 50));
    AdjustPhoto(kept, p3, TPhotoOptions{}, OutputFormatNamed("jpg"));
    EXPECT_EQ(kept.GetPixel(0, 0), RGBColor(200, 100, 50)) << "unless asked to";
}

// A PNG's cHRM and gAMA, without a profile, convert as the profile they describe does
// (Adobe RGB's primaries here); an sRGB chunk says the pixels are sRGB already.
TEST(PhotoStage, PngChromaticitiesConvertLikeTheProfileTheyDescribe) {
    using testing::TPngBuilder;
    std::vector<std::uint8_t> chrm;
    for (const std::uint32_t v : {31270u, 32900u, 64000u, 33000u, 21000u, 71000u, 15000u, 6000u})
        chrm.insert(chrm.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                                 static_cast<std::uint8_t>(v)});
    const std::vector<std::uint8_t> gamma = {0, 0, 0xB1, 0x8F};  // 0.45455, a 2.2 curve
    const std::vector<std::uint8_t> row = {0, 200, 100, 50};
    const auto file = TPngBuilder().Header(1, 1, 8, 2).Chunk("cHRM", chrm).Chunk("gAMA", gamma).ImageData(row).End().Build();
    const TSourceMetadata read = ReadSourceMetadata(file);
    ASSERT_TRUE(read.Chromaticities);
    EXPECT_NEAR(read.Chromaticities->Gamma, 0.45455, 1e-9);
    TSourceMetadata adobe;
    adobe.IccProfile = AdobeRgbProfile();
    TBitmap fromChunks = testing::Solid(2, 2, RGBColor(200, 100, 50));
    TBitmap fromProfile = testing::Solid(2, 2, RGBColor(200, 100, 50));
    EXPECT_TRUE(AdjustPhoto(fromChunks, read, RecommendedOptions().Photo, OutputFormatNamed("jpg")).ProfileConverted);
    AdjustPhoto(fromProfile, adobe, RecommendedOptions().Photo, OutputFormatNamed("jpg"));
    for (const int shift : {0, 8, 16})
        EXPECT_NEAR(static_cast<int>(fromChunks.GetPixel(0, 0) >> shift & 255), static_cast<int>(fromProfile.GetPixel(0, 0) >> shift & 255), 1);
    EXPECT_NE(fromChunks.GetPixel(0, 0), RGBColor(200, 100, 50));

    const auto tagged = TPngBuilder().Header(1, 1, 8, 2).Chunk("sRGB", {0}).Chunk("cHRM", chrm).Chunk("gAMA", gamma).ImageData(row).End().Build();
    EXPECT_FALSE(ReadSourceMetadata(tagged).Chromaticities);
    auto broken = chrm;
    broken[7] = broken[6] = broken[5] = broken[4] = 0;  // white y of zero
    EXPECT_FALSE(ReadSourceMetadata(TPngBuilder().Header(1, 1, 8, 2).Chunk("cHRM", broken).Chunk("gAMA", gamma).ImageData(row).End().Build())
                     .Chromaticities);
}

// A CMYK input profile that shows every ink mix as the Lab colour of pure sRGB green: a
// conversion through it is told apart from the readers' fixed formula at a glance.
std::vector<std::uint8_t> AllGreenCmykProfile() {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigInputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    const cmsCIELab green = {87.7, -86.2, 83.2};
    cmsUInt16Number encoded[3];
    cmsFloat2LabEncoded(encoded, &green);
    std::vector<cmsUInt16Number> table;
    for (int corner = 0; corner < 16; ++corner) table.insert(table.end(), encoded, encoded + 3);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocCLut16bit(nullptr, 2, 4, 3, table.data()));
    cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
    cmsPipelineFree(pipeline);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

// 16-bit samples through a wide-gamut profile land within a level of Little CMS's
// double-precision answer, in the deep shadows and for colours sRGB has to clip alike.
TEST(PhotoStage, SixteenBitRgbConvertsWithinALevelOfTheDoublePrecisionAnswer) {
    const auto profile = testing::RgbGammaProfile({{0.7347, 0.2653, 1.0}, {0.1596, 0.8404, 1.0}, {0.0366, 0.0001, 1.0}}, 1.8);
    const TRgb16ToBgr convert = Rgb16ToSrgb(profile);
    ASSERT_TRUE(convert);
    EXPECT_FALSE(Rgb16ToSrgb(AllGreenCmykProfile()));
    std::vector<std::uint16_t> rgb;
    std::uint32_t seed = 1;
    for (int i = 0; i < 3 * 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        rgb.push_back(static_cast<std::uint16_t>(i < 3 * 10000 ? seed >> 8 : seed >> 20));  // then shadows
    }
    std::vector<std::uint8_t> bgr(rgb.size());
    convert(rgb.data(), bgr.data(), rgb.size() / 3);

    cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM exact = cmsCreateTransform(source, TYPE_RGB_DBL, srgb, TYPE_BGR_DBL, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
    int worst = 0;
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        const double in[3] = {rgb[i] / 65535.0, rgb[i + 1] / 65535.0, rgb[i + 2] / 65535.0};
        double out[3];
        cmsDoTransform(exact, in, out, 1);
        for (int k = 0; k < 3; ++k)
            worst = std::max(worst, std::abs(static_cast<int>(std::lround(std::clamp(out[k], 0.0, 1.0) * 255)) - bgr[i + k]));
    }
    cmsDeleteTransform(exact);
    cmsCloseProfile(srgb);
    cmsCloseProfile(source);
    EXPECT_LE(worst, 1);
}

// An 8 x 8 Adobe-style CMYK JPEG (inks stored inverted) of pure cyan.
std::vector<std::uint8_t> CyanCmykJpeg() {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = info.image_height = 8;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row;
    for (int x = 0; x < 8; ++x) row.insert(row.end(), {0, 255, 255, 255});
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

// CIELab goes to sRGB with its curve: L* 50 is grey 119 (the fixed formula, which has
// no curve, gives 47), L* 100 is white and a saturated a* is red.
TEST(PhotoStage, LabConvertsToSrgbThroughLittleCms) {
    const TLabToBgr convert = LabToSrgb();
    ASSERT_TRUE(convert);
    const double lab[9] = {50, 0, 0, 100, 0, 0, 54.3, 80.8, 69.9};
    std::uint8_t bgr[9] = {};
    convert(lab, bgr, 3);
    EXPECT_NEAR(bgr[0], 119, 1);
    EXPECT_NEAR(bgr[2], 119, 1);
    EXPECT_EQ(std::vector<int>(bgr + 3, bgr + 6), (std::vector<int>{255, 255, 255}));
    EXPECT_GE(bgr[8], 250);
    EXPECT_LE(bgr[7], 10);
}

TEST(PhotoStage, CmykProfilesConvertWhileTheReadersStillHaveTheInks) {
    const auto profile = AllGreenCmykProfile();
    const TCmykToBgr convert = CmykToSrgb(profile);
    ASSERT_TRUE(convert);
    EXPECT_FALSE(CmykToSrgb(AdobeRgbProfile())) << "an RGB profile converts after loading instead";
    EXPECT_FALSE(IsRgbProfile(profile)) << "so a CMYK profile is never embedded in RGB output";

    testing::TTempDir dir;
    TSourceMetadata metadata;
    metadata.IccProfile = profile;
    const auto jpeg = JpegWithMetadata(CyanCmykJpeg(), metadata);
    ASSERT_EQ(ReadSourceMetadata(jpeg).IccProfile, profile) << "the profile is found again in APP2";
    {
        std::ofstream(dir.File("cyan.jpg"), std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    }
    testing::TScriptedHost host;
    const TSourceFile file{dir.File("cyan.jpg"), "cyan.jpg", ".jpg", {}};
    const auto classic = CheckAndLoadFromFile(file, host);
    ASSERT_TRUE(classic.Raster);
    EXPECT_EQ(classic.Raster->GetPixel(3, 3), RGBColor(0, 255, 255)) << "the fixed formula: cyan";
    TLoadWishes wishes;
    wishes.CmykToBgr = [&convert](const TImageInfo&) { return convert; };
    const auto profiled = CheckAndLoadFromFile(file, host, wishes);
    ASSERT_TRUE(profiled.Raster);
    const TColor green = profiled.Raster->GetPixel(3, 3);
    EXPECT_LE(static_cast<int>(green & 255), 40);
    EXPECT_GE(static_cast<int>(green >> 8 & 255), 220);
    EXPECT_LE(static_cast<int>(green >> 16 & 255), 40);

    // The colour manager of the TIFF and PSD readers hands its inks over the same way.
    TColorManager manager;
    manager.SetSourceColorScheme(TColorScheme::Cmyk);
    manager.SetTargetColorScheme(TColorScheme::Bgr);
    manager.SetSourceBitsPerSample(8);
    manager.SetTargetBitsPerSample(8);
    manager.SetSourceSamplesPerPixel(4);
    manager.SetTargetSamplesPerPixel(3);
    manager.CmykToBgr = [](const std::uint8_t* ink, std::uint8_t* bgr, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) bgr[3 * i] = ink[4 * i], bgr[3 * i + 1] = ink[4 * i + 3], bgr[3 * i + 2] = 7;
    };
    const std::uint8_t inks[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    std::uint8_t bgr[6] = {};
    manager.ConvertRow(inks, bgr, 2, 0xFF);
    EXPECT_EQ(std::vector<std::uint8_t>(bgr, bgr + 6), (std::vector<std::uint8_t>{10, 40, 7, 50, 80, 7}));
}

TBitmap HalfTransparent() {
    TBitmap raster;
    raster.SetPixelFormat(TPixelFormat::pf32bit);
    raster.SetSize(2, 1);
    raster.SetHasAlpha(true);
    std::uint8_t* p = raster.ScanLine(0);
    const std::uint8_t pixels[8] = {0, 0, 255, 255, 0, 255, 0, 0};  // opaque red, transparent green
    std::copy(pixels, pixels + 8, p);
    return raster;
}

TEST(PhotoStage, AlphaIsKeptFlattenedOrIgnoredAsTheFormatAndOptionsSay) {
    TPhotoOptions options = RecommendedOptions().Photo;
    TBitmap kept = HalfTransparent();
    AdjustPhoto(kept, {}, options, OutputFormatNamed("png"));
    EXPECT_TRUE(kept.HasAlpha()) << "PNG keeps alpha";

    options.Background = RGBColor(0, 0, 255);
    TBitmap flat = HalfTransparent();
    AdjustPhoto(flat, {}, options, OutputFormatNamed("jpg"));
    EXPECT_EQ(flat.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(flat.GetPixel(0, 0), RGBColor(255, 0, 0));
    EXPECT_EQ(flat.GetPixel(1, 0), RGBColor(0, 0, 255)) << "the transparent pixel shows the background, not its green";

    // A transparent colour (a GIF's transparent index) becomes alpha.
    TBitmap keyed = testing::Solid(2, 1, RGBColor(0, 255, 0));
    keyed.SetPixel(0, 0, RGBColor(255, 0, 0));
    keyed.SetTransparentColor(RGBColor(0, 255, 0));
    keyed.SetTransparent(true);
    AdjustPhoto(keyed, {}, RecommendedOptions().Photo, OutputFormatNamed("png"));
    ASSERT_TRUE(keyed.HasAlpha());
    EXPECT_EQ(keyed.ScanLine(0)[3], 255);
    EXPECT_EQ(keyed.ScanLine(0)[7], 0);

    TBitmap ignored = HalfTransparent();
    AdjustPhoto(ignored, {}, TPhotoOptions{}, OutputFormatNamed("png"));
    EXPECT_FALSE(ignored.HasAlpha());
    EXPECT_EQ(ignored.GetPixel(1, 0), RGBColor(0, 255, 0)) << "without transparency the stored colour shows, as always";
}

TEST(PhotoStage, OptionsFileRoundTripsAndSaysWhenItIsDamaged) {
    testing::TTempDir dir;
    const std::string path = dir.File("PhotoOptions.json");
    EXPECT_EQ(ReadExtraOptionsFile(path), RecommendedOptions()) << "no file";
    TExtraOptions chosen;
    chosen.Photo = {.ConvertToSrgb = true, .KeepMetadata = true, .Background = RGBColor(1, 2, 3)};
    chosen.Resample = {.ShrinkOnLoad = true, .CentreGrid = true, .LinearLight = true};
    WriteExtraOptionsFile(path, chosen);
    EXPECT_EQ(ReadExtraOptionsFile(path), chosen);
    std::ofstream(path) << "{\"keep_metadata\": true, \"background\": \"#zzzzzz\", \"transparency\": 3";
    try {
        ReadExtraOptionsFile(path);
        ADD_FAILURE() << "a damaged file is said, not replaced by the defaults";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
    std::ofstream(path) << "{\"keep_metadata\": true, \"background\": \"#0000FF\", \"centre_sampling\": true}";
    TExtraOptions partial = RecommendedOptions();
    partial.Photo.KeepMetadata = true;
    partial.Photo.Background = RGBColor(0, 0, 255);
    partial.Resample.CentreGrid = true;
    EXPECT_EQ(ReadExtraOptionsFile(path), partial) << "what a file lacks keeps its default";
}

// Every option is one row: a key, a flag (but the quality, which --quality shares with the
// classic JPEG list), a menu item for the photo and scaling options, and the two values.
TEST(PhotoStage, TheOptionTableDescribesEveryOptionOnce) {
    std::set<std::string_view> keys, flags;
    for (const TOptionRow& row : OptionTable()) {
        EXPECT_TRUE(keys.insert(row.Key).second) << row.Key;
        EXPECT_EQ((row.Switch != nullptr) + (row.Colour != nullptr) + (row.Number != nullptr), 1) << row.Key << ": one kind of value";
        EXPECT_EQ(FindOption(row.Key), &row);
        if (row.Key == "quality") continue;
        EXPECT_TRUE(flags.insert(row.Flag).second) << row.Flag;
        EXPECT_TRUE(row.Flag.starts_with("--")) << row.Key;
        EXPECT_FALSE(row.Help.empty()) << row.Key;
        EXPECT_EQ(row.Menu.empty(), row.Group == TOptionGroup::Writing) << row.Key << ": the menu holds photo, scaling and bounds options";
        EXPECT_EQ(row.MenuEnglish.empty(), row.Menu.empty()) << row.Key << ": the English interface names every item";
        EXPECT_EQ(row.MenuHelpEnglish.empty(), row.MenuHelp.empty()) << row.Key << ": the English help tells of every item";
        if (row.Number) {
            EXPECT_LT(row.Low, row.High) << row.Key;
        }
    }
    EXPECT_EQ(ClassicOptions(), TExtraOptions{}) << "the classic values are those a default object holds";
    EXPECT_EQ(RecommendedOptions().Photo, (TPhotoOptions{.AutoOrient = true, .ConvertToSrgb = true, .Transparency = true, .CarryProfile = true}));
    EXPECT_EQ(RecommendedOptions().Resample, (TResampleOptions{.DrawAtOutputSize = true}));
}

}  // namespace
}  // namespace pictorand
