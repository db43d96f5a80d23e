// Metadata read from and written into files: EXIF orientation and thumbnails, JPEG
// segments (a profile split over several), PNG chunks, Photoshop resources.
#include <gtest/gtest.h>

#include "formats/metadata_for_output.h"

#include "formats/common/exif.h"
#include "formats/common/metadata_segments.h"
#include "formats/common/tiff_directory.h"
#include "formats/format_table.h"
#include "formats/jpeg/jpeg_metadata.h"
#include "formats/png/png_metadata.h"
#include "formats/psd/psd_metadata.h"
#include "formats/source_metadata_reader.h"
#include "formats/tiff/tiff_metadata.h"
#include "graphics/stream.h"
#include "test_images.h"

namespace pictorand {
namespace {

// A big-endian EXIF block: IFD0 (orientation 6) pointing to a thumbnail directory with
// the thumbnail's bytes after it.
std::vector<std::uint8_t> ExifWithThumbnail() {
    std::vector<std::uint8_t> b = {'M', 'M', 0, 42, 0, 0, 0, 8};
    auto u16 = [&b](int v) { b.insert(b.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}); };
    auto u32 = [&](int v) { u16(v >> 16); u16(v & 0xFFFF); };
    u16(1), u16(0x0112), u16(3), u32(1), u16(6), u16(0), u32(26);  // IFD0, next directory at 26
    u16(1), u16(0x0201), u16(4), u32(1), u32(44), u32(0);          // IFD1: the thumbnail at 44
    b.insert(b.end(), {0xFF, 0xD8, 0xFF, 0xD9});
    return b;
}

std::vector<std::uint8_t> Encoded(OutputFormat format) {
    TMemoryStream stream;
    format->Encode(stream, testing::PhotoLike(9, 7), {90});
    return stream.Bytes();
}

TEST(Metadata, ExifOrientationAndTheBlockAnOutputCarries) {
    const auto exif = ExifWithThumbnail();
    EXPECT_EQ(ExifOrientation(exif), 6);
    const auto upright = ExifForOutput(exif, {.TurnedUpright = true});
    EXPECT_EQ(ExifOrientation(upright), 1);
    EXPECT_EQ(upright.size(), 26u) << "the thumbnail directory and picture are cut off";
    EXPECT_EQ(ExifOrientation(ExifForOutput(exif, {})), 6) << "pixels not turned keep their orientation";
    for (const std::vector<std::uint8_t>& damaged : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{'I', 'I', 42, 0, 200, 0, 0, 0},
                                                     std::vector<std::uint8_t>(exif.begin(), exif.begin() + 12)}) {
        EXPECT_EQ(ExifOrientation(damaged), 1);
        EXPECT_NO_THROW(ExifForOutput(damaged, {.TurnedUpright = true, .InSrgb = true, .Width = 5, .Height = 5}));
    }
}

// The tags that describe the pixels say what the output's are: its size in the Exif
// directory, sRGB's colour space and interoperability index once converted, and the XMP
// packet's orientation beside the EXIF one.
TEST(Metadata, TagsThatDescribeThePixelsFollowTheOutput) {
    const std::vector<std::uint8_t> exif = {
        'I', 'I', 42, 0, 8, 0, 0, 0,
        2, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0x69, 0x87, 4, 0, 1, 0, 0, 0, 38, 0, 0, 0, 0, 0, 0, 0,  // IFD0
        4, 0, 0x01, 0xA0, 3, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0,   // ColorSpace: uncalibrated
        0x02, 0xA0, 4, 0, 1, 0, 0, 0, 60, 0, 0, 0,                // ExifImageWidth 60
        0x03, 0xA0, 3, 0, 1, 0, 0, 0, 40, 0, 0, 0,                // ExifImageHeight 40
        0x05, 0xA0, 4, 0, 1, 0, 0, 0, 92, 0, 0, 0, 0, 0, 0, 0,    // the interoperability directory
        1, 0, 0x01, 0x00, 2, 0, 4, 0, 0, 0, 'R', '0', '3', 0, 0, 0, 0, 0};
    const auto out = ExifForOutput(exif, {.TurnedUpright = true, .InSrgb = true, .Width = 20, .Height = 30});
    ASSERT_EQ(out.size(), exif.size());
    EXPECT_EQ(ExifOrientation(out), 1);
    EXPECT_EQ(out[48] | out[49] << 8, 1) << "sRGB";
    EXPECT_EQ(out[60] | out[61] << 8, 20);
    EXPECT_EQ(out[72] | out[73] << 8, 30);
    EXPECT_EQ(std::string(out.begin() + 102, out.begin() + 105), "R98");
    const auto unconverted = ExifForOutput(exif, {.Width = 20, .Height = 30});
    EXPECT_EQ(unconverted[48] | unconverted[49] << 8, 0xFFFF) << "pixels in their own colours keep their colour space";
    EXPECT_EQ(std::string(unconverted.begin() + 102, unconverted.begin() + 105), "R03");

    TSourceMetadata source;
    source.Exif = exif;
    const std::string xmp = "<x:xmpmeta><rdf:Description tiff:Orientation=\"6\"/><tiff:Orientation>8</tiff:Orientation></x:xmpmeta>";
    source.Xmp.assign(xmp.begin(), xmp.end());
    const auto kept = MetadataForOutput(source, true, {.TurnedUpright = true}, {});
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(std::string(kept->Xmp.begin(), kept->Xmp.end()),
              "<x:xmpmeta><rdf:Description tiff:Orientation=\"1\"/><tiff:Orientation>1</tiff:Orientation></x:xmpmeta>");
    EXPECT_EQ(MetadataForOutput(source, true, {}, {})->Xmp, source.Xmp) << "pixels not turned keep theirs";
}

TEST(Metadata, JpegSegmentsRoundTripWithAProfileSplitInParts) {
    TSourceMetadata metadata;
    metadata.Exif = ExifWithThumbnail();
    metadata.Xmp = {'<', 'x', '/', '>'};
    metadata.Iptc = {'8', 'B', 'I', 'M', 4, 4, 0, 0, 0, 0, 0, 0};
    metadata.IccProfile.resize(150000);
    for (std::size_t i = 0; i < metadata.IccProfile.size(); ++i) metadata.IccProfile[i] = static_cast<std::uint8_t>(i * 7);
    const auto jpeg = JpegWithMetadata(Encoded(OutputFormatNamed("jpg")), metadata);
    const TSourceMetadata read = ReadJpegMetadata(jpeg);
    EXPECT_EQ(read.Exif, metadata.Exif);
    EXPECT_EQ(read.Xmp, metadata.Xmp);
    EXPECT_EQ(read.Iptc, metadata.Iptc);
    EXPECT_EQ(read.IccProfile, metadata.IccProfile) << "three APP2 parts joined in order";
    EXPECT_EQ(read.Orientation, 6);

    // A profile with a part missing is no profile; the file still decodes.
    auto cut = jpeg;
    const std::string name("ICC_PROFILE");
    const auto part = std::search(cut.begin(), cut.end(), name.begin(), name.end());
    ASSERT_NE(part, cut.end());
    *(part + 12) = 9;  // the first part claims to be the ninth
    EXPECT_TRUE(ReadJpegMetadata(cut).IccProfile.empty());
}

// A big-endian TIFF file's first directory with a camera make, a model short enough to
// sit in its entry, an orientation and a long copyright text.
std::vector<std::uint8_t> TiffWithDescriptiveTags() {
    const std::string make("Canon\0", 6), model("X1\0", 3), copyright = std::string(70, 'c') + '\0';
    std::vector<std::uint8_t> b = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 4};
    auto u16 = [&b](std::uint32_t v) { b.insert(b.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}); };
    auto u32 = [&](std::uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); };
    const std::uint32_t values = 10 + 4 * 12 + 4;
    u16(271), u16(2), u32(6), u32(values);
    u16(272), u16(2), u32(3), b.insert(b.end(), {'X', '1', 0, 0});
    u16(274), u16(3), u32(1), u16(6), u16(0);
    u16(33432), u16(2), u32(static_cast<std::uint32_t>(copyright.size())), u32(values + 6);
    u32(0);
    b.insert(b.end(), make.begin(), make.end());
    b.insert(b.end(), copyright.begin(), copyright.end());
    return b;
}

std::string Text(std::span<const std::uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

TEST(Metadata, TiffDescriptiveTagsBecomeAnExifBlockForJpegOutput) {
    const auto tiff = TiffWithDescriptiveTags();
    const TSourceMetadata read = ReadTiffMetadata(tiff);
    EXPECT_EQ(read.Orientation, 6);
    ASSERT_FALSE(read.Exif.empty());
    EXPECT_EQ(ExifOrientation(read.Exif), 6);
    EXPECT_EQ(Text(Ifd0TagBytes(read.Exif, 271)), std::string("Canon\0", 6));
    EXPECT_EQ(Text(Ifd0TagBytes(read.Exif, 272)), std::string("X1\0", 3)) << "a value held in its entry";
    EXPECT_EQ(Text(Ifd0TagBytes(read.Exif, 33432)), std::string(70, 'c') + '\0');
    const auto upright = ExifForOutput(read.Exif, {.TurnedUpright = true});
    EXPECT_EQ(ExifOrientation(upright), 1);
    EXPECT_EQ(Text(Ifd0TagBytes(upright, 271)), std::string("Canon\0", 6));

    // Through a JPEG file and back.
    TSourceMetadata kept;
    kept.Exif = upright;
    const TSourceMetadata again = ReadSourceMetadata(JpegWithMetadata(Encoded(OutputFormatNamed("jpg")), kept));
    EXPECT_EQ(Text(Ifd0TagBytes(again.Exif, 271)), std::string("Canon\0", 6));

    // A TIFF without any of these tags gives no block.
    std::vector<std::uint8_t> bare = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0, 1, 3, 0, 1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(ReadTiffMetadata(bare).Exif.empty());
}

// A big-endian TIFF with IPTC records (tag 33723) and a GPS directory: latitude 55° 45'
// 30.5" N.
std::vector<std::uint8_t> TiffWithGpsAndIptc() {
    std::vector<std::uint8_t> b = {'M', 'M', 0, 42, 0, 0, 0, 8};
    auto u16 = [&b](std::uint32_t v) { b.insert(b.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)}); };
    auto u32 = [&](std::uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); };
    const std::vector<std::uint8_t> iptc = {0x1C, 2, 5, 0, 4, 'M', 'o', 's', 'k', 0x1C, 2, 0};  // object name "Mosk"
    const std::uint32_t ifd0 = 8, iptcAt = ifd0 + 2 + 2 * 12 + 4, gps = iptcAt + 12, rationals = gps + 2 + 2 * 12 + 4;
    u16(2);
    u16(33723), u16(7), u32(static_cast<std::uint32_t>(iptc.size())), u32(iptcAt);
    u16(34853), u16(4), u32(1), u32(gps);
    u32(0);
    b.insert(b.end(), iptc.begin(), iptc.end());
    u16(2);
    u16(1), u16(2), u32(2), b.insert(b.end(), {'N', 0, 0, 0});
    u16(2), u16(5), u32(3), u32(rationals);
    u32(0);
    for (std::uint32_t v : {55u, 1u, 45u, 1u, 61u, 2u}) u32(v);
    return b;
}

TEST(Metadata, TiffGpsAndIptcReachJpegOutput) {
    const TSourceMetadata read = ReadTiffMetadata(TiffWithGpsAndIptc());
    ASSERT_GE(read.Iptc.size(), 12u + 12u);
    EXPECT_EQ(Text(std::span(read.Iptc).first(6)), std::string("8BIM\x04\x04", 6));
    EXPECT_EQ(Text(std::span(read.Iptc).subspan(12, 9)), std::string("\x1C\x02\x05\x00\x04Mosk", 9));

    TSourceMetadata kept;
    kept.Exif = ExifForOutput(read.Exif, {});
    kept.Iptc = read.Iptc;
    const TSourceMetadata again = ReadSourceMetadata(JpegWithMetadata(Encoded(OutputFormatNamed("jpg")), kept));
    EXPECT_EQ(again.Iptc, read.Iptc);
    // The GPS directory, little-endian now, with the same values.
    const TTiffStructure exif(again.Exif);
    ASSERT_TRUE(exif.Valid());
    const auto ifd0 = TTiffDirectory::Read(exif, exif.FirstDirectory(), 64, false);
    ASSERT_TRUE(ifd0);
    const TTiffEntry* pointer = ifd0->Find(34853);
    ASSERT_NE(pointer, nullptr);
    const auto gps = TTiffDirectory::Read(exif, pointer->Value, 64, false);
    ASSERT_TRUE(gps);
    ASSERT_NE(gps->Find(1), nullptr);
    EXPECT_EQ(Text(exif.ByteValues(*gps->Find(1))), std::string("N\0", 2));
    ASSERT_NE(gps->Find(2), nullptr);
    EXPECT_EQ(exif.Values(*gps->Find(2)), (std::vector<double>{55, 45, 30.5}));
}

TEST(Metadata, PngChunksAndPhotoshopResources) {
    TSourceMetadata metadata;
    metadata.Exif = ExifWithThumbnail();
    metadata.IccProfile.assign(300, 5);
    const auto png = PngWithMetadata(Encoded(OutputFormatNamed("png")), metadata);
    const TSourceMetadata read = ReadPngMetadata(png);
    EXPECT_EQ(read.Exif, metadata.Exif);
    EXPECT_EQ(read.IccProfile, metadata.IccProfile);
    EXPECT_EQ(read.Orientation, 6);
    // The written file still loads.
    EXPECT_NO_THROW(FindReadableFormat(".png")->Decode(png, {}));

    // Resources 1039 (profile) and 1058 (EXIF) in a Photoshop file's header.
    std::vector<std::uint8_t> psd = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 8, 0, 3, 0, 0, 0, 0};
    std::vector<std::uint8_t> resources;
    auto resource = [&resources](int id, const std::vector<std::uint8_t>& data) {
        resources.insert(resources.end(), {'8', 'B', 'I', 'M', static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id), 0, 0, 0, 0, 0,
                                           static_cast<std::uint8_t>(data.size())});
        resources.insert(resources.end(), data.begin(), data.end());
        if (data.size() % 2) resources.push_back(0);
    };
    resource(1039, {1, 2, 3});
    resource(1058, ExifWithThumbnail());
    psd.insert(psd.end(), {0, 0, 0, static_cast<std::uint8_t>(resources.size())});
    psd.insert(psd.end(), resources.begin(), resources.end());
    const TSourceMetadata fromPsd = ReadPsdMetadata(psd);
    EXPECT_EQ(fromPsd.IccProfile, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(fromPsd.Orientation, 6);
    psd[psd.size() - resources.size() - 1] = 0xFF;  // a resource section longer than the file
    EXPECT_TRUE(ReadPsdMetadata(psd).IccProfile.empty());
}

}  // namespace
}  // namespace pictorand
