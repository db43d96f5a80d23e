#include "formats/png/png_object.h"

#include "graphics/byte_writer.h"

#include <zlib.h>

#include <cstring>
#include <memory>
#include <string>

namespace pictorand {

namespace {

constexpr std::uint8_t Signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::string_view CannotResize =
    "The \"Portable Network Graphics\" image can not be resize by changing width and height properties. Try assigning "
    "the image from a bitmap.";
constexpr std::string_view NoHeader = "This operation is not valid because the current image contains no valid header.";
constexpr std::string_view EmptyImage = "The image to be saved has no pixels.";

// The seven passes of Adam7: start column, column step, start row, row step.
constexpr int Adam7[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                             {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};

// PNG's four-byte numbers other than the CRC hold at most 2^31 - 1.
constexpr std::int64_t MaxPngNumber = 0x7FFFFFFF;

// A deflate stream owned for one save.
class TDeflater {
public:
    TDeflater(int level, std::uint32_t chunkLimit, TStream& stream) : out_(chunkLimit), stream_(stream) {
        if (deflateInit2(&z_, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw EPngError("zlib error");
        Reset();
    }
    ~TDeflater() { deflateEnd(&z_); }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    void Feed(const std::uint8_t* data, std::size_t size) {
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = static_cast<uInt>(size);
        while (z_.avail_in > 0) {
            deflate(&z_, Z_NO_FLUSH);
            if (z_.avail_out == 0) Emit();
        }
    }
    void Finish() {
        int result;
        do {
            result = deflate(&z_, Z_FINISH);
            if (z_.avail_out == 0) Emit();
        } while (result != Z_STREAM_END);
        if (z_.avail_out < out_.size()) Emit();
    }

private:
    void Reset() {
        z_.next_out = out_.data();
        z_.avail_out = static_cast<uInt>(out_.size());
    }
    void Emit() {
        WritePngChunk(stream_, "IDAT", std::span(out_.data(), out_.size() - z_.avail_out));
        Reset();
    }

    z_stream z_{};
    std::vector<std::uint8_t> out_;
    TStream& stream_;
};

}  // namespace

void WritePngChunk(TStream& stream, const char name[4], std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> head;
    TByteWriter fields("PNG", head);
    fields.Check(static_cast<std::int64_t>(data.size()), 0, MaxPngNumber, "chunk length");
    fields.U32BE(static_cast<std::int64_t>(data.size()), "chunk length");
    head.insert(head.end(), name, name + 4);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(name), 4);
    // zlib answers its initial value for a null buffer, so an empty chunk adds nothing.
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    std::vector<std::uint8_t> tail;
    TByteWriter(std::string_view("PNG"), tail).U32BE(static_cast<std::int64_t>(crc), "CRC");
    stream.WriteBuffer(head);
    stream.WriteBuffer(data);
    stream.WriteBuffer(tail);
}

void TPNGObject::SetWidth(int) { throw EPngError(std::string(CannotResize)); }
void TPNGObject::SetHeight(int) { throw EPngError(std::string(CannotResize)); }

void TPNGObject::SetIdatChunkLimit(std::uint32_t limit) { idatChunkLimit_ = std::max(limit, MinimumIdatChunkLimit); }

const TPngHeader& TPNGObject::Header() const {
    if (!HasHeader()) throw EPNGHeaderNotPresent(std::string(NoHeader));
    return header_;
}

void TPNGObject::LoadFromStream(TStream&) {
    throw EInvalidGraphicOperation("PNG files are read by the PNG reader");
}

void TPNGObject::Assign(const TGraphic& source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        AssignBitmap(*bitmap);
        return;
    }
    if (const auto* png = dynamic_cast<const TPNGObject*>(&source)) {
        if (png == this) return;
        FilterSet = png->FilterSet;
        DeflateLevel = png->DeflateLevel;
        InterlaceMode = png->InterlaceMode;
        idatChunkLimit_ = png->idatChunkLimit_;
        chunks_ = png->chunks_;
        header_ = png->header_;
        image_ = png->image_;
        return;
    }
    TGraphic::Assign(source);
}

void TPNGObject::AssignBitmap(const TBitmap& bitmap) {
    if (bitmap.Empty()) throw EPngError(std::string(EmptyImage));
    chunks_.clear();
    const int bits = BitsPerPixel(bitmap.PixelFormat());
    const bool palette = IsIndexed(bitmap.PixelFormat());
    // A raster with alpha is written as truecolour with alpha (colour type 6).
    const bool alpha = bitmap.HasAlpha();
    image_ = bitmap;
    image_.OnProgress = nullptr;
    if (!palette && !alpha) image_.SetPixelFormat(TPixelFormat::pf24bit);

    header_ = {static_cast<std::uint32_t>(bitmap.Width()), static_cast<std::uint32_t>(bitmap.Height()),
               static_cast<std::uint8_t>(palette ? bits : 8), static_cast<std::uint8_t>(palette ? 3 : alpha ? 6 : 2), 0, 0, 0};
    chunks_.push_back({TChunkKind::IHDR, {}});
    if (palette) {
        // Always the full 2^bits entries, whatever the bitmap's palette holds.
        TPalette table = image_.Palette();
        table.resize(std::size_t{1} << bits);
        image_.SetPalette(table);
        std::vector<std::uint8_t> plte;
        for (const TRGBQuad& e : table) plte.insert(plte.end(), {e.Red, e.Green, e.Blue});
        chunks_.push_back({TChunkKind::PLTE, std::move(plte)});
    }
    if (bitmap.Transparent() && !alpha) {
        const TColor key = bitmap.TransparentColor();
        std::vector<std::uint8_t> trns;
        if (palette) {
            const TPalette& table = image_.Palette();
            std::size_t found = table.size();
            for (std::size_t i = 0; i < table.size(); ++i) {
                if (table[i].Color() == key) {
                    found = i;
                    break;
                }
            }
            if (found == table.size()) {
                trns = {0};
            } else {
                trns.assign(found, 255);
                trns.push_back(0);
            }
        } else {
            for (std::uint8_t c : {RedOf(key), GreenOf(key), BlueOf(key)}) trns.insert(trns.end(), {0, c});
        }
        chunks_.push_back({TChunkKind::tRNS, std::move(trns)});
    }
    chunks_.push_back({TChunkKind::IDAT, {}});
    chunks_.push_back({TChunkKind::IEND, {}});
}

std::size_t TPNGObject::BytesPerRow(std::uint32_t width) const {
    const std::size_t depth = header_.BitDepth;
    switch (header_.ColorType) {
        case 2: return width * 3 * depth / 8;
        case 4: return width * 2 * depth / 8;
        case 6: return width * 4 * depth / 8;
        default: return (width * depth + 7) / 8;
    }
}

std::size_t TPNGObject::FilterOffset() const {
    const std::size_t depth = header_.BitDepth;
    std::size_t offset = 1;
    switch (header_.ColorType) {
        case 0: offset = depth == 16 ? 2 : 1; break;
        case 2: offset = depth * 3 / 8; break;
        case 4: offset = depth / 4; break;
        case 6: offset = depth / 2; break;
        default: break;
    }
    return std::max<std::size_t>(offset, 1);
}

void TPNGObject::SaveToStream(TStream& stream) {
    stream.WriteBuffer(Signature, sizeof Signature);
    for (const TChunk& chunk : chunks_) {
        switch (chunk.Kind) {
            case TChunkKind::IHDR: {
                std::vector<std::uint8_t> data;
                TByteWriter fields("PNG", data);
                fields.Check(header_.Width, 1, MaxPngNumber, "width");
                fields.Check(header_.Height, 1, MaxPngNumber, "height");
                fields.U32BE(header_.Width, "width").U32BE(header_.Height, "height");
                data.insert(data.end(), {header_.BitDepth, header_.ColorType, header_.CompressionMethod,
                                         header_.FilterMethod, static_cast<std::uint8_t>(InterlaceMode)});
                WritePngChunk(stream, "IHDR", data);
                break;
            }
            case TChunkKind::PLTE: WritePngChunk(stream, "PLTE", chunk.Data); break;
            case TChunkKind::tRNS: WritePngChunk(stream, "tRNS", chunk.Data); break;
            case TChunkKind::IDAT: WriteImageData(stream); break;
            case TChunkKind::IEND: WritePngChunk(stream, "IEND", {}); break;
        }
    }
}

void TPNGObject::WriteImageData(TStream& stream) const {
    TDeflater deflater(DeflateLevel, idatChunkLimit_, stream);
    const bool rgb = header_.ColorType == 2;
    const bool rgba = header_.ColorType == 6;
    const int bits = BitsPerPixel(image_.PixelFormat());
    std::vector<std::uint8_t> row;

    // Gathers the pixels x = start, start + step, ... of image row y into PNG order.
    auto gather = [&](int y, int start, int step, std::uint32_t count) {
        const std::uint8_t* in = image_.ScanLine(y);
        row.assign(BytesPerRow(count), 0);
        for (std::uint32_t i = 0; i < count; ++i) {
            const int x = start + static_cast<int>(i) * step;
            if (rgba) {
                row[4 * i] = in[4 * x + 2];
                row[4 * i + 1] = in[4 * x + 1];
                row[4 * i + 2] = in[4 * x];
                row[4 * i + 3] = in[4 * x + 3];
            } else if (rgb) {
                row[3 * i] = in[3 * x + 2];
                row[3 * i + 1] = in[3 * x + 1];
                row[3 * i + 2] = in[3 * x];
            } else if (bits == 8) {
                row[i] = in[x];
            } else if (bits == 4) {
                const std::uint8_t v = (x & 1) ? in[x >> 1] & 0x0F : in[x >> 1] >> 4;
                row[i >> 1] |= static_cast<std::uint8_t>((i & 1) ? v : v << 4);
            } else {
                const std::uint8_t v = in[x >> 3] >> (7 - (x & 7)) & 1;
                row[i >> 3] |= static_cast<std::uint8_t>(v << (7 - (i & 7)));
            }
        }
    };
    auto feed = [&](TRowFilter& filter) {
        TPngFilter chosen;
        const std::span<const std::uint8_t> filtered = filter.Apply(row, chosen);
        const auto type = static_cast<std::uint8_t>(chosen);
        deflater.Feed(&type, 1);
        deflater.Feed(filtered.data(), filtered.size());
    };

    if (InterlaceMode == TInterlaceMode::NoInterlace) {
        TRowFilter filter(FilterSet, BytesPerRow(header_.Width), FilterOffset());
        for (std::uint32_t y = 0; y < header_.Height; ++y) {
            gather(static_cast<int>(y), 0, 1, header_.Width);
            feed(filter);
        }
    } else {
        for (const auto& pass : Adam7) {
            const int startX = pass[0], stepX = pass[1], startY = pass[2], stepY = pass[3];
            if (static_cast<std::uint32_t>(startX) >= header_.Width) continue;
            const auto count = static_cast<std::uint32_t>((header_.Width + stepX - startX - 1) / stepX);
            if (BytesPerRow(count) == 0) continue;
            TRowFilter filter(FilterSet, BytesPerRow(count), FilterOffset());
            for (std::uint32_t y = static_cast<std::uint32_t>(startY); y < header_.Height; y += static_cast<std::uint32_t>(stepY)) {
                gather(static_cast<int>(y), startX, stepX, count);
                feed(filter);
            }
        }
    }
    deflater.Finish();
}

}  // namespace pictorand
