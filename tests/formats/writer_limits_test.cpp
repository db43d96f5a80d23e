// Every writer at the edges of its header fields: a value that fits is written and reads
// back; one that does not fails with a message naming the field, never wraps.
#include <gtest/gtest.h>

#include "formats/format_table.h"
#include "formats/gif/gif_image.h"
#include "formats/pcx/pcx_graphic.h"
#include "formats/tga/targa_graphic.h"
#include "graphics/byte_writer.h"
#include "graphics/exceptions.h"
#include "test_images.h"

namespace pictorand {
namespace {

TBitmap Strip(int width, int height) { return testing::Solid(width, height, RGBColor(10, 200, 30)); }

// What writing gives: "ok" or the error's text.
std::string Write(OutputFormat format, const TBitmap& picture, std::vector<std::uint8_t>* bytes = nullptr) {
    TMemoryStream stream;
    try {
        format->Encode(stream, picture, TWriteOptions{85});
    } catch (const std::exception& error) {
        return error.what();
    }
    if (bytes) *bytes = stream.Bytes();
    return "ok";
}

template <class T>
int ReadWidth(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    T image;
    image.LoadFromStream(stream);
    return image.Width();
}

TEST(WriterLimits, SixteenBitFieldsHold65535AndRefuse65536) {
    struct Case { OutputFormat format; bool fits65535; bool fits65536; };
    const Case cases[] = {
        {OutputFormatNamed("bmp"), true, true},   {OutputFormatNamed("tif"), true, true}, {OutputFormatNamed("png"), true, true},
        {OutputFormatNamed("gif"), true, false},  {OutputFormatNamed("tga"), true, false}, {OutputFormatNamed("pcx"), true, false},
        {OutputFormatNamed("wmf"), false, false},  // signed 16-bit bounds: 32,767 at most
        {OutputFormatNamed("ico"), false, false},  // a byte: 255 at most
        {OutputFormatNamed("jpg"), false, false},  // libjpeg's own limit of 65,500
    };
    for (const Case& c : cases) {
        const std::string name(c.format->Name);
        for (const auto& [side, fits] : {std::pair{65535, c.fits65535}, std::pair{65536, c.fits65536}}) {
            for (const bool wide : {true, false}) {
                SCOPED_TRACE(name + " " + std::to_string(side) + (wide ? " wide" : " tall"));
                const std::string outcome = Write(c.format, wide ? Strip(side, 1) : Strip(1, side));
                if (fits) {
                    EXPECT_EQ(outcome, "ok");
                } else {
                    EXPECT_NE(outcome, "ok");
                    EXPECT_FALSE(outcome.empty());
                }
            }
        }
    }
}

TEST(WriterLimits, FieldsAtTheirLimitsReadBack) {
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(Write(OutputFormatNamed("gif"), Strip(65535, 1), &bytes), "ok");
    EXPECT_EQ(ReadWidth<TGIFImage>(bytes), 65535);
    ASSERT_EQ(Write(OutputFormatNamed("tga"), Strip(65535, 1), &bytes), "ok");
    EXPECT_EQ(ReadWidth<TTargaGraphic>(bytes), 65535);
    ASSERT_EQ(Write(OutputFormatNamed("pcx"), Strip(65535, 1), &bytes), "ok");
    EXPECT_EQ(ReadWidth<TPCXGraphic>(bytes), 65535);

    EXPECT_EQ(Write(OutputFormatNamed("gif"), Strip(70000, 1)),
              "Cannot write GIF: the screen width 70000 does not fit its field, which holds 0 to 65535");
    EXPECT_EQ(Write(OutputFormatNamed("tga"), Strip(1, 70000)), "Cannot write TGA: the height 70000 does not fit its field, which holds 0 to 65535");
    EXPECT_EQ(Write(OutputFormatNamed("wmf"), Strip(32767, 1)), "ok");
    EXPECT_EQ(Write(OutputFormatNamed("wmf"), Strip(32768, 1)), "Cannot write WMF: the width 32768 does not fit its field, which holds 0 to 32767");
    EXPECT_EQ(Write(OutputFormatNamed("ico"), Strip(255, 1)), "ok");
    EXPECT_EQ(Write(OutputFormatNamed("ico"), Strip(256, 1)), "Image is too large for icon");
}

TEST(WriterLimits, TheByteWriterRefusesEveryValueOutsideItsField) {
    std::vector<std::uint8_t> out;
    TByteWriter fields("TEST", out);
    fields.U8(255, "a").U16LE(65535, "b").U16BE(1, "c").I16LE(-32768, "d").U32LE(4294967295, "e").I32LE(-1, "f");
    EXPECT_EQ(out, (std::vector<std::uint8_t>{255, 255, 255, 0, 1, 0, 0x80, 255, 255, 255, 255, 255, 255, 255, 255}));
    EXPECT_THROW(fields.U8(256, "a"), EFieldOverflow);
    EXPECT_THROW(fields.U8(-1, "a"), EFieldOverflow);
    EXPECT_THROW(fields.U16LE(65536, "b"), EFieldOverflow);
    EXPECT_THROW(fields.I16LE(32768, "d"), EFieldOverflow);
    EXPECT_THROW(fields.U32LE(4294967296, "e"), EFieldOverflow);
    EXPECT_THROW(fields.U16LEAt(0, 70000, "b"), EFieldOverflow);
    EXPECT_EQ(out.size(), 15u) << "a refused value writes nothing";
}

}  // namespace
}  // namespace pictorand
