#include "formats/tga/targa_graphic.h"

#include <algorithm>
#include <cstring>

#include <array>
#include <optional>
#include <vector>

#include "graphics/byte_reader.h"
#include "graphics/byte_writer.h"
#include "graphics/raster_limits.h"
#include "formats/common/decoders.h"
#include "graphics/row_bands.h"

namespace pictorand {

namespace {

constexpr std::size_t HeaderSize = 18;

struct TTargaHeader {
    std::uint8_t IdLength, ColorMapType, ImageType;
    std::uint16_t FirstMapEntry, MapLength;
    std::uint8_t MapEntrySize;
    std::uint16_t Width, Height;
    std::uint8_t PixelSize, Descriptor;
};

TTargaHeader ParseHeader(const std::array<std::uint8_t, HeaderSize>& b) {
    return {b[0], b[1], b[2], static_cast<std::uint16_t>(b[3] | b[4] << 8), static_cast<std::uint16_t>(b[5] | b[6] << 8), b[7],
            static_cast<std::uint16_t>(b[12] | b[13] << 8), static_cast<std::uint16_t>(b[14] | b[15] << 8), b[16], b[17]};
}

bool PlausibleHeader(const TTargaHeader& h) {
    const bool type = h.ImageType <= 3 || (h.ImageType >= 9 && h.ImageType <= 11);
    const bool mapEntry = h.MapEntrySize == 15 || h.MapEntrySize == 16 || h.MapEntrySize == 24 || h.MapEntrySize == 32;
    const bool pixel = h.PixelSize == 8 || h.PixelSize == 15 || h.PixelSize == 16 || h.PixelSize == 24 || h.PixelSize == 32;
    return type && h.ColorMapType <= 1 && mapEntry && pixel;
}

}  // namespace

bool TTargaGraphic::CanLoadStream(TStream& stream) {
    const std::int64_t position = stream.Position();
    std::array<std::uint8_t, HeaderSize> bytes{};
    bool result = stream.Size() - position > static_cast<std::int64_t>(HeaderSize) &&
                  stream.Read(bytes.data(), HeaderSize) == HeaderSize && PlausibleHeader(ParseHeader(bytes));
    stream.SetPosition(position);
    return result;
}

bool TTargaGraphic::ReadImageProperties(TStream& stream, int imageIndex) {
    TGraphicExGraphic::ReadImageProperties(stream, imageIndex);
    std::array<std::uint8_t, HeaderSize> bytes{};
    stream.ReadBuffer(bytes.data(), HeaderSize);
    const TTargaHeader h = ParseHeader(bytes);
    TImageProperties& p = properties_;
    p.Width = h.Width;
    p.Height = h.Height;
    p.BitsPerSample = 8;
    switch (h.PixelSize) {
        case 8:
            p.ColorScheme = (h.ImageType == 3 || h.ImageType == 11) ? TColorScheme::Gray : TColorScheme::Indexed;
            p.SamplesPerPixel = 1;
            break;
        case 16:
            if (h.ImageType == 3 || h.ImageType == 11) {
                // Grey with alpha: the grey byte is kept and the alpha byte dropped, unless
                // the alpha is wanted.
                p.ColorScheme = TColorScheme::GrayAlpha;
                p.SamplesPerPixel = 1;
                p.HasAlpha = true;
                break;
            }
            [[fallthrough]];
        case 15:
            p.ColorScheme = TColorScheme::Rgb;
            p.BitsPerSample = 5;
            p.SamplesPerPixel = 3;
            break;
        case 24:
            p.ColorScheme = TColorScheme::Rgb;
            p.SamplesPerPixel = 3;
            break;
        case 32:
            p.ColorScheme = TColorScheme::Rgba;
            p.SamplesPerPixel = 4;
            break;
        default: p.ColorScheme = TColorScheme::Unknown; p.SamplesPerPixel = 0;
    }
    p.BitsPerPixel = static_cast<std::uint8_t>(p.SamplesPerPixel * p.BitsPerSample);
    p.Compression = h.ImageType >= 9 && h.ImageType <= 11 ? TCompressionKind::Rle : TCompressionKind::None;
    return true;
}

void TTargaGraphic::LoadFromStream(TStream& stream) {
    BeginLoad(stream);
    ReadImageProperties(stream, 0);
    stream.SetPosition(basePosition_);
    Progress(TProgressStage::Starting, 0, reader_messages::Preparing);
    std::array<std::uint8_t, HeaderSize> bytes{};
    stream.ReadBuffer(bytes.data(), HeaderSize);
    const TTargaHeader h = ParseHeader(bytes);
    const bool topDown = (h.Descriptor & 0x20) != 0;
    stream.Seek(h.IdLength, TSeekOrigin::Current);

    const TImageProperties& p = properties_;
    colorManager_.SetSourceSamplesPerPixel(p.SamplesPerPixel);
    colorManager_.SetTargetSamplesPerPixel(p.SamplesPerPixel);
    colorManager_.SetSourceColorScheme(p.ColorScheme);
    colorManager_.SourceOptions = 0;
    colorManager_.SetTargetColorScheme(TColorScheme::Bgr);
    colorManager_.SetSourceBitsPerSample(p.BitsPerSample);
    colorManager_.SetTargetBitsPerSample(p.BitsPerSample);
    const bool greyAlpha = p.ColorScheme == TColorScheme::GrayAlpha;
    // Grey with its alpha handed over becomes 32-bit grey colours with their alpha.
    const bool keptAlpha = greyAlpha && KeepAlpha;
    if (greyAlpha) colorManager_.SetTargetColorScheme(keptAlpha ? TColorScheme::Bgra : TColorScheme::Gray);
    if (keptAlpha) colorManager_.SetTargetSamplesPerPixel(4);
    SetPixelFormat(keptAlpha ? TPixelFormat::pf32bit : colorManager_.PixelFormatForTarget());
    if (greyAlpha) colorManager_.CheckLayout(PixelFormat());
    // 32-bit pixels with eight attribute bits carry alpha in their fourth byte.
    if (keptAlpha) MarkConvertedAlpha();
    else SetHasAlpha(PixelFormat() == TPixelFormat::pf32bit && (h.Descriptor & 0x0F) == 8);

    if (h.ColorMapType == 1 || h.ImageType == 3 || h.ImageType == 11) {
        if (h.ImageType == 3 || h.ImageType == 11) {
            if (!keptAlpha) SetPalette(colorManager_.CreateGrayscalePalette(false));
            if (h.ColorMapType == 1) stream.Seek(static_cast<std::int64_t>(h.MapLength) * ((h.MapEntrySize + 7) / 8), TSeekOrigin::Current);
        } else {
            std::vector<std::uint8_t> map(static_cast<std::size_t>(h.MapLength) * ((h.MapEntrySize + 7) / 8));
            stream.ReadBuffer(map.data(), map.size());
            const std::uint8_t* sources[1] = {map.data()};
            if (h.MapEntrySize == 24) {
                SetPalette(colorManager_.CreateColorPalette(sources, TPaletteLayout::Interleaved8, h.MapLength, true));
            } else if (h.MapEntrySize == 32) {
                SetPalette(colorManager_.CreateColorPalette(sources, TPaletteLayout::Interleaved8Quad, h.MapLength, true));
            } else {
                // 15- and 16-bit words; a map of any other entry size gives only the words it holds.
                TPalette palette;
                for (std::size_t i = 0; i < h.MapLength && i < 256 && 2 * i + 1 < map.size(); ++i) {
                    const int word = map[2 * i] | map[2 * i + 1] << 8;
                    // Five bits widened by repeating their top bits, as the 16-bit pixels are:
                    // 31 is 255, not 248.
                    const auto widen = [](int five) { return static_cast<std::uint8_t>(five << 3 | five >> 2); };
                    palette.push_back({widen(word & 0x1F), widen(word >> 5 & 0x1F), widen(word >> 10 & 0x1F), 0});
                }
                SetPalette(std::move(palette));
            }
            // Pixel values count from the map's first entry index.
            if (h.FirstMapEntry > 0) {
                TPalette shifted(std::min<std::size_t>(h.FirstMapEntry, 256), TRGBQuad{});
                const TPalette& map = Palette();
                shifted.insert(shifted.end(), map.begin(), map.end());
                shifted.resize(std::min<std::size_t>(shifted.size(), 256));
                SetPalette(std::move(shifted));
            }
        }
    }
    const std::size_t rowSize = static_cast<std::size_t>(h.Width) * TargaBytesPerPixel(h.PixelSize);
    // Uncompressed rows must all be there before the raster is made.
    if (h.ImageType >= 1 && h.ImageType <= 3 &&
        static_cast<std::int64_t>(rowSize) * h.Height > stream.Size() - stream.Position()) {
        throw EReadError(std::string(runtime_texts::ReadError));
    }
    CheckDataCanFill(static_cast<std::int64_t>(rowSize) * h.Height, stream.Size() - stream.Position(), expansion::RunLength, "TGA");
    const bool rle = h.ImageType >= 9 && h.ImageType <= 11;
    const bool raw = h.ImageType >= 1 && h.ImageType <= 3;
    // 16-bit colour pixels with one attribute bit carry it as alpha, when alpha is wanted
    // and some pixel sets it (files that leave it clear everywhere are opaque).
    const bool attributeAlpha = KeepAlpha && h.PixelSize == 16 && p.ColorScheme == TColorScheme::Rgb && (h.Descriptor & 0x0F) == 1;
    // A picture without alpha whose rows all come from the data may go to the row sink a
    // band at a time.
    streamed_ = RowsTo && (rle || raw) && rowSize > 0 && !HasAlpha() && !Transparent() && !attributeAlpha;
    // Uncompressed rows stored from the bottom are read from where they lie, so that the
    // bands go from the top.
    const bool seekRows = streamed_ && raw && !topDown;
    const std::int64_t rowsStart = stream.Position();
    std::optional<TRowBands> bands;
    if (streamed_) bands.emplace(*this, *RowsTo, h.Height, topDown || seekRows);
    SetSize(h.Width, streamed_ ? TRowBands::RowsFor(h.Height) : h.Height);
    progressRect_ = {0, 0, Width(), 1};
    Progress(TProgressStage::Ending, 0, {});
    Progress(TProgressStage::Starting, 0, reader_messages::Transfering);
    // Run-length rows are unpacked one at a time from the packed data, never the whole
    // picture at once; a packet running on into the next row is carried by the decoder.
    const TStreamBytes packed = rle ? TStreamBytes(stream, static_cast<std::size_t>(MaxRasterBytes)) : TStreamBytes();
    const std::uint8_t* packedAt = packed.data();
    TTargaRLEDecoder packets(h.PixelSize);
    const bool rightToLeft = (h.Descriptor & 0x10) != 0;
    const std::size_t pixelBytes = TargaBytesPerPixel(h.PixelSize);
    std::vector<std::uint8_t> greyRow(greyAlpha ? rowSize : 0);
    // A picture of no width has no pixels to read.
    for (int i = 0; i < h.Height && (rle || raw) && rowSize > 0; ++i) {
        std::uint8_t* bitmapRow = bands ? bands->Row(i) : ScanLine(topDown ? i : Height() - 1 - i);
        std::uint8_t* row = greyAlpha ? greyRow.data() : bitmapRow;
        if (raw) {
            if (seekRows) stream.SetPosition(rowsStart + static_cast<std::int64_t>(h.Height - 1 - i) * static_cast<std::int64_t>(rowSize));
            stream.ReadBuffer(row, rowSize);
        } else {
            std::uint8_t* end = row;
            packets.Decode(packedAt, end, static_cast<std::size_t>(packed.data() + packed.size() - packedAt), h.Width);
            // Pixels the data never reaches are 0.
            std::memset(end, 0, static_cast<std::size_t>(row + rowSize - end));
        }
        // Pixels stored right to left are turned round to the raster's order.
        if (rightToLeft && h.Width > 1) {
            for (std::size_t a = 0, b = static_cast<std::size_t>(h.Width) - 1; a < b; ++a, --b) {
                std::swap_ranges(row + a * pixelBytes, row + (a + 1) * pixelBytes, row + b * pixelBytes);
            }
        }
        if (greyAlpha) colorManager_.ConvertRow(greyRow.data(), bitmapRow, h.Width, 0xFF);
        if (bands) bands->Done(i);
        else ReportRow(i);
    }
    if (attributeAlpha) AttributeBitToAlpha();
    Progress(TProgressStage::Ending, 100, {});
}

void TTargaGraphic::AttributeBitToAlpha() {
    const int width = Width(), height = Height();
    std::vector<std::uint8_t> covered(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    bool any = false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool set = (row[2 * x + 1] & 0x80) != 0;
            covered[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = set ? 255 : 0;
            any = any || set;
        }
    }
    if (!any) return;
    SetPixelFormat(TPixelFormat::pf32bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = ScanLine(y);
        for (int x = 0; x < width; ++x) row[4 * x + 3] = covered[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    SetHasAlpha(true);
}

void TTargaGraphic::SaveToStream(TStream& stream) {
    Progress(TProgressStage::Starting, 0, reader_messages::Preparing);
    TBitmap image = *this;
    if (image.PixelFormat() == TPixelFormat::pf1bit || image.PixelFormat() == TPixelFormat::pf4bit) image.SetPixelFormat(TPixelFormat::pf8bit);
    std::size_t bytesPerPixel;
    switch (image.PixelFormat()) {
        case TPixelFormat::pf8bit: bytesPerPixel = 1; break;
        case TPixelFormat::pf15bit:
        case TPixelFormat::pf16bit: bytesPerPixel = 2; break;
        case TPixelFormat::pf24bit: bytesPerPixel = 3; break;
        case TPixelFormat::pf32bit: bytesPerPixel = 4; break;
        default: bytesPerPixel = ScreenBitsPerPixel / 8; break;
    }
    if (image.Empty()) return;
    const bool mapped = bytesPerPixel == 1;
    std::vector<std::uint8_t> out(HeaderSize, 0);
    out[1] = mapped ? 1 : 0;
    out[2] = static_cast<std::uint8_t>(Compressed ? (mapped ? 9 : 10) : (mapped ? 1 : 2));
    out[5] = 0x00;
    out[6] = 0x01;  // 256 colour-map entries
    out[7] = 24;
    TByteWriter fields("TGA", out);
    fields.U16LEAt(12, image.Width(), "width");
    fields.U16LEAt(14, image.Height(), "height");
    out[16] = static_cast<std::uint8_t>(bytesPerPixel * 8);
    // Rows lie bottom-up, so row 0 is at the higher address: the file starts at the top.
    out[17] = image.Height() < 2 || image.ScanLine(0) > image.ScanLine(1) ? 0x20 : 0;
    // Eight attribute bits a pixel: the fourth byte is alpha.
    if (image.HasAlpha()) out[17] |= 8;
    if (mapped) {
        const TPalette& palette = image.Palette();
        for (std::size_t i = 0; i < 256; ++i) {
            const TRGBQuad e = i < palette.size() ? palette[i] : TRGBQuad{};
            out.insert(out.end(), {e.Blue, e.Green, e.Red});
        }
    }
    stream.WriteBuffer(out);
    Progress(TProgressStage::Ending, 0, {});
    Progress(TProgressStage::Starting, 0, reader_messages::Transfering);
    const std::size_t rowSize = static_cast<std::size_t>(image.Width()) * bytesPerPixel;
    std::vector<std::uint8_t> packed(2 * rowSize + 2);
    // Device-dependent rasters are 32-bit here, which the encoder handles as such.
    TTargaRLEDecoder encoder(static_cast<int>(bytesPerPixel * 8 == 16 ? 15 : bytesPerPixel * 8));
    for (int y = 0; y < image.Height(); ++y) {
        if (Compressed) {
            const std::size_t n = encoder.Encode(image.ScanLine(y), packed.data(), static_cast<std::size_t>(image.Width()));
            stream.WriteBuffer(packed.data(), n);
        } else {
            stream.WriteBuffer(image.ScanLine(y), rowSize);
        }
        Progress(TProgressStage::Running, y * 100 / image.Height(), {});
    }
    Progress(TProgressStage::Ending, 100, {});
}

}  // namespace pictorand
