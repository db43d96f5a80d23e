#include "formats/pcx/pcx_writer.h"

#include <array>
#include <string>

#include "graphics/byte_writer.h"
#include "graphics/exceptions.h"
#include "graphics/file_stream.h"
#include "graphics/pixel_access.h"

namespace pictorand {

namespace {

constexpr int MaxRun = 63;

struct TLayout {
    std::uint8_t BitsPerPlane;
    std::uint8_t Planes;
};

TLayout LayoutFor(int code) {
    switch (code) {
        case 1: return {1, 1};
        case 2: return {1, 4};
        case 3: return {8, 1};
        default: return {8, 3};
    }
}

// A palette component kept with 6 bits and written back as value x 255 / 63.
std::uint8_t SixBit(std::uint8_t component) { return static_cast<std::uint8_t>((component >> 2) * 255 / 63); }

}  // namespace

std::vector<std::uint8_t> EncodePcxPlane(std::span<const std::uint8_t> plane) {
    std::vector<std::uint8_t> out;
    out.reserve(plane.size() * 2);
    std::size_t at = 0;
    while (at < plane.size()) {
        const std::uint8_t value = plane[at];
        std::size_t run = 1;
        while (at + run < plane.size() && plane[at + run] == value && run < MaxRun) ++run;
        if (run >= 2 || value >= 0xC0) {
            out.push_back(static_cast<std::uint8_t>(0xC0 + run));
            out.push_back(value);
        } else {
            out.push_back(value);
        }
        at += run;
    }
    return out;
}

void WritePcxStream(TStream& stream, const TBitmap& bitmap, int layout) {
    const int width = bitmap.Width(), height = bitmap.Height();
    const TLayout l = LayoutFor(layout);

    std::array<TRGBQuad, 256> palette{};
    for (std::size_t i = 0; i < bitmap.Palette().size() && i < 256; ++i) palette[i] = bitmap.Palette()[i];
    const std::size_t bytesPerLine = l.BitsPerPlane == 1 ? (static_cast<std::size_t>(width) + 7) / 8 : static_cast<std::size_t>(width);

    std::vector<std::uint8_t> header(128, 0);
    TByteWriter fields("PCX", header);
    auto put16 = [&fields](std::size_t at, std::int64_t v, std::string_view field) { fields.U16LEAt(at, v, field); };
    header[0] = 0x0A;
    header[1] = 5;
    header[2] = 1;
    header[3] = l.BitsPerPlane;
    // The last column and row are stored, so 65,536 would still fit; the resolution
    // fields hold the width and height themselves and do not.
    put16(8, width - 1, "last column");
    put16(10, height - 1, "last row");
    put16(12, width, "width");
    put16(14, height, "height");
    for (std::size_t i = 0; i < 16; ++i) {
        header[16 + 3 * i] = SixBit(palette[i].Red);
        header[17 + 3 * i] = SixBit(palette[i].Green);
        header[18 + 3 * i] = SixBit(palette[i].Blue);
    }
    header[65] = l.Planes;
    put16(66, static_cast<std::int64_t>(bytesPerLine), "bytes per line");
    put16(68, 1, "palette kind");
    stream.WriteBuffer(header.data(), header.size());

    const int bits = BitsPerPixel(bitmap.PixelFormat());
    const bool indexed = IsIndexed(bitmap.PixelFormat());
    TBitmap converted;
    const TBitmap* source = &bitmap;
    if (!indexed && bitmap.PixelFormat() != TPixelFormat::pf24bit) {
        converted = bitmap;
        converted.SetPixelFormat(TPixelFormat::pf24bit);
        source = &converted;
    }
    std::vector<std::uint8_t> planes[4];
    for (auto& p : planes) p.assign(bytesPerLine, 0);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = source->ScanLine(y);
        for (auto& p : planes) std::fill(p.begin(), p.end(), 0);
        for (int x = 0; x < width; ++x) {
            const auto i = static_cast<std::size_t>(x);
            std::uint8_t r, g, b;
            std::uint32_t index = 0;
            if (indexed) {
                index = ReadRawPixel(row, x, bits);
                const TRGBQuad& e = palette[index & 255];
                r = static_cast<std::uint8_t>(e.Red & 0xFC);
                g = static_cast<std::uint8_t>(e.Green & 0xFC);
                b = static_cast<std::uint8_t>(e.Blue & 0xFC);
            } else {
                b = row[3 * i];
                g = row[3 * i + 1];
                r = row[3 * i + 2];
                index = NearestPaletteIndex(palette, RGBColor(r, g, b));
            }
            switch (layout) {
                case 1:
                    if (index & 1) planes[0][i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
                    break;
                case 2:
                    for (std::size_t k = 0; k < 4; ++k)
                        if (index >> k & 1) planes[k][i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
                    break;
                case 3: planes[0][i] = static_cast<std::uint8_t>(index); break;
                default:
                    planes[0][i] = r;
                    planes[1][i] = g;
                    planes[2][i] = b;
                    break;
            }
        }
        for (std::size_t k = 0; k < l.Planes; ++k) stream.WriteBuffer(EncodePcxPlane(planes[k]));
    }
    std::vector<std::uint8_t> trailer = {0x0C};
    for (const TRGBQuad& e : palette) trailer.insert(trailer.end(), {SixBit(e.Red), SixBit(e.Green), SixBit(e.Blue)});
    stream.WriteBuffer(trailer);
}

void WritePcxFile(const std::string& path, const TBitmap& bitmap, int layout) {
    WriteFileReplacing(path, [&](TStream& stream) { WritePcxStream(stream, bitmap, layout); });
}

}  // namespace pictorand
