#include "formats/tiff/tiff_writer.h"

#include <cstring>
#include <vector>

#include "graphics/byte_writer.h"
#include "graphics/file_stream.h"
#include "graphics/pixel_access.h"

namespace pictorand {

namespace {

constexpr std::uint16_t TypeAscii = 2, TypeShort = 3, TypeLong = 4, TypeRational = 5, TypeUndefined = 7;
// A profile's header alone is 128 bytes; anything shorter is not one.
constexpr std::size_t SmallestProfile = 132;
constexpr std::uint8_t Resolution[8] = {0x6D, 0x03, 0, 0, 0x0A, 0, 0, 0};  // 877 / 10
// ASCII values end in a NUL, which counts.
constexpr char Software[11] = {'R', 'a', 's', 't', 'e', 'r', 'm', 'i', 'l', 'l', '\0'};
constexpr std::uint8_t BitsPerSample888[6] = {8, 0, 8, 0, 8, 0};
constexpr std::uint8_t BitsPerSample8888[8] = {8, 0, 8, 0, 8, 0, 8, 0};

class TTiffBuffer {
public:
    std::vector<std::uint8_t> Bytes;
    std::int64_t Offset() const { return static_cast<std::int64_t>(Bytes.size()); }
    void Put(const void* data, std::size_t size) {
        const std::size_t at = Bytes.size();
        Bytes.resize(at + size);
        std::memcpy(Bytes.data() + at, data, size);
    }
    void U16(std::int64_t v, std::string_view field = "value") { fields_.U16LE(v, field); }
    void U32(std::int64_t v, std::string_view field = "value") { fields_.U32LE(v, field); }
    void U32At(std::size_t at, std::int64_t v, std::string_view field) { fields_.U32LEAt(at, v, field); }
    // Values and the IFD begin on a word boundary.
    void Align() {
        if (Bytes.size() % 2) Bytes.push_back(0);
    }
    // One IFD entry; a SHORT value sits in the first two bytes of the value field.
    void Entry(std::uint16_t tag, std::uint16_t type, std::int64_t count, std::int64_t value) {
        const std::string field = "value of tag " + std::to_string(tag);
        U16(tag);
        U16(type);
        U32(count, field);
        if (type == TypeShort && count == 1) {
            U16(value, field);
            U16(0);
        } else {
            U32(value, field);
        }
    }
    // Width and height fit a SHORT up to 65535; larger values go in as LONG, which TIFF
    // allows for these tags.
    void SizeEntry(std::uint16_t tag, std::int64_t value) {
        if (value > 65535) Entry(tag, TypeLong, 1, value);
        else Entry(tag, TypeShort, 1, value);
    }

private:
    TByteWriter fields_{"TIFF", Bytes};
};

// What differs between the layouts' IFDs; every layout writes its entries in tag order.
struct TIfdLayout {
    std::int64_t BitsCount;  // 1, or 3 with the value pointing at three SHORTs
    std::int64_t BitsValue;
    std::int64_t Photometric;
    std::int64_t SamplesPerPixel;
    std::int64_t Pixels;  // offset of the first row
    std::int64_t StripBytes;
    std::int64_t XResolution;  // offsets of the two rationals and the software name
    std::int64_t YResolution;
    std::int64_t Software;
    bool PlanarConfiguration;
    std::int64_t ColorMapCount;  // 0 without a colour map
    std::int64_t ColorMap;       // its offset
    bool UnassociatedAlpha = false;  // a fourth sample of straight alpha
    std::int64_t ProfileBytes = 0;   // 0 without an ICC profile
    std::int64_t Profile = 0;        // its offset
};

void WriteIfd(TTiffBuffer& out, std::int64_t width, std::int64_t height, const TIfdLayout& layout) {
    out.U16(14 + (layout.PlanarConfiguration ? 1 : 0) + (layout.ColorMapCount ? 1 : 0) + (layout.UnassociatedAlpha ? 1 : 0) +
            (layout.ProfileBytes ? 1 : 0));
    out.Entry(254, TypeLong, 1, 0);
    out.SizeEntry(256, width);
    out.SizeEntry(257, height);
    out.Entry(258, TypeShort, layout.BitsCount, layout.BitsValue);
    out.Entry(259, TypeShort, 1, 1);
    out.Entry(262, TypeShort, 1, layout.Photometric);
    out.Entry(273, TypeLong, 1, layout.Pixels);
    out.Entry(277, TypeShort, 1, layout.SamplesPerPixel);
    out.Entry(278, TypeLong, 1, height);
    out.Entry(279, TypeLong, 1, layout.StripBytes);
    out.Entry(282, TypeRational, 1, layout.XResolution);
    out.Entry(283, TypeRational, 1, layout.YResolution);
    if (layout.PlanarConfiguration) out.Entry(284, TypeShort, 1, 1);
    out.Entry(296, TypeShort, 1, 2);
    out.Entry(305, TypeAscii, sizeof Software, layout.Software);
    if (layout.ColorMapCount) out.Entry(320, TypeShort, layout.ColorMapCount, layout.ColorMap);
    if (layout.UnassociatedAlpha) out.Entry(338, TypeShort, 1, 2);
    if (layout.ProfileBytes) out.Entry(34675, TypeUndefined, layout.ProfileBytes, layout.Profile);
}

bool IsBlack(const TRGBQuad& c) { return c.Red == 0 && c.Green == 0 && c.Blue == 0; }
bool IsWhite(const TRGBQuad& c) { return c.Red == 255 && c.Green == 255 && c.Blue == 255; }

}  // namespace

void WriteTiffStream(TStream& stream, const TBitmap& bitmap, std::span<const std::uint8_t> iccProfile) {
    if (bitmap.Empty()) return;
    TBitmap converted;
    const TBitmap* source = &bitmap;
    const TPixelFormat format = bitmap.PixelFormat();
    const bool alpha = bitmap.HasAlpha();
    if (!alpha && format != TPixelFormat::pf1bit && format != TPixelFormat::pf4bit && format != TPixelFormat::pf8bit &&
        format != TPixelFormat::pf24bit) {
        converted = bitmap;
        converted.SetPixelFormat(TPixelFormat::pf24bit);
        source = &converted;
    }
    const int bits = BitsPerPixel(source->PixelFormat());
    const auto width = static_cast<std::uint32_t>(source->Width());
    const auto height = static_cast<std::uint32_t>(source->Height());
    TTiffBuffer out;
    out.Put("II", 2);
    out.U16(42);
    out.U32(8);

    auto writeRows = [&](std::size_t bytesPerRow, bool rgb) {
        std::vector<std::uint8_t> row(bytesPerRow);
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* in = source->ScanLine(static_cast<int>(y));
            if (rgb && alpha) {
                for (std::uint32_t x = 0; x < width; ++x) {
                    row[4 * x] = in[4 * x + 2];
                    row[4 * x + 1] = in[4 * x + 1];
                    row[4 * x + 2] = in[4 * x];
                    row[4 * x + 3] = in[4 * x + 3];
                }
                out.Put(row.data(), bytesPerRow);
            } else if (rgb) {
                for (std::uint32_t x = 0; x < width; ++x) {
                    row[3 * x] = in[3 * x + 2];
                    row[3 * x + 1] = in[3 * x + 1];
                    row[3 * x + 2] = in[3 * x];
                }
                out.Put(row.data(), bytesPerRow);
            } else {
                out.Put(in, bytesPerRow);
            }
        }
    };

    TIfdLayout layout{};
    auto putResolutionsAndSoftware = [&] {
        out.Align();
        layout.XResolution = out.Offset();
        out.Put(Resolution, 8);
        layout.YResolution = out.Offset();
        out.Put(Resolution, 8);
        layout.Software = out.Offset();
        out.Put(Software, sizeof Software);
    };
    // The colour map: red, then green, then blue entries, 0..255 scaled to 0..65535.
    auto putColorMap = [&](std::size_t entries) {
        out.Align();
        layout.ColorMap = out.Offset();
        const TPalette& palette = source->Palette();
        for (int channel = 0; channel < 3; ++channel) {
            for (std::size_t i = 0; i < entries; ++i) {
                const TRGBQuad e = i < palette.size() ? palette[i] : TRGBQuad{};
                const std::uint8_t c = channel == 0 ? e.Red : channel == 1 ? e.Green : e.Blue;
                out.U16(static_cast<std::uint32_t>(c) * 257);
            }
        }
        layout.ColorMapCount = static_cast<std::int64_t>(3 * entries);
    };
    if (bits == 1) {
        const std::size_t bytesPerRow = (width + 7) / 8;
        layout.Pixels = out.Offset();
        writeRows(bytesPerRow, false);
        putResolutionsAndSoftware();
        layout.BitsCount = layout.BitsValue = 1;
        layout.SamplesPerPixel = 1;
        layout.StripBytes = static_cast<std::int64_t>(bytesPerRow) * height;
        // Black and white as min-is-black, white and black as min-is-white; any other
        // pair of colours keeps its look as a palette picture.
        const TPalette& palette = source->Palette();
        const TRGBQuad first = palette.size() > 0 ? palette[0] : TRGBQuad{};
        const TRGBQuad second = palette.size() > 1 ? palette[1] : TRGBQuad{};
        if (IsBlack(first) && IsWhite(second)) {
            layout.Photometric = 1;
        } else if (IsWhite(first) && IsBlack(second)) {
            layout.Photometric = 0;
        } else {
            layout.Photometric = 3;
            putColorMap(2);
        }
    } else if (bits == 4 || bits == 8) {
        const std::size_t bytesPerRow = bits == 4 ? (width + 1) / 2 : width;
        putColorMap(std::size_t{1} << bits);
        putResolutionsAndSoftware();
        layout.Pixels = out.Offset();
        writeRows(bytesPerRow, false);
        layout.BitsCount = 1;
        layout.BitsValue = bits;
        layout.Photometric = 3;
        layout.SamplesPerPixel = 1;
        layout.StripBytes = static_cast<std::int64_t>(bytesPerRow) * height;
    } else {
        // Fixed places: resolutions at 8 and 16, bits per sample at 24, then the software
        // name and the rows (at 30 and 42 for three samples, 32 and 44 with alpha).
        const std::int64_t samples = alpha ? 4 : 3;
        out.Put(Resolution, 8);
        out.Put(Resolution, 8);
        out.Put(alpha ? BitsPerSample8888 : BitsPerSample888, static_cast<std::size_t>(2 * samples));
        const std::int64_t software = out.Offset();
        out.Put(Software, sizeof Software);
        out.Align();
        const std::int64_t rows = out.Offset();
        writeRows(static_cast<std::size_t>(width * samples), true);
        layout = {samples, 24, 2, samples, rows, std::int64_t{width} * height * samples, 8, 16, software, true, 0, 0, alpha};
        if (iccProfile.size() >= SmallestProfile) {
            out.Align();
            layout.Profile = out.Offset();
            layout.ProfileBytes = static_cast<std::int64_t>(iccProfile.size());
            out.Put(iccProfile.data(), iccProfile.size());
        }
    }
    out.Align();
    const std::int64_t ifd = out.Offset();
    WriteIfd(out, width, height, layout);
    out.U32(0);
    out.U32At(4, ifd, "IFD offset");
    stream.WriteBuffer(out.Bytes);
}

void WriteTiffFile(const std::string& path, const TBitmap& bitmap) {
    WriteFileReplacing(path, [&](TStream& stream) { WriteTiffStream(stream, bitmap); });
}

}  // namespace pictorand
