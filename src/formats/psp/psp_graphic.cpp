#include "formats/psp/psp_graphic.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>
#include <zlib.h>

#include "graphics/byte_reader.h"
#include "graphics/raster_limits.h"
#include "formats/common/decoders.h"

namespace pictorand {

namespace {

constexpr std::size_t HeaderSize = 36;
constexpr std::string_view Signature = "Paint Shop Pro Image File";
constexpr std::string_view FormatName = "PSP";
constexpr std::size_t MaxPspBytes = std::size_t{1} << 31;
constexpr std::uint16_t BlockPalette = 2, BlockLayerBank = 3, BlockLayer = 4;
// Bitmap types of a layer's channels.
constexpr std::uint16_t BitmapImage = 0, BitmapTransparencyMask = 1;
constexpr std::string_view JpegChannels = "JPEG compressed channels";

using TPspReader = TByteReader<EReadError>;

struct TBlock {
    std::uint16_t Id = 0;
    std::size_t Start = 0;  // where the contents begin
    std::size_t End = 0;    // where the next block begins
};

bool SignatureMatches(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < Signature.size()) return false;
    for (std::size_t i = 0; i < Signature.size(); ++i)
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(Signature[i]))) return false;
    return true;
}

// Reads a block header; answers false at the end of the data or a bad identifier.
bool ReadBlock(TPspReader& in, int version, std::size_t limit, TBlock& block) {
    if (in.Remaining() < 10 || in.Position() >= limit) return false;
    const auto id = in.ReadBytes(4);
    if (id[0] != '~') return false;
    block.Id = in.ReadU16LE();
    if (version == 3) in.Skip(4);
    const std::uint32_t total = in.ReadU32LE();
    block.Start = in.Position();
    block.End = std::min<std::size_t>(limit, block.Start + total);
    return true;
}

// Files from later program versions put extension blocks between a layer's information
// chunk and its bitmap information chunk; skips them. A chunk length never starts with a
// block identifier, whose four bytes would make it millions of bytes long.
void SkipLayerExtensionBlocks(TPspReader& in, int version, std::size_t limit) {
    static constexpr char Identifier[4] = {'~', 'B', 'K', 0};
    while (in.Position() + sizeof Identifier <= limit && std::memcmp(in.Data().data() + in.Position(), Identifier, sizeof Identifier) == 0) {
        TBlock extension;
        if (!ReadBlock(in, version, limit, extension)) return;
        in.Seek(extension.End);
    }
}

}  // namespace

bool TPSPGraphic::CanLoadStream(TStream& stream) {
    const std::int64_t position = stream.Position();
    std::uint8_t b[HeaderSize];
    const bool result = stream.Size() - position > static_cast<std::int64_t>(HeaderSize) && stream.Read(b, HeaderSize) == HeaderSize &&
                        SignatureMatches(b) && (b[32] | b[33] << 8) >= 3;
    stream.SetPosition(position);
    return result;
}

bool TPSPGraphic::ReadImageProperties(TStream& stream, int imageIndex) {
    TGraphicExGraphic::ReadImageProperties(stream, imageIndex);
    const TByteBuffer bytes = PeekRemaining(stream, MaxPspBytes);
    if (bytes.size() < HeaderSize || !SignatureMatches(bytes)) return false;
    TPspReader in(bytes);
    in.Skip(32);
    const int major = in.ReadU16LE();
    in.Skip(2);
    if (major < 3) return false;
    TBlock block;
    if (!ReadBlock(in, major, bytes.size(), block)) return false;
    if (major >= 4) in.Skip(4);
    TImageProperties& p = properties_;
    p.Version = static_cast<std::uint32_t>(major);
    p.Width = in.ReadU32LE();
    p.Height = in.ReadU32LE();
    const auto resolutionBytes = in.ReadBytes(8);
    double resolution;
    std::memcpy(&resolution, resolutionBytes.data(), 8);
    const std::uint8_t metric = in.ReadU8();
    const std::uint16_t compression = in.ReadU16LE();
    const std::uint16_t depth = in.ReadU16LE();
    in.Skip(2 + 4);  // planes, colours
    const bool grey = in.ReadU8() != 0;
    if (depth == 24) {
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 3;
        p.ColorScheme = TColorScheme::Rgb;
    } else {
        p.BitsPerSample = static_cast<std::uint8_t>(std::min<int>(depth, 255));
        p.SamplesPerPixel = 1;
        p.ColorScheme = grey ? TColorScheme::Gray : TColorScheme::Indexed;
    }
    p.BitsPerPixel = static_cast<std::uint8_t>(std::min(255, p.SamplesPerPixel * p.BitsPerSample));
    p.Compression = compression == 0 ? TCompressionKind::None : compression == 1 ? TCompressionKind::Rle
                  : compression == 2 ? TCompressionKind::Deflate : compression == 3 ? TCompressionKind::Jpeg : TCompressionKind::Unknown;
    if (metric == 2) resolution *= 2.54;
    p.XResolution = p.YResolution = static_cast<float>(resolution);
    return true;
}

void TPSPGraphic::LoadFromStream(TStream& stream) {
    BeginLoadWithHeader(stream, FormatName);
    Progress(TProgressStage::Starting, 0, reader_messages::Preparing);
    const TByteBuffer bytes = stream.ReadRemaining(MaxPspBytes);
    TPspReader in(bytes);
    in.Skip(32);
    const int version = in.ReadU16LE();
    in.Skip(2);
    TBlock attributes;
    ReadBlock(in, version, bytes.size(), attributes);
    in.Seek(attributes.End);

    const TImageProperties& p = properties_;
    if (p.Width == 0 || p.Height == 0 || p.Width > MaxRasterSide || p.Height > MaxRasterSide) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
    }
    TColorManager& cm = colorManager_;
    cm.SourceOptions = 0;
    cm.TargetOptions = 0;
    std::size_t rowSize;
    switch (p.BitsPerPixel == 24 ? 8 : p.BitsPerSample) {
        case 1: rowSize = (p.Width + 7) / 8; break;
        case 4: rowSize = p.Width / 2 + 1; break;
        case 8: rowSize = p.Width; break;
        default: throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidColorFormat, FormatName));
    }
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(p.BitsPerSample);
    cm.SetSourceSamplesPerPixel(p.SamplesPerPixel);
    cm.SetTargetSamplesPerPixel(p.SamplesPerPixel);
    cm.SetSourceColorScheme(p.ColorScheme);
    cm.SetTargetColorScheme(p.ColorScheme == TColorScheme::Rgb ? TColorScheme::Bgr : p.ColorScheme);
    SetPixelFormat(cm.PixelFormatForTarget());
    cm.CheckLayout(PixelFormat());
    if (p.ColorScheme == TColorScheme::Gray) SetPalette(cm.CreateGrayscalePalette(false));
    const std::int64_t rate = p.Compression == TCompressionKind::None  ? expansion::Uncompressed
                              : p.Compression == TCompressionKind::Rle ? expansion::RunLength
                                                                       : expansion::Deflate;
    CheckDataCanFill(static_cast<std::int64_t>(p.Width) * p.Height * p.SamplesPerPixel * ((p.BitsPerSample + 7) / 8),
                     static_cast<std::int64_t>(bytes.size()), rate, FormatName);
    SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));
    Progress(TProgressStage::Ending, 0, {});

    const std::size_t planeSize = rowSize * p.Height;
    TBlock block;
    while (ReadBlock(in, version, bytes.size(), block)) {
        if (block.Id == BlockPalette) {
            if (version >= 4) in.Skip(4);
            const std::uint32_t count = in.ReadU32LE();
            const std::size_t used = std::min<std::size_t>(count, 256);
            const auto entries = in.ReadBytes(used * 4);
            const std::uint8_t* sources[1] = {entries.data()};
            SetPalette(cm.CreateColorPalette(sources, TPaletteLayout::Interleaved8Quad, used, true));
        } else if (block.Id == BlockLayerBank) {
            TBlock layer;
            bool done = false;
            while (!done && ReadBlock(in, version, block.End, layer) && layer.Id == BlockLayer) {
                Progress(TProgressStage::Running, 0, reader_messages::LoadingData);
                std::uint8_t type;
                std::size_t bitmapInfoEnd = 0;
                if (version == 3) {
                    in.Skip(256);
                    type = in.ReadU8();
                    in.Skip(114);
                } else {
                    const std::size_t chunkStart = in.Position();
                    const std::uint32_t chunkLength = in.ReadU32LE();
                    const std::uint16_t nameLength = in.ReadU16LE();
                    in.Skip(nameLength);
                    type = in.ReadU8();
                    in.Seek(std::min<std::size_t>(chunkStart + chunkLength, layer.End));
                    SkipLayerExtensionBlocks(in, version, layer.End);
                    const std::size_t infoStart = in.Position();
                    bitmapInfoEnd = std::min<std::size_t>(infoStart + in.ReadU32LE(), layer.End);
                }
                const bool raster = version == 3 ? type == 0 : type <= 1;
                if (!raster) {
                    in.Seek(layer.End);
                    continue;
                }
                in.Skip(2);  // bitmap count
                const std::uint16_t channels = in.ReadU16LE();
                if (version >= 4) in.Seek(bitmapInfoEnd);
                // The image's planes: composite (or index), red, green, blue; and the
                // layer's transparency mask, kept out of them.
                std::vector<std::uint8_t> planes[4], mask;
                for (std::uint16_t c = 0; c < channels; ++c) {
                    TBlock channel;
                    if (!ReadBlock(in, version, layer.End, channel)) break;
                    if (version >= 4) in.Skip(4);
                    const std::uint32_t compressed = in.ReadU32LE();
                    const std::uint32_t uncompressed = in.ReadU32LE();
                    const std::uint16_t bitmapType = in.ReadU16LE();
                    const std::uint16_t channelType = in.ReadU16LE();
                    if (uncompressed > static_cast<std::uint64_t>(MaxRasterBytes) || compressed > in.Remaining()) {
                        throw EReadError(std::string(runtime_texts::ReadError));
                    }
                    const auto data = in.ReadBytes(compressed);
                    // A plane holds exactly the rows the conversion reads: a channel claiming
                    // more is decoded only that far, a shorter one leaves the rest zero.
                    const std::size_t used = std::min<std::size_t>(uncompressed, planeSize);
                    std::vector<std::uint8_t> plane(planeSize, 0);
                    const std::uint8_t* source = data.data();
                    std::uint8_t* dest = plane.data();
                    switch (p.Compression) {
                        case TCompressionKind::Rle: TPSPRLEDecoder().Decode(source, dest, data.size(), used); break;
                        case TCompressionKind::Deflate: {
                            TLZ77Decoder inflater(Z_FINISH, false);
                            inflater.DecodeInit();
                            inflater.Decode(source, dest, data.size(), used);
                            inflater.DecodeEnd();
                            break;
                        }
                        case TCompressionKind::None: std::copy_n(data.begin(), std::min<std::size_t>(data.size(), used), plane.begin()); break;
                        default:
                            throw EInvalidGraphic(ReaderMessage(reader_messages::NotSupported, JpegChannels, FormatName));
                    }
                    if (bitmapType == BitmapImage && channelType <= 3) planes[channelType] = std::move(plane);
                    else if (bitmapType == BitmapTransparencyMask && channelType == 0) mask = std::move(plane);
                    in.Seek(channel.End);
                }
                Progress(TProgressStage::Starting, 0, reader_messages::Transfering);
                for (auto& plane : planes) {
                    if (plane.empty()) plane.assign(planeSize, 0);
                }
                // A colour layer with a transparency mask keeps it as its alpha.
                const bool withAlpha = p.ColorScheme == TColorScheme::Rgb && !mask.empty();
                if (withAlpha) {
                    cm.SetSourceColorScheme(TColorScheme::Rgba);
                    cm.SetSourceSamplesPerPixel(4);
                    cm.SetTargetColorScheme(TColorScheme::Bgra);
                    cm.SetTargetSamplesPerPixel(4);
                    SetPixelFormat(TPixelFormat::pf32bit);
                    MarkConvertedAlpha();
                    cm.CheckLayout(PixelFormat());
                }
                for (std::uint32_t y = 0; y < p.Height; ++y) {
                    const std::size_t at = y * rowSize;
                    if (p.ColorScheme == TColorScheme::Rgb) {
                        const std::uint8_t* sources[4] = {planes[1].data() + at, planes[2].data() + at, planes[3].data() + at,
                                                          withAlpha ? mask.data() + at : nullptr};
                        cm.ConvertRow(std::span(sources, withAlpha ? 4 : 3), ScanLine(static_cast<int>(y)), p.Width, 0xFF);
                    } else {
                        cm.ConvertRow(planes[0].data() + at, ScanLine(static_cast<int>(y)), p.Width, 0xFF);
                    }
                    ReportRow(static_cast<int>(y));
                }
                done = true;
            }
        }
        in.Seek(block.End);
    }
    Progress(TProgressStage::Ending, 100, {});
}

}  // namespace pictorand
