#include "formats/tiff/tiff_graphic.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <zlib.h>

#include "graphics/raster_limits.h"
#include "formats/tiff/ccitt_decoders.h"
#include "formats/common/decoders.h"
#include "formats/tiff/thunder_decoder.h"
#include "formats/tiff/tiff_jpeg_decoder.h"
#include "formats/tiff/tiff_layout.h"
#include "formats/tiff/tiff_lzw_decoder.h"

namespace pictorand {

namespace {

constexpr std::string_view FormatName = "TIF/TIFF";
constexpr std::size_t MaxTiffBytes = std::size_t{1} << 31;
constexpr std::size_t EntrySize = 12;
constexpr std::uint16_t MaxEntries = 4096;

// A tag value used as a count or offset: values that are negative or not a number give
// 0, values beyond T's range give its maximum. Tags may hold floating-point values.
template <class T>
T ClampedInteger(double value) {
    constexpr T largest = std::numeric_limits<T>::max();
    if (!(value > 0)) return 0;
    if (value >= static_cast<double>(largest)) return largest;
    return static_cast<T>(value);
}

namespace tag {
constexpr std::uint16_t ImageWidth = 256, ImageLength = 257, BitsPerSample = 258, Compression = 259, Photometric = 262,
                        FillOrder = 266, StripOffsets = 273, SamplesPerPixel = 277, RowsPerStrip = 278,
                        StripByteCounts = 279, XResolution = 282, YResolution = 283, PlanarConfig = 284,
                        Group3Options = 292, ResolutionUnit = 296, Predictor = 317, ColorMap = 320, TileWidth = 322,
                        TileLength = 323, TileOffsets = 324, TileByteCounts = 325, ExtraSamples = 338, JpegTables = 347, YCbCrCoefficients = 529,
                        YCbCrSubsampling = 530, YCbCrPositioning = 531, ReferenceBlackWhite = 532, SampleFormat = 339;
}

TCompressionKind CompressionFor(std::uint32_t code) {
    switch (code) {
        case 1: return TCompressionKind::None;
        case 2: return TCompressionKind::FaxMh;
        case 3: return TCompressionKind::Fax3;
        case 4: return TCompressionKind::Fax4;
        case 5: return TCompressionKind::Lzw;
        case 6: return TCompressionKind::OldJpeg;
        case 7: return TCompressionKind::Jpeg;
        case 8: case 32946: return TCompressionKind::Deflate;
        case 32766: return TCompressionKind::Next;
        case 32771: return TCompressionKind::FaxMhWord;
        case 32773: return TCompressionKind::PackBits;
        case 32809: return TCompressionKind::ThunderScan;
        case 32895: return TCompressionKind::It8CtPad;
        case 32896: return TCompressionKind::It8Lw;
        case 32897: return TCompressionKind::It8Mp;
        case 32898: return TCompressionKind::It8Bl;
        case 32908: return TCompressionKind::PixarFilm;
        case 32909: return TCompressionKind::PixarLog;
        case 32947: return TCompressionKind::Dcs;
        case 34661: return TCompressionKind::Jbig;
        default: return TCompressionKind::Unknown;
    }
}

[[noreturn]] void InvalidFormat() { throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName)); }

// The pixel depth a sample depth is held in: 1, 4 or 8 bits (16 reduced to 8).
int HeldBits(int bits) { return bits == 1 ? 1 : bits <= 4 ? 4 : 8; }

}  // namespace

bool TTIFFGraphic::CanLoadStream(TStream& stream) {
    const std::int64_t position = stream.Position();
    std::uint8_t b[8];
    const std::int64_t size = stream.Size() - position;
    bool result = size > 8 && stream.Read(b, 8) == 8;
    if (result) {
        const bool little = b[0] == 'I' && b[1] == 'I', big = b[0] == 'M' && b[1] == 'M';
        const int number = little ? b[2] | b[3] << 8 : b[2] << 8 | b[3];
        const std::uint32_t first = little ? (std::uint32_t{b[7]} << 24 | std::uint32_t{b[6]} << 16 | std::uint32_t{b[5]} << 8 | b[4])
                                           : (std::uint32_t{b[4]} << 24 | std::uint32_t{b[5]} << 16 | std::uint32_t{b[6]} << 8 | b[7]);
        result = (little || big) && number == 42 && first < size;
    }
    stream.SetPosition(position);
    return result;
}

std::uint32_t TTIFFGraphic::ReadInteger(std::uint16_t tagNumber, std::uint32_t fallback) const {
    const TTiffEntry* e = Find(tagNumber);
    if (!e) return fallback;
    if (e->Count == 1 && (e->Type == 1 || e->Type == 3 || e->Type == 8 || e->Type == 4 || e->Type == 9)) return e->Value;
    if (e->Count != 1) return e->Value;
    return fallback;
}

std::vector<double> TTIFFGraphic::ReadValues(std::uint16_t tagNumber) const {
    const TTiffEntry* e = Find(tagNumber);
    return e ? Structure().Values(*e) : std::vector<double>();
}

double TTIFFGraphic::ReadReal(std::uint16_t tagNumber, double fallback) const {
    const std::vector<double> values = ReadValues(tagNumber);
    return values.empty() ? fallback : values.front();
}

bool TTIFFGraphic::ReadImageProperties(TStream& stream, int imageIndex) {
    TGraphicExGraphic::ReadImageProperties(stream, imageIndex);
    file_ = TStreamBytes(stream, MaxTiffBytes);
    return ParseProperties(imageIndex);
}

bool TTIFFGraphic::ParseProperties(int imageIndex) {
    TImageProperties& p = properties_;
    if (file_.size() < 8) return false;
    if (file_[0] == 'M' && file_[1] == 'M') p.Options |= image_options::BigEndian;
    else if (file_[0] != 'I' || file_[1] != 'I') return false;
    const TTiffStructure tiff = Structure();
    p.Version = tiff.U16(2);
    p.FirstIfd = tiff.U32(4);
    if (p.Version != 42) return false;
    std::uint32_t offset = p.FirstIfd;
    for (int index = 0;; ++index) {
        if (offset == 0 || offset >= file_.size()) return false;
        if (index == imageIndex) break;
        const std::uint32_t count = tiff.U16(offset);
        const std::uint32_t next = tiff.U32(offset + 2 + count * EntrySize);
        if (next <= offset) return false;  // a chain that loops back is damage
        offset = next;
    }
    directory_ = TTiffDirectory::Read(tiff, offset, MaxEntries, false);
    if (!directory_) return false;
    p.Width = ReadInteger(tag::ImageWidth, 0);
    p.Height = ReadInteger(tag::ImageLength, 0);
    if (p.Width == 0 || p.Height == 0) return false;
    p.SamplesPerPixel = static_cast<std::uint8_t>(std::min<std::uint32_t>(ReadInteger(tag::SamplesPerPixel, 1), 255));
    const std::vector<double> bits = ReadValues(tag::BitsPerSample);
    p.BitsPerSample = bits.empty() ? 1 : ClampedInteger<std::uint8_t>(bits.front());
    p.BitsPerPixel = static_cast<std::uint8_t>(std::min(255, p.SamplesPerPixel * p.BitsPerSample));
    p.TileWidth = ReadInteger(tag::TileWidth, 0);
    p.TileLength = ReadInteger(tag::TileLength, 0);
    if (p.TileWidth != 0 && p.TileLength != 0) p.Options |= image_options::Tiled;
    const std::vector<double> extra = ReadValues(tag::ExtraSamples);
    p.HasAlpha = !extra.empty() && std::all_of(extra.begin(), extra.end(), [](double v) { return v <= 2; });
    associatedAlpha_ = p.HasAlpha && extra.front() == 1;
    p.Compression = Find(tag::Compression) ? CompressionFor(ReadInteger(tag::Compression, 1)) : TCompressionKind::None;
    const std::uint32_t photometric = ReadInteger(tag::Photometric, 0);
    switch (photometric) {
        case 0: p.ColorScheme = TColorScheme::Gray; p.Options |= image_options::MinIsWhite; break;
        case 1: p.ColorScheme = TColorScheme::Gray; break;
        case 2: p.ColorScheme = p.SamplesPerPixel < 4 ? TColorScheme::Rgb : TColorScheme::Rgba; break;
        case 3: p.ColorScheme = TColorScheme::Indexed; break;
        case 5: p.ColorScheme = TColorScheme::Cmyk; break;
        case 6: p.ColorScheme = TColorScheme::YCbCr; break;
        case 8: p.ColorScheme = TColorScheme::CieLab; break;
        default: p.ColorScheme = TColorScheme::Unknown; break;
    }
    const std::vector<double> subsampling = ReadValues(tag::YCbCrSubsampling);
    p.YCbCrSubsampling[0] = subsampling.size() > 0 ? ClampedInteger<std::uint8_t>(subsampling[0]) : 2;
    p.YCbCrSubsampling[1] = subsampling.size() > 1 ? ClampedInteger<std::uint8_t>(subsampling[1]) : 2;
    p.PlanarConfig = static_cast<std::uint16_t>(ReadInteger(tag::PlanarConfig, 0));
    p.Predictor = static_cast<std::uint16_t>(ReadInteger(tag::Predictor, 0));
    signedSamples_ = ReadInteger(tag::SampleFormat, 1) == 2;
    double xResolution = ReadReal(tag::XResolution, 0), yResolution = ReadReal(tag::YResolution, 0);
    if (ReadInteger(tag::ResolutionUnit, 2) == 3) {
        xResolution *= 2.54;
        yResolution *= 2.54;
    }
    // Held as float; a double tag may not fit one.
    constexpr double largestFloat = std::numeric_limits<float>::max();
    p.XResolution = static_cast<float>(std::clamp(xResolution, -largestFloat, largestFloat));
    p.YResolution = static_cast<float>(std::clamp(yResolution, -largestFloat, largestFloat));
    if (ReadInteger(tag::FillOrder, 1) == 2) p.Options |= image_options::ReversedBits;
    const std::vector<double> rows = ReadValues(tag::RowsPerStrip);
    const std::uint32_t rowsInStrip = rows.empty() ? 0 : ClampedInteger<std::uint32_t>(rows.front());
    p.RowsPerStrip = rowsInStrip == 0 || rowsInStrip == std::numeric_limits<std::uint32_t>::max() ? p.Height : rowsInStrip;
    return true;
}

void TTIFFGraphic::LoadFromStream(TStream& stream) {
    BeginLoad(stream);
    // BigTIFF shares the byte-order mark, with 43 for 42 and 64-bit offsets.
    std::uint8_t head[4] = {};
    const std::int64_t start = stream.Position();
    const bool big = stream.Read(head, 4) == 4 && ((head[0] == 'I' && head[1] == 'I' && head[2] == 43 && head[3] == 0) ||
                                                   (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 43));
    stream.SetPosition(start);
    if (big) throw EInvalidGraphic(ReaderMessage(reader_messages::OtherVariant, "BigTIFF"));
    if (!ReadImageProperties(stream, 0)) InvalidFormat();
    TImageProperties& p = properties_;
    // Premultiplied colours are made straight after the conversion to 8 bits, which a
    // profile's curves would have to come after.
    if (associatedAlpha_) colorManager_.Rgb16ToBgr = nullptr;
    Progress(TProgressStage::Starting, 0, reader_messages::Preparing);
    // Four samples at most, five for CMYK with alpha (as Photoshop writes it).
    const int mostSamples = p.ColorScheme == TColorScheme::Cmyk ? 5 : 4;
    if (p.Width > MaxRasterSide || p.Height > MaxRasterSide || p.SamplesPerPixel == 0 || p.SamplesPerPixel > mostSamples ||
        p.BitsPerSample == 0 || p.BitsPerSample > 16) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidColorFormat, FormatName));
    }
    // Colour samples are read at 8 and 16 bits; other depths are named in the refusal.
    const bool colour = p.ColorScheme == TColorScheme::Rgb || p.ColorScheme == TColorScheme::Rgba || p.ColorScheme == TColorScheme::Cmy ||
                        p.ColorScheme == TColorScheme::Cmyk || p.ColorScheme == TColorScheme::CieLab || p.ColorScheme == TColorScheme::YCbCr;
    if (colour && p.BitsPerSample != 8 && p.BitsPerSample != 16) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::NotSupported, std::to_string(p.BitsPerSample) + "-bit colour samples are", FormatName));
    }
    if (const std::int64_t rate = MaxExpansion(); rate > 0) {
        const std::int64_t rowBytes = (static_cast<std::int64_t>(p.BitsPerPixel) * p.Width + 7) / 8;
        const auto claimed = CheckedProduct(rowBytes, p.Height, MaxRasterBytes);
        CheckDataCanFill(claimed.value_or(MaxRasterBytes), static_cast<std::int64_t>(file_.size()), rate, FormatName);
    }
    SetUpColors();
    const TChunkLayout layout = ChunkLayout();
    const std::unique_ptr<TDecoder> decoder = CreateDecoder(layout.Width);
    // The decoder ends on every exit path, also when a strip fails.
    struct TDecodeScope {
        TDecoder* decoder;
        ~TDecodeScope() {
            if (!decoder) return;
            try {
                decoder->DecodeEnd();
            } catch (...) {
            }
        }
    } scope{decoder.get()};
    if (decoder) decoder->DecodeInit();

    Progress(TProgressStage::Ending, 0, {});
    Progress(TProgressStage::Starting, 0, reader_messages::Transfering);
    progressRect_ = {0, 0, Width(), 1};
    ReadChunks(layout, decoder.get());
    file_ = TStreamBytes();
    Progress(TProgressStage::Ending, 100, {});
}

// The most decoded bytes one byte of the file's data can become under its compression;
// 0 for a compression no decoder here reads, which is refused when the decoder is chosen.
std::int64_t TTIFFGraphic::MaxExpansion() const {
    const TImageProperties& p = properties_;
    const std::int64_t rowBytes = (static_cast<std::int64_t>(p.BitsPerPixel) * p.Width + 7) / 8;
    switch (p.Compression) {
        case TCompressionKind::None: return expansion::Uncompressed;
        case TCompressionKind::PackBits: return expansion::RunLength;
        case TCompressionKind::Deflate: return expansion::Deflate;
        case TCompressionKind::Lzw: return expansion::Lzw;
        case TCompressionKind::Jpeg:
        case TCompressionKind::OldJpeg: return expansion::Jpeg;
        // Every fax row takes at least one bit; ThunderScan packs 63 pixels of 4 bits a byte.
        case TCompressionKind::Fax3:
        case TCompressionKind::Fax4:
        case TCompressionKind::FaxMh:
        case TCompressionKind::FaxMhWord: return 8 * std::max<std::int64_t>(rowBytes, 1);
        case TCompressionKind::ThunderScan: return 32;
        default: return 0;
    }
}

// The colour manager, pixel format, size and palette for the file's colour layout.
void TTIFFGraphic::SetUpColors() {
    TImageProperties& p = properties_;
    TColorManager& cm = colorManager_;
    const bool jpeg = p.Compression == TCompressionKind::Jpeg || p.Compression == TCompressionKind::OldJpeg;
    cm.SourceOptions = BigEndian() ? convert_options::ByteSwap : 0;
    cm.TargetOptions = 0;
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    TColorScheme source = p.ColorScheme;
    // Decoded JPEG rows of three components arrive blue, green, red; planes of one
    // component each are interleaved in their stored order.
    if (jpeg && p.SamplesPerPixel == 3 && p.PlanarConfig != 2) source = TColorScheme::Bgr;
    if (source == TColorScheme::Indexed && p.HasAlpha) source = TColorScheme::GrayAlpha;
    // Grey with an extra sample: the grey is read, the extra sample passed over.
    if (source == TColorScheme::Gray && p.SamplesPerPixel == 2) source = TColorScheme::GrayAlpha;
    TColorScheme target = source;
    switch (source) {
        case TColorScheme::Rgb: target = TColorScheme::Bgr; break;
        case TColorScheme::Rgba: target = TColorScheme::Bgra; break;
        case TColorScheme::Cmy:
        case TColorScheme::Cmyk:
        case TColorScheme::CieLab:
        case TColorScheme::YCbCr: target = TColorScheme::Bgr; break;
        case TColorScheme::GrayAlpha: target = TColorScheme::Gray; break;
        default: break;
    }
    // A palette index with an extra sample: the index is read, the extra sample passed over.
    if (p.ColorScheme == TColorScheme::Indexed) target = TColorScheme::Indexed;
    // Grey with alpha becomes grey colours with their alpha when the alpha is wanted.
    const bool greyWithAlpha = KeepAlpha && source == TColorScheme::GrayAlpha && p.ColorScheme == TColorScheme::Gray &&
                               !(p.Options & image_options::MinIsWhite) && (p.BitsPerSample == 8 || p.BitsPerSample == 16);
    if (greyWithAlpha) target = TColorScheme::Bgra;
    const bool cmykWithAlpha = KeepAlpha && source == TColorScheme::Cmyk && p.SamplesPerPixel == 5 && p.HasAlpha;
    if (cmykWithAlpha) target = TColorScheme::Bgra;
    const bool packed = target == TColorScheme::Indexed || target == TColorScheme::Gray;
    // Grey and palette samples go into the depth their pixels are held in (1, 4 or 8).
    cm.SetTargetBitsPerSample(packed ? HeldBits(p.BitsPerSample) : p.BitsPerSample == 16 ? 8 : std::min<int>(p.BitsPerSample, 8));
    cm.SetSourceColorScheme(source);
    cm.SetTargetColorScheme(target);
    cm.SetSourceSamplesPerPixel(std::min<int>(p.SamplesPerPixel, source == TColorScheme::Cmyk ? 5 : 4));
    cm.SetTargetSamplesPerPixel(cmykWithAlpha || greyWithAlpha ? 4 : source == TColorScheme::Cmyk ? 3 : packed ? 1 : std::min<int>(p.SamplesPerPixel, 4));
    if (source == TColorScheme::CieLab) cm.SourceOptions |= convert_options::LabByteRange;
    SetPixelFormat(greyWithAlpha || cmykWithAlpha ? TPixelFormat::pf32bit : source == TColorScheme::GrayAlpha ? TPixelFormat::pf8bit : cm.PixelFormatForTarget());
    MarkConvertedAlpha();
    cm.CheckLayout(PixelFormat());
    if (PixelFormat() == TPixelFormat::pfCustom) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidColorFormat, FormatName));
    streamed_ = RowsTo && !HasAlpha();
    const int height = static_cast<int>(p.Height);
    SetSize(static_cast<int>(p.Width), streamed_ ? TRowBands::RowsFor(height) : height);

    // Palette and YCbCr parameters.
    if (target == TColorScheme::Indexed) {
        const TTiffEntry* map = Find(tag::ColorMap);
        if (map && map->Count >= 3 && std::size_t{map->Value} + map->Count * std::size_t{2} <= file_.size()) {
            const std::size_t entries = map->Count / 3;
            const std::uint8_t* planes[3] = {file_.data() + map->Value, file_.data() + map->Value + 2 * entries,
                                             file_.data() + map->Value + 4 * entries};
            SetPalette(cm.CreateColorPalette(planes, TPaletteLayout::Planar16, entries, false));
        }
    } else if (target == TColorScheme::Gray) {
        SetPalette(cm.CreateGrayscalePalette((p.Options & image_options::MinIsWhite) != 0));
    }
    if (source == TColorScheme::YCbCr) {
        std::vector<double> coefficients = ReadValues(tag::YCbCrCoefficients);
        if (coefficients.size() < 3) coefficients = {0.299, 0.587, 0.114};
        cm.SetYCbCrParameters({static_cast<float>(coefficients[0]), static_cast<float>(coefficients[1]), static_cast<float>(coefficients[2])},
                              p.YCbCrSubsampling[0], p.YCbCrSubsampling[1]);
        // A JPEG-compressed picture is converted by the JPEG decoder, which knows no reference.
        if (!jpeg) cm.SetYCbCrReference(ReadValues(tag::ReferenceBlackWhite));
    }
    const std::size_t bytesPerLine = (static_cast<std::size_t>(p.BitsPerPixel) * p.Width + 7) / 8;
    p.BytesPerLine = static_cast<std::uint32_t>(bytesPerLine);
}

// The decoder for the file's compression, for strips or tiles width pixels across; none
// for uncompressed data.
std::unique_ptr<TDecoder> TTIFFGraphic::CreateDecoder(std::uint32_t width) {
    TImageProperties& p = properties_;
    std::unique_ptr<TDecoder> decoder;
    const bool reversed = (p.Options & image_options::ReversedBits) != 0;
    switch (p.Compression) {
        case TCompressionKind::None: break;
        case TCompressionKind::PackBits: decoder = std::make_unique<TPackbitsRLEDecoder>(); break;
        case TCompressionKind::Fax3:
            decoder = std::make_unique<TCCITTFax3Decoder>(ReadInteger(tag::Group3Options, 0), reversed, width, false);
            break;
        case TCompressionKind::Fax4: decoder = std::make_unique<TCCITTFax4Decoder>(0, reversed, width, false); break;
        case TCompressionKind::FaxMh:
        case TCompressionKind::FaxMhWord:
            decoder = std::make_unique<TCCITTMHDecoder>(0, reversed, width, p.Compression == TCompressionKind::FaxMhWord);
            break;
        case TCompressionKind::Deflate: decoder = std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, true); break;
        case TCompressionKind::Jpeg: {
            const std::vector<double> tables = ReadValues(tag::JpegTables);
            p.JpegTables.assign(tables.begin(), tables.end());
            decoder = std::make_unique<TTIFFJPEGDecoder>(p, width, OnWarning);
            break;
        }
        case TCompressionKind::ThunderScan: decoder = std::make_unique<TThunderDecoder>(width); break;
        case TCompressionKind::Lzw: decoder = std::make_unique<TTiffLzwDecoder>(); break;
        default:
            throw EInvalidGraphic(ReaderMessage(reader_messages::NotSupported, "The compression scheme is", FormatName));
    }
    return decoder;
}

TTIFFGraphic::TChunkLayout TTIFFGraphic::ChunkLayout() const {
    const TImageProperties& p = properties_;
    TChunkLayout layout;
    const bool tiled = (p.Options & image_options::Tiled) != 0;
    layout.Tiled = tiled;
    layout.Width = tiled ? p.TileWidth : p.Width;
    layout.Length = tiled ? p.TileLength : std::min(p.RowsPerStrip, p.Height);
    layout.Planes = p.PlanarConfig == 2 && p.SamplesPerPixel > 1 ? p.SamplesPerPixel : 1;
    layout.SampleBits = layout.Planes > 1 ? p.BitsPerSample : p.BitsPerPixel;
    if (layout.Planes > 1 && p.BitsPerSample != 8 && p.BitsPerSample != 16) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidColorFormat, FormatName));
    const bool jpeg = p.Compression == TCompressionKind::Jpeg || p.Compression == TCompressionKind::OldJpeg;
    layout.YCbCrBlocks = p.ColorScheme == TColorScheme::YCbCr && !jpeg && layout.Planes == 1 &&
                         p.YCbCrSubsampling[0] * p.YCbCrSubsampling[1] > 1;
    if (layout.YCbCrBlocks && (p.BitsPerSample != 8 || p.SamplesPerPixel != 3)) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidColorFormat, FormatName));
    }
    layout.LineBytes = (static_cast<std::size_t>(layout.SampleBits) * layout.Width + 7) / 8;
    // A tile or strip may not claim far more than the picture it is part of.
    const std::int64_t pictureBytes = static_cast<std::int64_t>(p.BytesPerLine) * p.Height;
    const auto chunkBytes = CheckedProduct(static_cast<std::int64_t>(layout.LineBytes), layout.Length, MaxRasterBytes);
    if (layout.Width == 0 || layout.Length == 0 || layout.Width > MaxRasterSide || layout.Length > MaxRasterSide || !chunkBytes ||
        *chunkBytes > 4 * pictureBytes + UnjustifiedBytesAllowed) {
        InvalidFormat();
    }
    layout.Across = (p.Width + layout.Width - 1) / layout.Width;
    layout.Bands = (p.Height + layout.Length - 1) / layout.Length;
    return layout;
}

// One strip or tile: its data through the bit order, the decoder and the predictor into
// chunk_, rows rows of layout.LineBytes from its row firstRow (which only uncompressed
// strips stored row by row may start past 0). False when the file has no data for it.
bool TTIFFGraphic::DecodeChunk(const TChunkLayout& layout, std::size_t index, std::size_t firstRow, std::size_t rows, TDecoder* decoder) {
    const TImageProperties& p = properties_;
    const std::vector<double>& offsets = chunkOffsets_;
    if (index >= offsets.size()) return false;
    const auto start = ClampedInteger<std::size_t>(offsets[index]);
    if (start >= file_.size()) return false;
    const std::size_t offset = start + std::min(firstRow * layout.LineBytes, file_.size() - start);
    if (offset >= file_.size()) return false;
    const std::size_t available = file_.size() - offset;
    const std::size_t count = index < chunkCounts_.size() ? std::min(ClampedInteger<std::size_t>(chunkCounts_[index]), available) : available;
    const std::size_t unpacked = rows * layout.LineBytes;
    const std::size_t stored = layout.YCbCrBlocks ? YCbCrBlockBytes(layout.Width, rows, p.YCbCrSubsampling[0], p.YCbCrSubsampling[1]) : unpacked;
    const std::uint8_t* source = file_.data() + offset;
    // Fill order 2 stores the bits of each byte least significant first; the fax
    // decoders take that into account themselves.
    const bool fax = p.Compression == TCompressionKind::Fax3 || p.Compression == TCompressionKind::Fax4 ||
                     p.Compression == TCompressionKind::FaxMh || p.Compression == TCompressionKind::FaxMhWord;
    if ((p.Options & image_options::ReversedBits) && !fax && p.Compression != TCompressionKind::Jpeg) {
        reversed_.assign(source, source + (decoder ? count : std::min(stored, available)));
        ReverseBitOrder(reversed_);
        source = reversed_.data();
    }
    std::vector<std::uint8_t>& target = layout.YCbCrBlocks ? blocks_ : chunk_;
    target.assign(stored, 0);
    if (decoder) {
        std::uint8_t* dest = target.data();
        decoder->Decode(source, dest, count, stored);
    } else {
        // A chunk cut short by the end of the file leaves its remaining rows as they are.
        std::memcpy(target.data(), source, std::min(stored, available));
    }
    if (layout.YCbCrBlocks) {
        chunk_.assign(unpacked, 0);
        ExpandYCbCrBlocks(blocks_, chunk_.data(), layout.Width, rows, p.YCbCrSubsampling[0], p.YCbCrSubsampling[1]);
    } else if (p.Compression != TCompressionKind::None && p.Predictor == 2) {
        const std::size_t samples = layout.Planes > 1 ? 1 : p.SamplesPerPixel;
        for (std::size_t r = 0; r < rows; ++r) {
            std::uint8_t* line = chunk_.data() + r * layout.LineBytes;
            if (p.BitsPerSample == 16) UndoDifferencing16(line, layout.Width * samples, samples, BigEndian());
            else if (p.BitsPerSample == 8) UndoDifferencing(line, layout.LineBytes, samples);
        }
    }
    // Signed samples run from the most negative (black) to the most positive (white):
    // flipping the sign bit makes them the unsigned samples of the same scale.
    if (signedSamples_ && (p.BitsPerSample == 8 || p.BitsPerSample == 16)) {
        const std::size_t high = p.BitsPerSample == 16 && !BigEndian() ? 1 : 0;
        for (std::size_t at = high; at < chunk_.size(); at += p.BitsPerSample / 8) chunk_[at] ^= 0x80;
    }
    return true;
}

// Every strip or tile, band by band: a band is one row of tiles (or one strip) across
// the picture, in every plane, put together into whole rows and converted. Uncompressed
// strips of one plane are read and converted a piece at a time, compressed ones of one
// plane straight from the decoded strip.
void TTIFFGraphic::ReadChunks(const TChunkLayout& layout, TDecoder* decoder) {
    const TImageProperties& p = properties_;
    chunkOffsets_ = ReadValues(layout.Tiled ? tag::TileOffsets : tag::StripOffsets);
    chunkCounts_ = ReadValues(layout.Tiled ? tag::TileByteCounts : tag::StripByteCounts);
    if (chunkOffsets_.empty()) InvalidFormat();
    std::optional<TRowBands> bands;
    if (streamed_) bands.emplace(*this, *RowsTo, static_cast<int>(p.Height), true);
    const std::size_t bytesPerLine = p.BytesPerLine;
    const std::size_t chunksPerPlane = static_cast<std::size_t>(layout.Across) * layout.Bands;
    const std::size_t sampleBytes = p.BitsPerSample == 16 ? 2 : 1;
    const bool wholeRows = !layout.Tiled && layout.Planes == 1;
    const std::size_t pieceRows = wholeRows && !decoder && !layout.YCbCrBlocks ? TRowBands::BandRows : layout.Length;
    // Bits past a row's last pixel (0 to 7 of them) are converted as 0, as they are when
    // put together.
    const auto spareBits = static_cast<unsigned>(layout.LineBytes * 8 - static_cast<std::size_t>(layout.Width) * layout.SampleBits);
    const auto lastByteMask = static_cast<std::uint8_t>(0xFF << spareBits);
    std::vector<std::uint8_t> band;
    std::uint32_t given = 0;
    for (std::uint32_t b = 0; b < layout.Bands && static_cast<std::size_t>(b) * layout.Across < chunkOffsets_.size(); ++b) {
        const std::uint32_t top = b * layout.Length;
        const std::size_t bandRows = std::min(layout.Length, p.Height - top);
        if (wholeRows) {
            for (std::size_t first = 0; first < bandRows; first += pieceRows) {
                const std::size_t rows = std::min(pieceRows, bandRows - first);
                // Rows the file has no data for are 0.
                if (!DecodeChunk(layout, b, first, rows, decoder)) chunk_.assign(rows * layout.LineBytes, 0);
                for (std::size_t r = 0; r < rows; ++r) {
                    std::uint8_t* line = chunk_.data() + r * layout.LineBytes;
                    line[layout.LineBytes - 1] &= lastByteMask;
                    ConvertRow(line, static_cast<int>(top + first + r), bands ? &*bands : nullptr);
                }
            }
            given = top + static_cast<std::uint32_t>(bandRows);
            continue;
        }
        // Tiles are whole at the picture's edges; the last strip holds only what remains.
        const std::size_t chunkRows = layout.Tiled ? layout.Length : bandRows;
        band.assign(bandRows * bytesPerLine, 0);
        for (std::uint32_t plane = 0; plane < layout.Planes; ++plane) {
            for (std::uint32_t t = 0; t < layout.Across; ++t) {
                if (!DecodeChunk(layout, plane * chunksPerPlane + static_cast<std::size_t>(b) * layout.Across + t, 0, chunkRows, decoder)) continue;
                const std::size_t left = static_cast<std::size_t>(t) * layout.Width;
                const std::size_t columns = std::min<std::size_t>(layout.Width, p.Width - left);
                for (std::size_t r = 0; r < bandRows; ++r) {
                    const std::uint8_t* from = chunk_.data() + r * layout.LineBytes;
                    std::uint8_t* row = band.data() + r * bytesPerLine;
                    if (layout.Planes > 1) {
                        InterleavePlane(from, row + left * p.SamplesPerPixel * sampleBytes, columns, plane, p.SamplesPerPixel, sampleBytes);
                    } else {
                        CopyBits(from, row, left * layout.SampleBits, columns * layout.SampleBits);
                    }
                }
            }
        }
        for (std::size_t r = 0; r < bandRows; ++r) ConvertRow(band.data() + r * bytesPerLine, static_cast<int>(top + r), bands ? &*bands : nullptr);
        given = top + static_cast<std::uint32_t>(bandRows);
    }
    // Strips or tiles the file does not list leave their rows 0.
    if (bands) bands->ZeroRowsFrom(static_cast<int>(given));
}

// One stored row, whole across the picture, into the raster's row (or the band's).
void TTIFFGraphic::ConvertRow(std::uint8_t* line, int row, TRowBands* bands) {
    const TImageProperties& p = properties_;
    // Premultiplied grey is made straight before the alpha is passed over.
    const bool greyAlpha = p.ColorScheme == TColorScheme::Gray && p.SamplesPerPixel == 2 && p.BitsPerSample == 8;
    if (associatedAlpha_ && greyAlpha) Unpremultiply(line, p.Width, 1);
    std::uint8_t* pixels = bands ? bands->Row(row) : ScanLine(row);
    colorManager_.ConvertRow(line, pixels, p.Width, 0xFF);
    // Colour pixels are made straight once they are BGRA; grey ones already are.
    if (associatedAlpha_ && !greyAlpha && PixelFormat() == TPixelFormat::pf32bit) Unpremultiply(pixels, p.Width, 3);
    if (bands) bands->Done(row);
    else ReportRow(row);
}

}  // namespace pictorand
