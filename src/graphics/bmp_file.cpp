#include "graphics/bmp_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "graphics/byte_reader.h"
#include "graphics/byte_writer.h"
#include "graphics/exceptions.h"
#include "graphics/pixel_access.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;
// A run-length file may describe at most this many pixels per byte of its data, which
// keeps a tiny file from asking for a huge raster.
constexpr std::int64_t MaxRlePixelsPerByte = 1 << 16;

using TBmpReader = TByteReader<EInvalidGraphic>;

[[noreturn]] void Invalid() { throw EInvalidGraphic(std::string(runtime_texts::InvalidBitmap)); }

struct TBmpHeader {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative for top-down rows
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t sizeImage = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    bool hasMasks = false;
    bool coreHeader = false;  // OS/2 1.x: 16-bit sizes, 3-byte palette entries
    bool os2Header = false;   // OS/2 2.x: different compression codes
};

TBmpHeader ReadHeader(TBmpReader& in) {
    TBmpHeader h;
    h.headerSize = in.ReadU32LE();
    const std::size_t headerStart = FileHeaderSize;
    if (h.headerSize == 12) {
        h.coreHeader = true;
        h.width = in.ReadU16LE();
        h.height = in.ReadS16LE();
        h.planes = in.ReadU16LE();
        h.bitCount = in.ReadU16LE();
        return h;
    }
    const bool known = h.headerSize == 40 || h.headerSize == 52 || h.headerSize == 56 || h.headerSize == 108 ||
                       h.headerSize == 124 || (h.headerSize >= 16 && h.headerSize <= 64);
    if (!known) Invalid();
    h.os2Header = h.headerSize != 40 && h.headerSize != 52 && h.headerSize != 56;
    if (h.headerSize == 108 || h.headerSize == 124) h.os2Header = false;
    const std::size_t end = headerStart + h.headerSize;
    h.width = in.ReadS32LE();
    h.height = in.ReadS32LE();
    h.planes = in.ReadU16LE();
    h.bitCount = in.ReadU16LE();
    if (in.Position() + 4 <= end) h.compression = in.ReadU32LE();
    if (in.Position() + 4 <= end) h.sizeImage = in.ReadU32LE();
    if (in.Position() + 8 <= end) in.Skip(8);  // resolution
    if (in.Position() + 4 <= end) h.colorsUsed = in.ReadU32LE();
    if (h.os2Header && h.compression >= 3) Invalid();  // OS/2 Huffman and RLE24 are not supported
    if (!h.os2Header && h.headerSize >= 52) {
        in.Seek(headerStart + 40);
        h.masks[0] = in.ReadU32LE();
        h.masks[1] = in.ReadU32LE();
        h.masks[2] = in.ReadU32LE();
        if (h.headerSize >= 56) h.masks[3] = in.ReadU32LE();
        h.hasMasks = true;
    }
    in.Seek(end);
    if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
        if (h.headerSize == 40) {
            h.masks[0] = in.ReadU32LE();
            h.masks[1] = in.ReadU32LE();
            h.masks[2] = in.ReadU32LE();
            if (h.compression == BI_ALPHABITFIELDS) h.masks[3] = in.ReadU32LE();
        }
        h.hasMasks = true;
    }
    return h;
}

// Scales the bits of one mask out of a pixel value to 0..255.
struct TMaskChannel {
    int shift = 0;
    std::uint64_t maximum = 0;

    explicit TMaskChannel(std::uint32_t mask) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        maximum = (std::uint64_t{mask} >> shift);
    }
    std::uint8_t Extract(std::uint32_t value, std::uint32_t mask) const {
        if (maximum == 0) return 0;
        const std::uint64_t v = (value & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + maximum / 2) / maximum);
    }
};

bool HasAlphaMask(const TBmpHeader& h) {
    return (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) && h.masks[3] != 0 &&
           (h.bitCount == 16 || h.bitCount == 32);
}

TPixelFormat FormatFor(const TBmpHeader& h) {
    switch (h.bitCount) {
        case 1: return TPixelFormat::pf1bit;
        case 2:
        case 4: return TPixelFormat::pf4bit;
        case 8: return TPixelFormat::pf8bit;
        case 16:
            if (!h.hasMasks) return TPixelFormat::pf15bit;
            if (h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x001F) return TPixelFormat::pf15bit;
            if (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x001F) return TPixelFormat::pf16bit;
            return TPixelFormat::pf24bit;
        case 24: return TPixelFormat::pf24bit;
        case 32:
            if (!h.hasMasks || (h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF))
                return TPixelFormat::pf32bit;
            return TPixelFormat::pf24bit;
        default: Invalid();
    }
}

void DecodeRle(std::span<const std::uint8_t> data, TBitmap& bitmap, bool fourBit) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const int bits = fourBit ? 4 : 8;
    TBmpReader in(data, std::string(runtime_texts::InvalidBitmap));
    int x = 0;
    int row = 0;  // counted from the bottom
    auto put = [&](std::uint32_t index) {
        if (x < width && row < height) WriteIndexPixel(bitmap.ScanLine(height - 1 - row), x, bits, index);
        ++x;
    };
    while (in.Remaining() >= 2 && row < height) {
        const std::uint8_t count = in.ReadU8();
        const std::uint8_t value = in.ReadU8();
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i) put(fourBit ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++row;
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // delta
            x += in.ReadU8();
            row += in.ReadU8();
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = fourBit ? (value + 1u) / 2 : value;
            auto run = in.ReadBytes(std::min(bytes, in.Remaining()));
            for (int i = 0; i < value; ++i) {
                const std::size_t at = fourBit ? static_cast<std::size_t>(i / 2) : static_cast<std::size_t>(i);
                if (at >= run.size()) break;
                put(fourBit ? ((i & 1) ? run[at] & 0x0F : run[at] >> 4) : run[at]);
            }
            if ((bytes & 1) && in.Remaining() > 0) in.Skip(1);
        }
    }
}

// Bit fields with an alpha mask into blue, green, red and alpha; answers whether any
// pixel's alpha is above zero.
bool DecodeAlphaRows(std::span<const std::uint8_t> data, const TBmpHeader& h, TBitmap& bitmap, bool topDown) {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const std::size_t fileStride = BytesPerRow(static_cast<std::size_t>(width), h.bitCount);
    const TMaskChannel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
    bool anyAlpha = false;
    for (int fileRow = 0; fileRow < height; ++fileRow) {
        const std::uint8_t* in = data.data() + static_cast<std::size_t>(fileRow) * fileStride;
        std::uint8_t* out = bitmap.ScanLine(topDown ? fileRow : height - 1 - fileRow);
        for (int x = 0; x < width; ++x, out += 4) {
            const std::uint32_t v = ReadRawPixel(in, x, h.bitCount);
            out[0] = blue.Extract(v, h.masks[2]);
            out[1] = green.Extract(v, h.masks[1]);
            out[2] = red.Extract(v, h.masks[0]);
            out[3] = alpha.Extract(v, h.masks[3]);
            anyAlpha = anyAlpha || out[3] != 0;
        }
    }
    return anyAlpha;
}

// Rows as stored, into the bitmap or, through bands, into the band the bitmap then holds.
void DecodeRows(std::span<const std::uint8_t> data, const TBmpHeader& h, TBitmap& bitmap, bool topDown, int height, TRowBands* bands) {
    const int width = bitmap.Width();
    const std::size_t fileStride = BytesPerRow(static_cast<std::size_t>(width), h.bitCount);
    const TPixelFormat format = bitmap.PixelFormat();
    const bool viaMasks = (h.bitCount == 16 || h.bitCount == 32) && format == TPixelFormat::pf24bit;
    const std::uint32_t masks[3] = {h.masks[0], h.masks[1], h.masks[2]};
    const TMaskChannel red(masks[0]), green(masks[1]), blue(masks[2]);
    // Rows go to bands from the top, read from where they are stored; into the bitmap in
    // their stored order.
    for (int i = 0; i < height; ++i) {
        const int fileRow = bands && !topDown ? height - 1 - i : i;
        const std::uint8_t* in = data.data() + static_cast<std::size_t>(fileRow) * fileStride;
        std::uint8_t* out = bands ? bands->Row(i) : bitmap.ScanLine(topDown ? i : height - 1 - i);
        if (h.bitCount == 2) {
            for (int x = 0; x < width; ++x) WriteIndexPixel(out, x, 4, in[x >> 2] >> (6 - 2 * (x & 3)) & 3);
        } else if (viaMasks) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t v = ReadRawPixel(in, x, h.bitCount);
                out[3 * x] = blue.Extract(v, masks[2]);
                out[3 * x + 1] = green.Extract(v, masks[1]);
                out[3 * x + 2] = red.Extract(v, masks[0]);
            }
        } else {
            std::memcpy(out, in, std::min(fileStride, bitmap.RowStride()));
        }
        if (bands) bands->Done(i);
    }
}

}  // namespace

namespace {

// A file's header with the checks every reading of it makes.
struct TBmpLayout {
    TBmpHeader Header;
    std::uint32_t OffBits = 0;
    std::int64_t Width = 0, Height = 0;
    bool TopDown = false, Rle = false;
};

TBmpLayout ReadLayout(TBmpReader& in) {
    if (in.ReadU8() != 'B' || in.ReadU8() != 'M') Invalid();
    in.Skip(8);
    TBmpLayout layout;
    layout.OffBits = in.ReadU32LE();
    const TBmpHeader h = layout.Header = ReadHeader(in);

    if (h.width <= 0 || h.height == 0 || h.planes != 1) Invalid();
    const bool rle = layout.Rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    if (h.compression != BI_RGB && !rle && h.compression != BI_BITFIELDS && h.compression != BI_ALPHABITFIELDS) Invalid();
    if ((h.compression == BI_RLE8 && h.bitCount != 8) || (h.compression == BI_RLE4 && h.bitCount != 4)) Invalid();
    if (h.hasMasks && h.bitCount != 16 && h.bitCount != 32) {
        if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) Invalid();
    }
    layout.TopDown = h.height < 0;
    if (layout.TopDown && rle) Invalid();
    layout.Width = h.width;
    layout.Height = layout.TopDown ? -h.height : h.height;
    if (layout.Width > MaxRasterSide || layout.Height > MaxRasterSide) Invalid();
    return layout;
}

}  // namespace

TBmpSize ProbeBmp(std::span<const std::uint8_t> file) {
    TBmpReader in(file, std::string(runtime_texts::InvalidBitmap));
    const TBmpLayout layout = ReadLayout(in);
    FormatFor(layout.Header);
    return {static_cast<int>(layout.Width), static_cast<int>(layout.Height), layout.Header.bitCount, HasAlphaMask(layout.Header)};
}

TBitmap DecodeBmp(std::span<const std::uint8_t> file, bool keepAlpha, const TRowSink* rowsTo) {
    TBmpReader in(file, std::string(runtime_texts::InvalidBitmap));
    const TBmpLayout layout = ReadLayout(in);
    const TBmpHeader& h = layout.Header;
    const std::uint32_t offBits = layout.OffBits;
    const bool rle = layout.Rle, topDown = layout.TopDown;
    const std::int64_t width = layout.Width, height = layout.Height;
    const bool alpha = keepAlpha && HasAlphaMask(h);
    const TPixelFormat format = alpha ? TPixelFormat::pf32bit : FormatFor(h);

    // Colour table: after the headers and masks, before the pixels.
    TPalette palette;
    if (h.bitCount <= 8) {
        const std::size_t entrySize = h.coreHeader ? 3 : 4;
        std::size_t count = std::size_t{1} << h.bitCount;
        if (h.colorsUsed != 0 && h.colorsUsed < count) count = h.colorsUsed;
        const std::size_t tableEnd = offBits >= in.Position() ? offBits : file.size();
        count = std::min(count, (std::min<std::size_t>(tableEnd, file.size()) - in.Position()) / entrySize);
        for (std::size_t i = 0; i < count; ++i) {
            auto e = in.ReadBytes(entrySize);
            palette.push_back({e[0], e[1], e[2], 0});
        }
    }

    const std::size_t dataStart = offBits != 0 ? offBits : in.Position();
    if (dataStart > file.size()) Invalid();
    std::span<const std::uint8_t> data = file.subspan(dataStart);

    if (rle) {
        if (h.sizeImage != 0 && h.sizeImage < data.size()) data = data.first(h.sizeImage);
        const auto pixels = CheckedProduct(width, height, MaxRasterBytes);
        if (!pixels || *pixels > (static_cast<std::int64_t>(data.size()) + 1) * MaxRlePixelsPerByte) Invalid();
    } else {
        const auto stride = BytesPerRow(static_cast<std::size_t>(width), h.bitCount);
        const auto needed = CheckedProduct(static_cast<std::int64_t>(stride), height, MaxRasterBytes);
        if (!needed || *needed > static_cast<std::int64_t>(data.size())) Invalid();
    }

    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    // Rows stored as they are, without alpha, may go to the sink a band at a time.
    const bool streamed = rowsTo && !rle && !alpha;
    bitmap.SetSize(static_cast<int>(width), static_cast<int>(streamed ? TRowBands::RowsFor(static_cast<int>(height)) : height));
    if (IsIndexed(format)) bitmap.SetPalette(std::move(palette));
    if (streamed) {
        TRowBands bands(bitmap, *rowsTo, static_cast<int>(height), true);
        DecodeRows(data, h, bitmap, topDown, static_cast<int>(height), &bands);
        return TBitmap();
    }
    if (rle) {
        DecodeRle(data, bitmap, h.compression == BI_RLE4);
    } else if (alpha) {
        bitmap.SetHasAlpha(DecodeAlphaRows(data, h, bitmap, topDown));
    } else {
        DecodeRows(data, h, bitmap, topDown, static_cast<int>(height), nullptr);
    }
    return bitmap;
}

TBitmap ReadBmpStream(TStream& stream) {
    const TByteBuffer bytes = stream.ReadRemaining(static_cast<std::size_t>(MaxRasterBytes));
    return DecodeBmp(bytes);
}

void WriteBmpStream(const TBitmap& bitmap, TStream& stream) {
    TPixelFormat format = bitmap.PixelFormat();
    const TBitmap* source = &bitmap;
    TBitmap converted;
    if (format == TPixelFormat::pfDevice || format == TPixelFormat::pfCustom) {
        converted = bitmap;
        converted.SetPixelFormat(TPixelFormat::pf32bit);
        source = &converted;
        format = TPixelFormat::pf32bit;
    }
    const int bits = BitsPerPixel(format);
    TPalette palette;
    if (IsIndexed(format)) {
        palette = source->Palette().empty() ? DefaultPaletteFor(bits) : source->Palette();
        palette.resize(std::min<std::size_t>(palette.size(), std::size_t{1} << bits));
    }
    const bool bitFields = format == TPixelFormat::pf16bit;
    const std::int64_t tableBytes = static_cast<std::int64_t>(palette.size() * 4 + (bitFields ? 12 : 0));
    const std::int64_t imageBytes = static_cast<std::int64_t>(source->RowStride()) * source->Height();
    const std::int64_t offBits = FileHeaderSize + 40 + tableBytes;

    std::vector<std::uint8_t> header{'B', 'M'};
    TByteWriter fields("BMP", header);
    fields.U32LE(offBits + imageBytes, "file size").U32LE(0, "reserved").U32LE(offBits, "pixel offset");
    fields.U32LE(40, "header size").I32LE(source->Width(), "width").I32LE(source->Height(), "height");
    fields.U16LE(1, "planes").U16LE(bits, "bits per pixel").U32LE(bitFields ? BI_BITFIELDS : BI_RGB, "compression");
    fields.U32LE(imageBytes, "image size").U32LE(0, "horizontal resolution").U32LE(0, "vertical resolution");
    fields.U32LE(static_cast<std::int64_t>(palette.size()), "colour count").U32LE(0, "important colours");
    if (bitFields) fields.U32LE(0xF800, "red mask").U32LE(0x07E0, "green mask").U32LE(0x001F, "blue mask");
    for (const TRGBQuad& e : palette) {
        header.push_back(e.Blue);
        header.push_back(e.Green);
        header.push_back(e.Red);
        header.push_back(0);
    }
    stream.WriteBuffer(header);
    stream.WriteBuffer(source->Bits());
}

}  // namespace pictorand
