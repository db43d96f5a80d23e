#include "formats/pcx/pcx_graphic.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "graphics/raster_limits.h"
#include "graphics/stream.h"
#include "formats/common/decoders.h"

namespace pictorand {

namespace {

constexpr std::size_t HeaderSize = 128;
constexpr std::size_t PaletteBlockSize = 769;
constexpr std::string_view FormatName = "PCX or SCR";
constexpr std::string_view ShortName = "PCX";

struct TPcxHeader {
    std::uint8_t Manufacturer, Version, Encoding, BitsPerPlane;
    int Width, Height;
    std::uint16_t HorizontalDpi, VerticalDpi;
    std::array<std::uint8_t, 48> Palette;
    std::uint8_t Planes;
    std::uint16_t BytesPerLine, PaletteInfo;
};

TPcxHeader Parse(const std::array<std::uint8_t, HeaderSize>& b) {
    auto u16 = [&](std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); };
    TPcxHeader h{};
    h.Manufacturer = b[0];
    h.Version = b[1];
    h.Encoding = b[2];
    h.BitsPerPlane = b[3];
    h.Width = u16(8) - u16(4) + 1;
    h.Height = u16(10) - u16(6) + 1;
    h.HorizontalDpi = u16(12);
    h.VerticalDpi = u16(14);
    std::copy(b.begin() + 16, b.begin() + 64, h.Palette.begin());
    h.Planes = b[65];
    h.BytesPerLine = u16(66);
    h.PaletteInfo = u16(68);
    return h;
}

}  // namespace

bool TPCXGraphic::CanLoadStream(TStream& stream) {
    const std::int64_t position = stream.Position();
    std::array<std::uint8_t, HeaderSize> b{};
    const bool read = stream.Size() - position > static_cast<std::int64_t>(HeaderSize) && stream.Read(b.data(), HeaderSize) == HeaderSize;
    stream.SetPosition(position);
    return read && (b[0] == 10 || b[0] == 12) && (b[1] == 0 || b[1] == 2 || b[1] == 3 || b[1] == 5) && b[2] <= 1;
}

bool TPCXGraphic::ReadImageProperties(TStream& stream, int imageIndex) {
    TGraphicExGraphic::ReadImageProperties(stream, imageIndex);
    std::array<std::uint8_t, HeaderSize> b{};
    stream.ReadBuffer(b.data(), HeaderSize);
    const TPcxHeader h = Parse(b);
    if (h.Manufacturer != 10 && h.Manufacturer != 205) return false;
    TImageProperties& p = properties_;
    p.Width = static_cast<std::uint32_t>(std::max(h.Width, 0));
    p.Height = static_cast<std::uint32_t>(std::max(h.Height, 0));
    p.SamplesPerPixel = h.Planes;
    p.BitsPerSample = h.BitsPerPlane;
    p.BitsPerPixel = static_cast<std::uint8_t>(h.Planes * h.BitsPerPlane);
    p.ColorScheme = p.BitsPerPixel > 8 ? TColorScheme::Rgb : TColorScheme::Indexed;
    p.Compression = h.Encoding == 1 ? TCompressionKind::Rle : TCompressionKind::None;
    p.XResolution = h.HorizontalDpi;
    p.YResolution = h.VerticalDpi;
    return true;
}

void TPCXGraphic::LoadFromStream(TStream& stream) {
    BeginLoad(stream);
    if (!ReadImageProperties(stream, 0)) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
    stream.SetPosition(basePosition_);
    Progress(TProgressStage::Starting, 0, reader_messages::Preparing);
    std::array<std::uint8_t, HeaderSize> b{};
    stream.ReadBuffer(b.data(), HeaderSize);
    const TPcxHeader h = Parse(b);
    const TImageProperties& p = properties_;
    if (p.Width == 0 || p.Height == 0 || p.Width > MaxRasterSide || p.Height > MaxRasterSide || h.Planes == 0 ||
        h.BitsPerPlane == 0 || h.BitsPerPlane > 16 || h.Planes > 4) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidColorFormat, ShortName));
    }

    TColorManager& cm = colorManager_;
    const bool indexed = p.ColorScheme == TColorScheme::Indexed;
    // Red, green, blue and alpha planes of 8 bits.
    const bool rgbaPlanes = h.Planes == 4 && h.BitsPerPlane == 8;
    cm.SourceOptions = 0;
    cm.TargetOptions = 0;
    cm.SetSourceColorScheme(rgbaPlanes ? TColorScheme::Rgba : p.ColorScheme);
    cm.SetSourceBitsPerSample(h.BitsPerPlane);
    cm.SetSourceSamplesPerPixel(h.Planes);
    cm.SetTargetColorScheme(indexed ? TColorScheme::Indexed : rgbaPlanes ? TColorScheme::Bgra : TColorScheme::Bgr);
    cm.SetTargetBitsPerSample(p.BitsPerPixel == 2 ? 4 : h.BitsPerPlane);
    cm.SetTargetSamplesPerPixel(h.Planes);
    TPixelFormat format = cm.PixelFormatForTarget();
    // Two, three or four planes of one bit make the bits of a palette index: 4 colours,
    // 8, or EGA's 16.
    const bool bitPlanes = h.Planes >= 2 && h.BitsPerPlane == 1;
    if (bitPlanes) {
        format = TPixelFormat::pf4bit;
    } else if (format == TPixelFormat::pfCustom) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidColorFormat, ShortName));
    }
    // The rows of the other multi-plane layouts are converted as interleaved samples,
    // which needs a row of planes x bytes per line at least as long as the samples.
    SetPixelFormat(format);
    if (!bitPlanes) cm.CheckLayout(format);

    // The 256-colour palette trailer counts only when its marker is there; otherwise the
    // file's last bytes are picture data.
    bool paletteTrailer = false;
    if (format != TPixelFormat::pf24bit) {
        const std::uint8_t* header[1] = {h.Palette.data()};
        if (h.Version == 3 && format != TPixelFormat::pf1bit) {
            SetPalette(StandardPalette16());
        } else if (format == TPixelFormat::pf1bit) {
            SetPalette(cm.CreateGrayscalePalette(false));
        } else if (format == TPixelFormat::pf4bit && bitPlanes && h.PaletteInfo != 2) {
            // The header's sixteen colours as stored, whatever the depth of a plane.
            TPalette palette(16);
            for (std::size_t i = 0; i < 16; ++i) palette[i] = TRGBQuad{h.Palette[3 * i + 2], h.Palette[3 * i + 1], h.Palette[3 * i], 0};
            SetPalette(std::move(palette));
        } else if (format == TPixelFormat::pf4bit) {
            SetPalette(h.PaletteInfo == 2 ? cm.CreateGrayscalePalette(false)
                                          : cm.CreateColorPalette(header, TPaletteLayout::Interleaved8, 16, false));
        } else {
            const std::int64_t position = stream.Position();
            const std::int64_t size = stream.Size();
            bool found = false;
            if (size - basePosition_ >= static_cast<std::int64_t>(HeaderSize + PaletteBlockSize)) {
                stream.SetPosition(size - static_cast<std::int64_t>(PaletteBlockSize));
                std::array<std::uint8_t, PaletteBlockSize> block{};
                stream.ReadBuffer(block.data(), block.size());
                if (block[0] == 12) {
                    const std::uint8_t* sources[1] = {block.data() + 1};
                    SetPalette(cm.CreateColorPalette(sources, TPaletteLayout::Interleaved8, 256, false));
                    found = paletteTrailer = true;
                }
            }
            // Without its palette an 8-bit picture is shown as grey levels, whatever the
            // header's palette kind says.
            if (!found) SetPalette(cm.CreateGrayscalePalette(false));
            stream.SetPosition(position);
        }
    }
    const std::size_t lineSize = static_cast<std::size_t>(h.Planes) * h.BytesPerLine;
    {
        std::int64_t data = stream.Size() - stream.Position();
        if (format == TPixelFormat::pf8bit) data -= static_cast<std::int64_t>(PaletteBlockSize);
        const auto claimed = CheckedProduct(static_cast<std::int64_t>(lineSize), p.Height, MaxRasterBytes);
        CheckDataCanFill(claimed.value_or(MaxRasterBytes), data, h.Encoding == 1 ? expansion::RunLength : expansion::Uncompressed,
                         FormatName);
    }
    // Each row must hold the width's samples, or conversion would read past it.
    const std::size_t needed = bitPlanes || rgbaPlanes ? h.Planes * ((static_cast<std::size_t>(p.Width) * h.BitsPerPlane + 7) / 8)
                                                       : (static_cast<std::size_t>(p.Width) * p.BitsPerPixel + 7) / 8;
    if (lineSize < needed) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidColorFormat, ShortName));

    std::int64_t dataSize = stream.Size() - stream.Position();
    if (paletteTrailer) dataSize -= static_cast<std::int64_t>(PaletteBlockSize);
    dataSize = std::max<std::int64_t>(dataSize, 0);
    if (!CheckedProduct(static_cast<std::int64_t>(lineSize), p.Height, MaxRasterBytes)) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
    }
    streamed_ = RowsTo && !HasAlpha();
    const int height = static_cast<int>(p.Height);
    std::optional<TRowBands> bands;
    if (streamed_) bands.emplace(*this, *RowsTo, height, true);
    SetSize(static_cast<int>(p.Width), streamed_ ? TRowBands::RowsFor(height) : height);
    // Rows are unpacked one at a time (a run may reach into the next row); the rows past
    // the data's end are 0, as a short file leaves them.
    const bool rle = h.Encoding == 1;
    const TStreamBytes file(stream, static_cast<std::size_t>(MaxRasterBytes));
    const std::span<const std::uint8_t> data = file.Span().first(static_cast<std::size_t>(dataSize));
    const std::uint8_t* source = data.data();
    TPCXRLEDecoder runs;
    std::vector<std::uint8_t> stored(lineSize);
    const std::uint8_t* line = stored.data();

    Progress(TProgressStage::Ending, 0, {});
    Progress(TProgressStage::Starting, 0, reader_messages::Transfering);
    progressRect_ = {0, 0, Width(), 1};
    for (int y = 0; y < height; ++y) {
        std::fill(stored.begin(), stored.end(), 0);
        const auto left = static_cast<std::size_t>(data.data() + data.size() - source);
        if (rle) {
            std::uint8_t* dest = stored.data();
            runs.Decode(source, dest, left, lineSize);
        } else {
            std::copy_n(source, std::min(left, lineSize), stored.begin());
            source += std::min(left, lineSize);
        }
        std::uint8_t* row = bands ? bands->Row(y) : ScanLine(y);
        if (bitPlanes) {
            const std::size_t plane = h.BytesPerLine;
            for (int x = 0; x < Width(); ++x) {
                int value = 0;
                for (int k = 0; k < h.Planes; ++k) value |= (line[k * plane + static_cast<std::size_t>(x) / 8] >> (7 - x % 8) & 1) << k;
                std::uint8_t& out = row[x / 2];
                out = (x & 1) ? static_cast<std::uint8_t>((out & 0xF0) | value) : static_cast<std::uint8_t>(value << 4);
            }
        } else if ((format == TPixelFormat::pf24bit && h.Planes == 3) || rgbaPlanes) {
            const std::size_t plane = h.BytesPerLine;
            const std::uint8_t* sources[4] = {line, line + plane, line + 2 * plane, line + 3 * plane};
            cm.ConvertRow(std::span<const std::uint8_t* const>(sources, h.Planes), row, static_cast<std::size_t>(Width()), 0xFF);
        } else {
            cm.ConvertRow(line, row, static_cast<std::size_t>(Width()), 0xFF);
        }
        if (bands) bands->Done(y);
        else ReportRow(y);
    }
    Progress(TProgressStage::Ending, 100, {});
}

}  // namespace pictorand
