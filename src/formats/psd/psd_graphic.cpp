#include "formats/psd/psd_graphic.h"

#include <cstring>
#include <numeric>
#include <vector>

#include "graphics/byte_reader.h"
#include "graphics/raster_limits.h"
#include "formats/common/decoders.h"
#include "formats/psd/psd_resources.h"

namespace pictorand {

namespace {

constexpr std::size_t HeaderSize = 26;
constexpr std::string_view FormatName = "PSD or PDD";
constexpr std::size_t MaxPsdBytes = std::size_t{1} << 31;

using TPsdReader = TByteReader<EReadError>;

struct TPsdHeader {
    std::uint16_t Version, Channels;
    std::uint32_t Height, Width;
    std::uint16_t Depth, Mode;
};

TPsdHeader ReadHeader(TPsdReader& in) {
    in.Skip(4);
    TPsdHeader h{};
    h.Version = in.ReadU16BE();
    in.Skip(6);
    h.Channels = in.ReadU16BE();
    h.Height = in.ReadU32BE();
    h.Width = in.ReadU32BE();
    h.Depth = in.ReadU16BE();
    h.Mode = in.ReadU16BE();
    return h;
}

// Skips a section made of a 32-bit length and that many bytes.
void SkipSection(TPsdReader& in) { in.Skip(in.ReadU32BE()); }

// Whether the file ends cleanly after its layer section, with no image-data section at all.
bool EndsBeforeImageData(std::span<const std::uint8_t> bytes) {
    TPsdReader in(bytes);
    in.Skip(HeaderSize);
    for (int section = 0; section < 3; ++section) {
        if (in.Remaining() < 4) return in.Remaining() == 0;
        const std::uint32_t length = in.ReadU32BE();
        if (length > in.Remaining()) return false;
        in.Skip(length);
    }
    return in.Remaining() < 2;
}

// Whether the image resources say the composite image is only a white placeholder: the
// version-information resource (1057) with its "has real merged data" flag cleared.
bool CompositeIsPlaceholder(std::span<const std::uint8_t> resources) {
    bool placeholder = false;
    ForEachPsdResource(resources, [&placeholder](std::uint16_t id, std::span<const std::uint8_t> data, std::span<const std::uint8_t>) {
        if (id != 1057) return true;
        placeholder = data.size() >= 5 && data[4] == 0;
        return false;
    });
    return placeholder;
}

}  // namespace

bool TPSDGraphic::CanLoadStream(TStream& stream) {
    const std::int64_t position = stream.Position();
    std::uint8_t b[HeaderSize];
    bool result = stream.Size() - position > static_cast<std::int64_t>(HeaderSize) && stream.Read(b, HeaderSize) == HeaderSize;
    if (result) {
        for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(std::toupper(b[i]));
        result = std::memcmp(b, "8BPS", 4) == 0 && (b[4] << 8 | b[5]) == 1;
    }
    stream.SetPosition(position);
    return result;
}

bool TPSDGraphic::ReadImageProperties(TStream& stream, int imageIndex) {
    TGraphicExGraphic::ReadImageProperties(stream, imageIndex);
    const TByteBuffer bytes = PeekRemaining(stream, MaxPsdBytes);
    if (bytes.size() < HeaderSize || std::memcmp(bytes.data(), "8BPS", 4) != 0) return false;
    TPsdReader in(bytes);
    const TPsdHeader h = ReadHeader(in);
    TImageProperties& p = properties_;
    p.Options = image_options::BigEndian;
    p.Width = h.Width;
    p.Height = h.Height;
    p.BitsPerSample = static_cast<std::uint8_t>(std::min<int>(h.Depth, 255));
    p.SamplesPerPixel = static_cast<std::uint8_t>(std::min<int>(h.Channels, 4));
    p.BitsPerPixel = static_cast<std::uint8_t>(std::min(255, p.SamplesPerPixel * p.BitsPerSample));
    p.ChannelCount = h.Channels;
    switch (h.Mode) {
        case 0: p.ColorScheme = TColorScheme::Gray; p.Options |= image_options::MinIsWhite; break;
        case 1:
        case 8: p.ColorScheme = TColorScheme::Gray; break;
        case 2: p.ColorScheme = TColorScheme::Indexed; break;
        case 3: p.ColorScheme = h.Channels == 3 ? TColorScheme::Rgb : TColorScheme::Rgba; break;
        // Multichannel: fewer than three channels show as grey.
        case 7: p.ColorScheme = h.Channels < 3 ? TColorScheme::Gray : h.Channels == 3 ? TColorScheme::Rgb : TColorScheme::Rgba; break;
        case 4: p.ColorScheme = TColorScheme::Cmyk; break;
        case 9: p.ColorScheme = TColorScheme::CieLab; break;
        default: p.ColorScheme = TColorScheme::Unknown; break;
    }
    SkipSection(in);
    SkipSection(in);
    SkipSection(in);
    p.Compression = in.Remaining() >= 2 && in.ReadU16BE() == 1 ? TCompressionKind::PackBits : TCompressionKind::None;
    return true;
}

void TPSDGraphic::LoadFromStream(TStream& stream) {
    // A large-document file shares the mark, with version 2 and wider fields.
    std::uint8_t head[6] = {};
    const std::int64_t start = stream.Position();
    const bool large = stream.Read(head, 6) == 6 && std::memcmp(head, "8BPS", 4) == 0 && head[4] == 0 && head[5] == 2;
    stream.SetPosition(start);
    if (large) throw EInvalidGraphic(ReaderMessage(reader_messages::OtherVariant, "Large-document PSB"));
    BeginLoadWithHeader(stream, FormatName);
    Progress(TProgressStage::Starting, 0, reader_messages::Preparing);
    const TByteBuffer bytes = stream.ReadRemaining(MaxPsdBytes);
    TPsdReader in(bytes);
    const TPsdHeader h = ReadHeader(in);
    const TImageProperties& p = properties_;
    if (p.Width == 0 || p.Height == 0 || p.Width > MaxRasterSide || p.Height > MaxRasterSide || p.ChannelCount == 0 ||
        (h.Depth != 1 && h.Depth != 8 && h.Depth != 16)) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
    }

    if (EndsBeforeImageData(bytes)) throw EInvalidGraphic(ReaderMessage(reader_messages::NoComposite, FormatName));

    // Grey with an alpha channel becomes grey colours with their alpha when the alpha is wanted.
    const bool greyWithAlpha = KeepAlpha && p.ColorScheme == TColorScheme::Gray && !(p.Options & image_options::MinIsWhite) &&
                               p.ChannelCount >= 2 && (h.Depth == 8 || h.Depth == 16);
    // Lab with an alpha channel keeps it when the alpha is wanted.
    const bool labWithAlpha = KeepAlpha && p.ColorScheme == TColorScheme::CieLab && p.ChannelCount >= 4;
    const bool onePlane = (p.ColorScheme == TColorScheme::Indexed || p.ColorScheme == TColorScheme::Gray) && !greyWithAlpha;
    TColorManager& cm = colorManager_;
    cm.SourceOptions = convert_options::ByteSwap;
    cm.TargetOptions = 0;
    cm.SetSourceBitsPerSample(h.Depth);
    cm.SetTargetBitsPerSample(h.Depth == 16 ? 8 : h.Depth);
    // Grey and palette pictures read their first channel; later ones (alpha) are passed over.
    cm.SetSourceSamplesPerPixel(onePlane ? 1 : p.SamplesPerPixel);
    cm.SetTargetSamplesPerPixel(onePlane ? 1 : p.SamplesPerPixel);
    cm.SetSourceColorScheme(greyWithAlpha ? TColorScheme::GrayAlpha : p.ColorScheme);
    TColorScheme target = p.ColorScheme;
    if (greyWithAlpha) {
        cm.SetSourceSamplesPerPixel(2);
        cm.SetTargetSamplesPerPixel(4);
        target = TColorScheme::Bgra;
    }
    switch (greyWithAlpha ? TColorScheme::Unknown : p.ColorScheme) {
        case TColorScheme::Rgb: target = TColorScheme::Bgr; break;
        case TColorScheme::Rgba: target = TColorScheme::Bgra; break;
        case TColorScheme::Cmyk: target = TColorScheme::Bgr; cm.SetTargetSamplesPerPixel(3); break;
        case TColorScheme::CieLab:
            target = labWithAlpha ? TColorScheme::Bgra : TColorScheme::Bgr;
            cm.SetTargetSamplesPerPixel(labWithAlpha ? 4 : 3);
            cm.SourceOptions |= convert_options::LabByteRange | convert_options::LabChromaOffset;
            break;
        default: break;
    }
    cm.SetTargetColorScheme(target);
    SetPixelFormat(cm.PixelFormatForTarget());
    MarkConvertedAlpha();
    cm.CheckLayout(PixelFormat());
    // Uncompressed planes must all be there before the raster is made.
    if (p.Compression == TCompressionKind::None &&
        static_cast<std::uint64_t>((std::uint64_t{p.Width} * h.Depth + 7) / 8) * p.Height * std::min<std::uint32_t>(p.ChannelCount, 4) >
            bytes.size()) {
        throw EReadError(std::string(runtime_texts::ReadError));
    }
    CheckDataCanFill(static_cast<std::int64_t>((std::uint64_t{p.Width} * h.Depth + 7) / 8) * p.Height *
                         std::min<std::uint32_t>(p.ChannelCount, 4),
                     static_cast<std::int64_t>(bytes.size()), expansion::RunLength, FormatName);
    SetSize(static_cast<int>(p.Width), static_cast<int>(p.Height));

    // Colour mode data.
    const std::uint32_t modeLength = in.ReadU32BE();
    const auto modeData = in.ReadBytes(modeLength);
    if (p.ColorScheme == TColorScheme::Indexed) {
        const std::size_t third = modeData.size() / 3;
        const std::uint8_t* planes[3] = {modeData.data(), modeData.data() + third, modeData.data() + 2 * third};
        SetPalette(cm.CreateColorPalette(planes, TPaletteLayout::Planar8, third, false));
    } else if (p.ColorScheme == TColorScheme::Gray && !greyWithAlpha) {
        SetPalette(cm.CreateGrayscalePalette((p.Options & image_options::MinIsWhite) != 0));
    }
    const std::uint32_t resourcesLength = in.ReadU32BE();
    if (CompositeIsPlaceholder(in.ReadBytes(resourcesLength))) throw EInvalidGraphic(ReaderMessage(reader_messages::NoComposite, FormatName));
    SkipSection(in);
    if (in.Remaining() < 2) throw EInvalidGraphic(ReaderMessage(reader_messages::NoComposite, FormatName));
    const bool packbits = in.ReadU16BE() == 1;

    const std::size_t channels = p.ChannelCount;
    std::vector<std::uint32_t> counts;
    if (packbits) {
        const auto table = CheckedProduct(static_cast<std::int64_t>(p.Height) * 2, static_cast<std::int64_t>(channels), MaxRasterBytes);
        if (!table || static_cast<std::size_t>(*table) > in.Remaining()) throw EReadError(std::string(runtime_texts::ReadError));
        counts.resize(static_cast<std::size_t>(*table / 2));
        for (auto& c : counts) c = in.ReadU16BE();
    }
    const std::size_t rowBytes = (static_cast<std::size_t>(p.Width) * h.Depth + 7) / 8;
    TPackbitsRLEDecoder decoder;

    progressRect_ = {0, 0, Width(), 1};
    if (onePlane) {
        Progress(TProgressStage::Starting, 0, reader_messages::Transfering);
        std::vector<std::uint8_t> row(rowBytes);
        for (std::uint32_t y = 0; y < p.Height; ++y) {
            if (packbits) {
                const auto packed = in.ReadBytes(counts[y]);
                std::fill(row.begin(), row.end(), 0);
                const std::uint8_t* source = packed.data();
                std::uint8_t* dest = row.data();
                decoder.Decode(source, dest, packed.size(), rowBytes);
            } else {
                const auto raw = in.ReadBytes(rowBytes);
                std::copy(raw.begin(), raw.end(), row.begin());
            }
            cm.ConvertRow(row.data(), ScanLine(static_cast<int>(y)), p.Width, 0xFF);
            ReportRow(static_cast<int>(y));
        }
    } else {
        Progress(TProgressStage::Starting, 0, reader_messages::LoadingData);
        const std::size_t used =
            greyWithAlpha ? 2 : p.ColorScheme == TColorScheme::Rgba || p.ColorScheme == TColorScheme::Cmyk || labWithAlpha ? 4 : 3;
        if (channels < used) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
        const std::size_t planeSize = rowBytes * p.Height;
        const auto total = CheckedProduct(static_cast<std::int64_t>(planeSize), static_cast<std::int64_t>(used), MaxRasterBytes);
        if (!total) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, FormatName));
        std::vector<std::uint8_t> planes(static_cast<std::size_t>(*total), 0);
        if (packbits) {
            const std::uint64_t packedSize = std::accumulate(counts.begin(), counts.end(), std::uint64_t{0});
            if (packedSize > in.Remaining()) throw EReadError(std::string(runtime_texts::ReadError));
            const auto packed = in.ReadBytes(static_cast<std::size_t>(packedSize));
            const std::uint8_t* source = packed.data();
            std::uint8_t* dest = planes.data();
            decoder.Decode(source, dest, packed.size(), planes.size());
        } else {
            const auto raw = in.ReadBytes(planes.size());
            std::copy(raw.begin(), raw.end(), planes.begin());
        }
        Progress(TProgressStage::Ending, 0, {});
        Progress(TProgressStage::Starting, 0, reader_messages::Transfering);
        // Photoshop stores ink amounts inverted.
        if (p.ColorScheme == TColorScheme::Cmyk) {
            for (auto& b : planes) b = static_cast<std::uint8_t>(~b);
        }
        for (std::uint32_t y = 0; y < p.Height; ++y) {
            const std::uint8_t* sources[4];
            for (std::size_t k = 0; k < used; ++k) sources[k] = planes.data() + k * planeSize + y * rowBytes;
            cm.ConvertRow(std::span(sources, used), ScanLine(static_cast<int>(y)), p.Width, 0xFF);
            ReportRow(static_cast<int>(y));
        }
    }
    Progress(TProgressStage::Ending, 100, {});
}

}  // namespace pictorand
