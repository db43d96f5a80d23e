#include "formats/png/png_graphic.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <type_traits>

#include <zlib.h>

#include <cstring>
#include <string>

#include "graphics/row_bands.h"
#include "formats/png/png_filters.h"
#include "formats/png/png_inflate.h"
#include "formats/png/png_metadata.h"
#include "graphics/indexed_alpha.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {

constexpr std::uint8_t Signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr std::string_view Png = "PNG";
constexpr std::string_view CriticalChunk = "Cannot load PNG image. Unexpected but critical chunk detected.";
// The longest chunk the reader accepts; longer lengths are damage.
constexpr std::uint32_t MaxChunkLength = 1u << 30;

constexpr std::uint32_t TypeCode(const char (&name)[5]) {
    return (static_cast<std::uint32_t>(name[0]) << 24 | static_cast<std::uint32_t>(name[1]) << 16 |
            static_cast<std::uint32_t>(name[2]) << 8 | static_cast<std::uint32_t>(name[3])) & 0xDFDFDFDF;
}
constexpr std::uint32_t IHDR = TypeCode("IHDR"), PLTE = TypeCode("PLTE"), IDAT = TypeCode("IDAT"), IEND = TypeCode("IEND"),
                        gAMA = TypeCode("gAMA"), bKGD = TypeCode("bKGD"), tRNS = TypeCode("tRNS"), iCCP = TypeCode("iCCP"),
                        cHRM = TypeCode("cHRM"), sRGB = TypeCode("sRGB");

std::uint32_t Be32(const std::uint8_t* p) { return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3]; }
int Be16(const std::uint8_t* p) { return p[0] << 8 | p[1]; }

[[noreturn]] void Fail(std::string_view pattern) { throw EInvalidGraphic(ReaderMessage(pattern, Png)); }

// The seven passes of Adam7: column start and step, row start and step, and the mask
// that places a pass's pixels at their columns.
constexpr struct {
    int columnStart, columnStep, rowStart, rowStep;
    std::uint8_t mask;
} Adam7[7] = {{0, 8, 0, 8, 0x80}, {4, 8, 0, 8, 0x08}, {0, 4, 4, 8, 0x88}, {2, 4, 0, 4, 0x22},
              {0, 2, 2, 4, 0xAA}, {1, 2, 0, 2, 0x55}, {0, 1, 1, 2, 0xFF}};
using TAdam7Pass = std::remove_cvref_t<decltype(Adam7[0])>;

// The pixels of a pass's rows and the rows of a pass, in a picture of the given size:
// zero for a pass the picture is too small to have.
std::size_t PassWidth(const TAdam7Pass& a, std::uint32_t width) {
    const auto start = static_cast<std::uint32_t>(a.columnStart), step = static_cast<std::uint32_t>(a.columnStep);
    return width > start ? (width - start + step - 1) / step : 0;
}
std::size_t PassRows(const TAdam7Pass& a, std::uint32_t height) {
    const auto start = static_cast<std::uint32_t>(a.rowStart), step = static_cast<std::uint32_t>(a.rowStep);
    return height > start ? (height - start + step - 1) / step : 0;
}

// The colour types of the header: the depths each allows and how its rows convert.
struct TPngColorType {
    std::uint8_t Code;
    std::uint32_t Depths;  // bit d set when depth d is allowed
    TColorScheme Source, Target;
    int FileSamples;       // samples a pixel has in the file
    int ConvertedSamples;  // samples the colour manager is told of
    bool HeldInOwnDepth;   // grey and palette rows keep a depth of 1, 4 or 8
    TPixelFormat Format;   // pfCustom: the colour manager's format for the target
    bool GrayPalette;
};

constexpr std::uint32_t Depths(std::initializer_list<int> depths) {
    std::uint32_t mask = 0;
    for (int d : depths) mask |= 1u << d;
    return mask;
}

using S = TColorScheme;
constexpr TPngColorType ColorTypes[] = {
    {0, Depths({1, 2, 4, 8, 16}), S::Gray, S::Gray, 1, 1, true, TPixelFormat::pfCustom, true},
    {2, Depths({8, 16}), S::Rgb, S::Bgr, 3, 3, false, TPixelFormat::pf24bit, false},
    {3, Depths({1, 2, 4, 8}), S::Indexed, S::Indexed, 1, 1, true, TPixelFormat::pfCustom, false},
    {4, Depths({8, 16}), S::GrayAlpha, S::Gray, 2, 1, false, TPixelFormat::pf8bit, true},
    {6, Depths({8, 16}), S::Rgba, S::Bgra, 4, 4, false, TPixelFormat::pf32bit, false},
};

}  // namespace

bool TPNGGraphic::CanLoadStream(TStream& stream) {
    const std::int64_t position = stream.Position();
    std::uint8_t bytes[8];
    const bool result = stream.Size() - position > 8 && stream.Read(bytes, 8) == 8 && std::memcmp(bytes, Signature, 8) == 0;
    stream.SetPosition(position);
    return result;
}

TPNGGraphic::TChunkHeader TPNGGraphic::ReadChunkHeader(TStream& stream) {
    std::uint8_t bytes[8];
    stream.ReadBuffer(bytes, 8);
    current_ = {Be32(bytes), Be32(bytes + 4) & 0xDFDFDFDF, Be32(bytes + 4)};
    if (current_.Length > MaxChunkLength) Fail(reader_messages::InvalidFormat);
    return current_;
}

void TPNGGraphic::ReadChunkData(TStream& stream) {
    if (current_.Length > stream.Size() - stream.Position()) throw EReadError(std::string(runtime_texts::ReadError));
    data_.resize(current_.Length);
    stream.ReadBuffer(data_.data(), data_.size());
    std::uint8_t crcBytes[4];
    stream.ReadBuffer(crcBytes, 4);
    std::uint8_t type[4] = {static_cast<std::uint8_t>(current_.RawType >> 24), static_cast<std::uint8_t>(current_.RawType >> 16),
                            static_cast<std::uint8_t>(current_.RawType >> 8), static_cast<std::uint8_t>(current_.RawType)};
    uLong crc = crc32(0, type, 4);
    if (!data_.empty()) crc = crc32(crc, data_.data(), static_cast<uInt>(data_.size()));
    if (crc != Be32(crcBytes)) Fail(reader_messages::CrcError);
}

bool TPNGGraphic::ReadImageChunkData(TStream& stream) {
    const std::int64_t left = stream.Size() - stream.Position();
    if (static_cast<std::int64_t>(current_.Length) + 4 <= left) {
        ReadChunkData(stream);
        return true;
    }
    data_.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(left, 0, current_.Length)));
    stream.ReadBuffer(data_.data(), data_.size());
    return false;
}

void TPNGGraphic::SkipChunkData(TStream& stream) { stream.Seek(static_cast<std::int64_t>(current_.Length) + 4, TSeekOrigin::Current); }

bool TPNGGraphic::ReadImageProperties(TStream& stream, int imageIndex) {
    TGraphicExGraphic::ReadImageProperties(stream, imageIndex);
    std::uint8_t signature[8];
    if (stream.Read(signature, 8) != 8 || std::memcmp(signature, Signature, 8) != 0) return false;
    try {
        if (ReadChunkHeader(stream).Type != IHDR || current_.Length < 13) return false;
        ReadChunkData(stream);
    } catch (const EReadError&) {
        return false;  // too short to hold a header
    }
    TImageProperties& p = properties_;
    p.Width = Be32(&data_[0]);
    p.Height = Be32(&data_[4]);
    if (p.Width == 0 || p.Height == 0) return false;
    p.BitsPerSample = data_[8];
    p.SamplesPerPixel = 1;
    switch (data_[9]) {
        case 0: p.ColorScheme = TColorScheme::Gray; break;
        case 2: p.ColorScheme = TColorScheme::Rgb; p.SamplesPerPixel = 3; break;
        case 3: p.ColorScheme = TColorScheme::Indexed; break;
        case 4: p.ColorScheme = TColorScheme::GrayAlpha; break;
        case 6: p.ColorScheme = TColorScheme::Rgba; p.SamplesPerPixel = 4; break;
        default: p.ColorScheme = TColorScheme::Unknown; break;
    }
    p.BitsPerPixel = static_cast<std::uint8_t>(p.SamplesPerPixel * p.BitsPerSample);
    p.Compression = data_[10] == 0 ? TCompressionKind::Deflate : TCompressionKind::Unknown;
    p.FilterMethod = data_[11];
    p.Interlaced = data_[12] != 0;
    p.HasAlpha = p.ColorScheme == TColorScheme::GrayAlpha || p.ColorScheme == TColorScheme::Rgba;
    p.Options |= image_options::BigEndian;
    try {
        for (;;) {
            const TChunkHeader header = ReadChunkHeader(stream);
            if (header.Type == IEND) break;
            if (header.Type == gAMA) {
                ReadChunkData(stream);
                if (data_.size() >= 4) p.FileGamma = static_cast<float>(Be32(data_.data()) / 100000.0);
                break;
            }
            SkipChunkData(stream);
        }
    } catch (const EReadError&) {
        // A file cut short still has its header; the load decides what to make of the rest.
    }
    return true;
}

void TPNGGraphic::SetupColorDescription() {
    if (described_) return;
    const int depth = bitDepth_;
    const auto row = std::find_if(std::begin(ColorTypes), std::end(ColorTypes),
                                  [&](const TPngColorType& t) { return t.Code == colorType_; });
    if (row == std::end(ColorTypes) || depth < 1 || depth > 16 || !(row->Depths & (1u << depth))) {
        Fail(reader_messages::InvalidColorFormat);
    }
    TColorManager& cm = colorManager_;
    // Grey with alpha becomes grey colours with their alpha when the alpha is wanted.
    const bool greyWithAlpha = KeepAlpha && row->Source == TColorScheme::GrayAlpha;
    cm.SetSourceColorScheme(row->Source);
    cm.SetTargetColorScheme(greyWithAlpha ? TColorScheme::Bgra : row->Target);
    cm.SetSourceSamplesPerPixel(row->ConvertedSamples);
    cm.SetTargetSamplesPerPixel(greyWithAlpha ? 4 : row->ConvertedSamples);
    cm.SetSourceBitsPerSample(depth);
    // Grey and palette pixels are held in 1, 4 or 8 bits; every other row in 8 bits a sample.
    cm.SetTargetBitsPerSample(!row->HeldInOwnDepth ? 8 : depth == 2 ? 4 : depth == 16 ? 8 : depth);
    SetPixelFormat(greyWithAlpha ? TPixelFormat::pf32bit : row->Format == TPixelFormat::pfCustom ? cm.PixelFormatForTarget() : row->Format);
    MarkConvertedAlpha();
    if (row->GrayPalette && !greyWithAlpha) palette_ = cm.CreateGrayscalePalette(false);
    sourceBpp_ = (static_cast<std::size_t>(depth) * row->FileSamples + 7) / 8;
    described_ = true;
}

// A profile the run converts through already describes the curve (an iCCP, or the cHRM
// and gAMA the metadata makes one of): the gAMA table would correct the pixels twice.
void TPNGGraphic::LeaveGammaToTheProfile() {
    if (!ProfileConverts) return;
    if (profileSeen_ || (!srgbSeen_ && PngChromaticities(chrm_, gama_))) {
        colorManager_.TargetOptions &= ~convert_options::ApplyGamma;
        properties_.Options &= ~image_options::GammaApplied;
    }
}

void TPNGGraphic::LoadFromStream(TStream& stream) {
    BeginLoad(stream);
    if (!ReadImageProperties(stream, 0)) Fail(reader_messages::InvalidFormat);
    const TImageProperties& p = properties_;
    if (p.Width > MaxRasterSide || p.Height > MaxRasterSide) Fail(reader_messages::InvalidFormat);
    stream.SetPosition(basePosition_ + 8);
    Progress(TProgressStage::Starting, 0, reader_messages::Preparing);
    palette_.clear();
    background_ = clWhite;
    transparent_.reset();
    paletteAlpha_.clear();
    keySamples_.clear();
    keyMask_.clear();
    profileSeen_ = false;
    srgbSeen_ = false;
    chrm_.clear();
    gama_.clear();
    described_ = false;
    colorManager_.SourceOptions = convert_options::ByteSwap;
    colorManager_.TargetOptions = 0;
    colorManager_.SetGamma(1.0f, 2.2f);

    ReadChunkHeader(stream);
    ReadChunkData(stream);
    bitDepth_ = data_[8];
    colorType_ = data_[9];
    compression_ = data_[10];
    interlace_ = data_[12];
    if (compression_ != 0) throw EInvalidGraphic(ReaderMessage(reader_messages::NotSupported, "The compression scheme is", Png));
    decoder_ = std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, false);
    decoder_->DecodeInit();
    idatConsumed_ = true;
    truncated_ = false;
    imageSeen_ = false;

    ReadChunkHeader(stream);
    for (;;) {
        const std::uint32_t type = current_.Type;
        bool handled = true;
        if (type == IDAT) {
            LeaveGammaToTheProfile();
            // The chunk after the image data, whose header is read, goes to the skip step.
            DecodeImage(stream);
            if (truncated_) break;
            handled = false;
        } else if (type == PLTE) {
            if (current_.Length % 3 != 0) Fail(reader_messages::InvalidPalette);
            ReadChunkData(stream);
            LeaveGammaToTheProfile();
            if (colorType_ == 3) {
                SetupColorDescription();
                const std::uint8_t* sources[1] = {data_.data()};
                palette_ = colorManager_.CreateColorPalette(sources, TPaletteLayout::Interleaved8, data_.size() / 3, false);
            }
        } else if (type == gAMA) {
            ReadChunkData(stream);
            if (data_.size() >= 4) {
                gama_.assign(data_.begin(), data_.begin() + 4);
                colorManager_.SetGamma(static_cast<float>(Be32(data_.data()) / 100000.0), 2.2f);
                colorManager_.TargetOptions |= convert_options::ApplyGamma;
                properties_.Options |= image_options::GammaApplied;
            }
        } else if (type == iCCP) {
            profileSeen_ = true;
            handled = false;
        } else if (type == cHRM) {
            ReadChunkData(stream);
            chrm_ = data_;
        } else if (type == sRGB) {
            srgbSeen_ = true;
            handled = false;
        } else if (type == bKGD) {
            ReadChunkData(stream);
            ReadBackground();
        } else if (type == tRNS) {
            ReadChunkData(stream);
            ReadTransparency();
        } else {
            handled = false;
        }
        if (!handled) {
            SkipChunkData(stream);
            // A file without any image data has nothing to show: refuse it rather than
            // hand on an empty picture.
            if (current_.Type == IEND && !imageSeen_) Fail(reader_messages::InvalidFormat);
            if (current_.Type == IEND) break;
            if (!(current_.RawType >> 24 & 0x20)) throw EInvalidGraphic(std::string(CriticalChunk));
        }
        if (!imageSeen_) {
            ReadChunkHeader(stream);
            continue;
        }
        // Once the picture is whole, a file cut short in a later chunk still shows it.
        try {
            ReadChunkHeader(stream);
        } catch (const EReadError&) {
            break;
        }
    }
    decoder_->DecodeEnd();
    decoder_.reset();
    Progress(TProgressStage::Ending, 100, {});
}

void TPNGGraphic::ReadBackground() {
    auto reduce = [this](int v) { return bitDepth_ == 16 ? v * 255 / 65535 : v & 0xFF; };
    if ((colorType_ == 0 || colorType_ == 4) && data_.size() >= 2) {
        const int v = Be16(data_.data());
        background_ = static_cast<TColor>(bitDepth_ == 2 ? v * 15 / 3 : bitDepth_ == 16 ? v * 255 / 65535 : v);
    } else if ((colorType_ == 2 || colorType_ == 6) && data_.size() >= 6) {
        background_ = RGBColor(static_cast<std::uint8_t>(reduce(Be16(&data_[0]))), static_cast<std::uint8_t>(reduce(Be16(&data_[2]))),
                               static_cast<std::uint8_t>(reduce(Be16(&data_[4]))));
    } else if (colorType_ == 3 && !data_.empty()) {
        background_ = data_[0];
    }
}

void TPNGGraphic::ReadTransparency() {
    auto reduce = [this](int v) { return bitDepth_ == 16 ? v * 255 / 65535 : v & 0xFF; };
    // The samples as stored, for alpha by exact comparison; only a depth's low bits count.
    const std::uint16_t significant = bitDepth_ == 16 ? 0xFFFF : static_cast<std::uint16_t>((1u << bitDepth_) - 1);
    keySamples_.clear();
    if (colorType_ == 3) paletteAlpha_.assign(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(data_.size(), 256)));
    if (colorType_ == 0 && data_.size() >= 2) keySamples_ = {static_cast<std::uint16_t>(Be16(data_.data()) & significant)};
    if (colorType_ == 2 && data_.size() >= 6)
        for (int k = 0; k < 3; ++k) keySamples_.push_back(static_cast<std::uint16_t>(Be16(&data_[2 * k]) & significant));
    if (colorType_ == 0 && data_.size() >= 2) {
        const int raw = Be16(data_.data());
        const auto v = static_cast<std::uint8_t>(bitDepth_ == 2 ? raw * 15 / 3 : reduce(raw));
        transparent_ = RGBColor(v, v, v);
    } else if (colorType_ == 2 && data_.size() >= 6) {
        transparent_ = RGBColor(static_cast<std::uint8_t>(reduce(Be16(&data_[0]))), static_cast<std::uint8_t>(reduce(Be16(&data_[2]))),
                                static_cast<std::uint8_t>(reduce(Be16(&data_[4]))));
    }
}

void TPNGGraphic::GatherImageData(TStream& stream) {
    std::vector<std::uint8_t> all;
    idatEnds_.clear();
    while (current_.Type == IDAT) {
        try {
            const bool whole = ReadImageChunkData(stream);
            all.insert(all.end(), data_.begin(), data_.end());
            idatEnds_.push_back(all.size());
            if (!whole) {
                truncated_ = true;
                current_ = {};
                break;
            }
            ReadChunkHeader(stream);
        } catch (const EReadError&) {
            truncated_ = true;
            current_ = {};
            break;
        }
    }
    data_ = std::move(all);
    idatAt_ = 0;
    idatConsumed_ = data_.empty();
}

// The pages of a large inflated picture whose rows have been taken go back to the system
// as the raster fills, so the two are never whole at once: a 5120 x 2880 render peaks at
// one copy of its pixels, not two. The bytes are never read again.
void TPNGGraphic::ReleaseTakenRows() {
    constexpr std::size_t LargeFrom = std::size_t{16} << 20, Step = std::size_t{1} << 20;
    if (inflated_.size() < LargeFrom || inflatedAt_ - inflatedReleased_ < Step) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto base = reinterpret_cast<std::uintptr_t>(inflated_.data());
    const std::uintptr_t from = (base + inflatedReleased_ + page - 1) / page * page;
    const std::uintptr_t to = (base + inflatedAt_) / page * page;
    if (to <= from) return;
    madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    inflatedReleased_ = to - base;
}

bool TPNGGraphic::InflateRow(TStream& stream, std::uint8_t* row, std::size_t size) {
    if (!inflated_.empty()) {
        // Rows inflated whole add up to exactly the picture's filtered bytes.
        std::memcpy(row, inflated_.data() + inflatedAt_, size);
        inflatedAt_ += size;
        ReleaseTakenRows();
        return true;
    }
    std::size_t filled = 0;
    while (filled < size) {
        if (idatConsumed_) {
            if (current_.Type != IDAT) return false;
            try {
                // A chunk cut short by the end of the file still gives the rows its data holds.
                const bool whole = ReadImageChunkData(stream);
                idatAt_ = 0;
                idatConsumed_ = false;
                if (!whole) {
                    truncated_ = true;
                    current_ = {};
                } else {
                    ReadChunkHeader(stream);
                }
            } catch (const EReadError&) {
                // The file ends inside the image data: the load completes with what was read.
                truncated_ = true;
                if (idatConsumed_) return false;
                current_ = {};
            }
        }
        const std::uint8_t* source = data_.data() + idatAt_;
        std::uint8_t* dest = row + filled;
        decoder_->Decode(source, dest, data_.size() - idatAt_, size - filled);
        idatAt_ = static_cast<std::size_t>(source - data_.data());
        filled = static_cast<std::size_t>(dest - row);
        if (idatAt_ >= data_.size()) idatConsumed_ = true;
        // Gathered chunks end inside data_: a stream may end where any of them ends.
        const bool atChunkEnd = idatConsumed_ || std::binary_search(idatEnds_.begin(), idatEnds_.end(), idatAt_);
        const int result = decoder_->LastResult();
        if (result == Z_STREAM_END) {
            if (filled < size || !atChunkEnd) Fail(reader_messages::ExtraData);
            return true;
        }
        if (result != Z_OK) Fail(reader_messages::CompressionError);
    }
    return true;
}

void TPNGGraphic::DecodeImage(TStream& stream) {
    imageSeen_ = true;
    Progress(TProgressStage::Starting, 0, reader_messages::Transfering);
    SetupColorDescription();
    const std::size_t samples = colorType_ == 2 ? 3 : colorType_ == 4 ? 2 : colorType_ == 6 ? 4 : 1;
    if (!palette_.empty()) SetPalette(palette_);
    const std::uint32_t width = properties_.Width, height = properties_.Height;
    const auto filtered = CheckedProduct(static_cast<std::int64_t>((static_cast<std::size_t>(width) * bitDepth_ + 7) / 8 * samples + 1),
                                         height, MaxRasterBytes);
    CheckDataCanFill(filtered.value_or(MaxRasterBytes), stream.Size() - stream.Position(), expansion::Deflate, Png);
    // A stored row of so many pixels: its filter byte and its samples.
    const auto filteredRow = [&](std::size_t pixels) { return (pixels * bitDepth_ + 7) / 8 * samples + 1; };
    const std::size_t rowSize = filteredRow(width);
    // Rows the picture has, counting every pass of an interlaced one, and their bytes.
    std::uint64_t rowsStored = 0;
    std::size_t filteredBytes = 0;
    if (interlace_ == 0) {
        rowsStored = height;
        filteredBytes = rowSize * height;
    } else {
        for (const auto& a : Adam7) {
            const std::size_t passWidth = PassWidth(a, width), passRows = PassRows(a, height);
            if (passWidth == 0) continue;
            rowsStored += passRows;
            filteredBytes += filteredRow(passWidth) * passRows;
        }
    }
    // A picture too large to inflate whole (or past the bound set), stored row by row and
    // with no transparency, goes to the row sink, when there is one, a band at a time:
    // only a band is held.
    streamed_ = RowsTo && interlace_ == 0 && filteredBytes > StreamFrom && bitDepth_ <= 8 &&
                (colorType_ == 0 || colorType_ == 2 || colorType_ == 3) && !transparent_ && paletteAlpha_.empty() && keySamples_.empty();
    std::optional<TRowBands> bands;
    if (streamed_) bands.emplace(*this, *RowsTo, static_cast<int>(height), true);
    SetSize(static_cast<int>(width), streamed_ ? TRowBands::RowsFor(static_cast<int>(height)) : static_cast<int>(height));
    // Rows stored whole in turn are written whole, and only the rows the data never reaches
    // get the background, afterwards: the raster's memory is taken a row at a time, as the
    // inflated rows give theirs back. An interlaced picture's passes leave gaps, so it
    // starts from the background.
    if (interlace_ != 0) Fill(background_);
    // Where alpha is kept, tRNS becomes alpha by the stored samples; otherwise the key
    // is the picture's transparent colour, as it always was.
    const bool keyToMask = KeepAlpha && !keySamples_.empty();
    if (keyToMask) keyMask_.assign(static_cast<std::size_t>(width) * height, 255);
    else if (transparent_) {
        SetTransparentColor(*transparent_);
        SetTransparent(true);
    }
    std::vector<std::uint8_t> current(rowSize, 0), previous(rowSize, 0);
    // Pictures whose rows fit the bound are inflated in one call, the fastest way there
    // is; the rows are the same bytes either way.
    inflated_.clear();
    inflatedAt_ = 0;
    inflatedReleased_ = 0;
    idatEnds_.clear();
    if (!streamed_ && filteredBytes <= WholeInflateLimit) {
        GatherImageData(stream);
        if (auto whole = InflateWhole(data_, filteredBytes, idatEnds_)) {
            inflated_ = std::move(*whole);
            std::vector<std::uint8_t>().swap(data_);  // the compressed data is done with
        }
    }
    progressRect_ = {0, 0, Width(), 1};
    bool more = true;
    std::uint64_t rowsRead = 0;
    if (interlace_ == 0) {
        for (std::uint32_t y = 0; y < height && more; ++y) {
            more = InflateRow(stream, current.data(), rowSize);
            if (!more) break;
            ++rowsRead;
            Unfilter(current.data(), previous.data(), rowSize, sourceBpp_);
            if (keyToMask) MaskKeyedPixels(current.data() + 1, y, 0, 1, width);
            colorManager_.ConvertRow(current.data() + 1, bands ? bands->Row(static_cast<int>(y)) : ScanLine(static_cast<int>(y)), width, 0xFF);
            if (bands) bands->Done(static_cast<int>(y));
            else ReportRow(static_cast<int>(y));
            std::swap(current, previous);
        }
    } else {
        for (int pass = 0; pass < 7 && more; ++pass) {
            const auto& a = Adam7[pass];
            const std::size_t passWidth = PassWidth(a, width);
            if (passWidth == 0) continue;
            const std::size_t passRow = filteredRow(passWidth);
            std::fill(previous.begin(), previous.end(), 0);
            for (std::uint32_t y = static_cast<std::uint32_t>(a.rowStart); y < height; y += static_cast<std::uint32_t>(a.rowStep)) {
                more = InflateRow(stream, current.data(), passRow);
                if (!more) break;
                ++rowsRead;
                Unfilter(current.data(), previous.data(), passRow, sourceBpp_);
                if (keyToMask)
                    MaskKeyedPixels(current.data() + 1, y, static_cast<std::uint32_t>(a.columnStart), static_cast<std::uint32_t>(a.columnStep), passWidth);
                // The converter walks the whole row; the mask places this pass's pixels.
                colorManager_.ConvertRow(current.data() + 1, ScanLine(static_cast<int>(y)), width, a.mask);
                if (pass == 6) ReportRow(static_cast<int>(y));
                std::swap(current, previous);
                std::fill(current.begin(), current.end(), 0);
            }
        }
    }
    // What the data held is shown; the rest keeps the background, and the user is told.
    if (bands) {
        for (auto y = static_cast<int>(rowsRead); y < static_cast<int>(height); ++y) {
            const int row = bands->BandRow(y);
            FillRect({0, row, static_cast<int>(width), row + 1}, background_);
            bands->Done(y);
        }
    } else if (interlace_ == 0 && rowsRead < height) {
        FillRect({0, static_cast<int>(rowsRead), static_cast<int>(width), static_cast<int>(height)}, background_);
    }
    if (rowsRead < rowsStored) Warnings.push_back(ReaderMessage(reader_messages::EndsEarlyRows, std::to_string(rowsRead), std::to_string(rowsStored)));
    // Any further image data is read and discarded.
    while (!truncated_ && current_.Type == IDAT) {
        ReadChunkData(stream);
        ReadChunkHeader(stream);
    }
    inflated_ = {};
    if (KeepAlpha) ApplyTransparency();
    Progress(TProgressStage::Ending, 100, {});
}

void TPNGGraphic::MaskKeyedPixels(const std::uint8_t* samples, std::uint32_t y, std::uint32_t firstX, std::uint32_t stepX, std::size_t count) {
    const std::size_t channels = keySamples_.size();
    const std::uint32_t width = properties_.Width;
    for (std::size_t i = 0; i < count; ++i) {
        bool keyed = true;
        for (std::size_t k = 0; k < channels && keyed; ++k) {
            const std::size_t sample = i * channels + k;
            std::uint32_t value;
            if (bitDepth_ == 16) value = static_cast<std::uint32_t>(samples[2 * sample] << 8 | samples[2 * sample + 1]);
            else if (bitDepth_ == 8) value = samples[sample];
            else {
                // Grey below 8 bits: pixels packed from the high bits of each byte.
                const std::size_t bit = sample * bitDepth_;
                value = static_cast<std::uint32_t>(samples[bit / 8] >> (8 - bitDepth_ - bit % 8)) & ((1u << bitDepth_) - 1);
            }
            keyed = value == keySamples_[k];
        }
        const std::uint32_t x = firstX + static_cast<std::uint32_t>(i) * stepX;
        if (keyed && x < width) keyMask_[static_cast<std::size_t>(y) * width + x] = 0;
    }
}

void TPNGGraphic::ApplyTransparency() {
    if (colorType_ == 3 && std::any_of(paletteAlpha_.begin(), paletteAlpha_.end(), [](std::uint8_t a) { return a != 255; })) {
        // 2-bit indexes are held in 4 bits, spread as 0, 5, 10 and 15.
        std::vector<std::uint8_t> alphaOfIndex = paletteAlpha_;
        if (bitDepth_ == 2) {
            alphaOfIndex.assign(16, 255);
            for (std::size_t i = 0; i < paletteAlpha_.size() && i < 4; ++i) alphaOfIndex[5 * i] = paletteAlpha_[i];
        }
        AlphaFromIndexes(*this, alphaOfIndex);
        return;
    }
    if (keyMask_.empty()) return;
    SetTransparent(false);
    SetPixelFormat(TPixelFormat::pf32bit);
    SetHasAlpha(true);
    for (int y = 0; y < Height(); ++y) {
        std::uint8_t* p = ScanLine(y);
        const std::uint8_t* a = keyMask_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width());
        for (int x = 0; x < Width(); ++x) p[4 * x + 3] = a[x];
    }
    keyMask_.clear();
}

}  // namespace pictorand
