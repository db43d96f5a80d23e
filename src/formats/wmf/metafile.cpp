#include "formats/wmf/metafile.h"

#include <cmath>
#include <optional>
#include <string>

#include "graphics/bitmap.h"
#include "graphics/bmp_file.h"
#include "graphics/byte_reader.h"
#include "graphics/byte_writer.h"
#include "graphics/exceptions.h"
#include "formats/wmf/metafile_records.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {

constexpr std::string_view InvalidMetafile = "Metafile is not valid";
constexpr std::size_t PlaceableHeaderSize = 22;
constexpr std::size_t MetaHeaderSize = 18;
constexpr std::size_t MaxMetafileBytes = std::size_t{1} << 28;

using TWmfReader = TByteReader<EInvalidGraphic>;

std::uint16_t Checksum(std::span<const std::uint8_t> header) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i + 1 < 20; i += 2) sum ^= static_cast<std::uint16_t>(header[i] | header[i + 1] << 8);
    return sum;
}

int PixelsFromUnits(int units, int inch) {
    return static_cast<int>(std::lround(static_cast<double>(units) * TMetafile::ScreenUnitsPerInch / inch));
}

}  // namespace

void TMetafile::LoadFromStream(TStream& stream) {
    const TByteBuffer data = stream.ReadRemaining(MaxMetafileBytes);
    TWmfReader in(data, std::string(InvalidMetafile));
    TMetafileBounds bounds;
    int inch = ScreenUnitsPerInch;
    bool placeable = false;
    if (data.size() >= 4 && in.ReadU32LE() == PlaceableKey) {
        placeable = true;
        in.Skip(2);
        bounds.Left = static_cast<std::int16_t>(in.ReadU16LE());
        bounds.Top = static_cast<std::int16_t>(in.ReadU16LE());
        bounds.Right = static_cast<std::int16_t>(in.ReadU16LE());
        bounds.Bottom = static_cast<std::int16_t>(in.ReadU16LE());
        inch = in.ReadU16LE();
        in.Skip(6);
        if (inch == 0) in.Fail();
    } else {
        in.Seek(0);
    }
    const std::size_t headerStart = in.Position();
    const std::uint16_t type = in.ReadU16LE();
    const std::uint16_t headerWords = in.ReadU16LE();
    in.Skip(6);  // version, total size
    const std::uint16_t objects = in.ReadU16LE();
    const std::uint32_t largest = in.ReadU32LE();
    if ((type != 1 && type != 2) || headerWords != MetaHeaderSize / 2) in.Fail();
    in.Seek(headerStart + MetaHeaderSize);

    // Walk the records once to check their sizes; stop at the end-of-file record.
    const std::size_t recordsStart = in.Position();
    std::optional<std::pair<int, int>> windowExtent;
    bool ended = false;
    while (!ended) {
        const std::size_t start = in.Position();
        const std::uint32_t words = in.ReadU32LE();
        const std::uint16_t function = in.ReadU16LE();
        if (words < 3 || words > (in.Size() - start) / 2) in.Fail();
        if (function == wmf::SetWindowExt && words >= 5 && !windowExtent) {
            const auto height = static_cast<std::int16_t>(in.ReadU16LE());
            const auto width = static_cast<std::int16_t>(in.ReadU16LE());
            windowExtent = {std::abs(width), std::abs(height)};
        }
        in.Seek(start + std::size_t{words} * 2);
        ended = function == wmf::Eof;
    }
    int width = 0, height = 0;
    if (placeable) {
        width = PixelsFromUnits(std::abs(bounds.Right - bounds.Left), inch);
        height = PixelsFromUnits(std::abs(bounds.Bottom - bounds.Top), inch);
    } else if (windowExtent) {
        width = windowExtent->first;
        height = windowExtent->second;
        bounds = {0, 0, static_cast<std::int16_t>(width), static_cast<std::int16_t>(height)};
    }
    if (width <= 0 || height <= 0 || width > MaxRasterSide || height > MaxRasterSide) in.Fail();

    records_.assign(data.begin() + static_cast<std::ptrdiff_t>(recordsStart), data.begin() + static_cast<std::ptrdiff_t>(in.Position()));
    bounds_ = bounds;
    inch_ = inch;
    placeable_ = placeable;
    width_ = width;
    height_ = height;
    objectCount_ = objects;
    largestRecord_ = largest;
}

void TMetafile::SaveToStream(TStream& stream) {
    std::vector<std::uint8_t> bytes;
    TByteWriter out("WMF", bytes);
    out.U32LE(PlaceableKey, "key").U16LE(0, "handle");
    out.I16LE(bounds_.Left, "left bound").I16LE(bounds_.Top, "top bound");
    out.I16LE(bounds_.Right, "right bound").I16LE(bounds_.Bottom, "bottom bound");
    out.U16LE(inch_, "units per inch").U32LE(0, "reserved");
    out.U16LE(Checksum(bytes), "checksum");
    out.U16LE(1, "kind");  // metafile in memory
    out.U16LE(MetaHeaderSize / 2, "header words");
    out.U16LE(0x0300, "version");
    out.U32LE(static_cast<std::int64_t>((MetaHeaderSize + records_.size()) / 2), "size in words");
    out.U16LE(objectCount_, "object count");
    out.U32LE(largestRecord_, "largest record");
    out.U16LE(0, "parameter count");
    stream.WriteBuffer(bytes);
    stream.WriteBuffer(records_);
}

void TMetafile::RecordBitmap(const TBitmap& bitmap) {
    std::vector<std::uint8_t> bytes;
    TByteWriter out("WMF", bytes);
    // Bounds and extents are signed 16-bit numbers in the file.
    out.Check(bitmap.Width(), 0, INT16_MAX, "width");
    out.Check(bitmap.Height(), 0, INT16_MAX, "height");
    TMemoryStream file;
    WriteBmpStream(bitmap, file);
    // The record carries the device-independent bitmap without its 14-byte file header.
    const std::span<const std::uint8_t> dib = std::span(file.Bytes()).subspan(14);
    const auto w = static_cast<std::uint32_t>(bitmap.Width());
    const auto h = static_cast<std::uint32_t>(bitmap.Height());

    auto record = [&](std::uint16_t function, std::initializer_list<std::int64_t> params) {
        out.U32LE(static_cast<std::int64_t>(3 + params.size()), "record size");
        out.U16LE(function, "record function");
        for (std::int64_t p : params) out.I16LE(p, "record parameter");
    };
    record(wmf::SetMapMode, {wmf::MapModeAnisotropic});
    record(wmf::SetWindowOrg, {0, 0});
    record(wmf::SetWindowExt, {h, w});
    const auto blitWords = static_cast<std::int64_t>(3 + 2 + 9 + (dib.size() + 1) / 2);
    out.U32LE(blitWords, "record size");
    out.U16LE(wmf::StretchDib, "record function");
    out.U32LE(wmf::SourceCopy, "raster operation");
    out.U16LE(0, "colour use");  // colours are RGB values
    for (std::int64_t v : {h, w, 0u, 0u, h, w, 0u, 0u}) out.I16LE(v, "extent");
    out.Bytes(dib);
    if (dib.size() & 1) bytes.push_back(0);
    record(wmf::Eof, {});

    records_ = std::move(bytes);
    bounds_ = {0, 0, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h)};
    inch_ = ScreenUnitsPerInch;
    placeable_ = true;
    width_ = static_cast<int>(w);
    height_ = static_cast<int>(h);
    objectCount_ = 0;
    largestRecord_ = static_cast<std::uint32_t>(blitWords);  // checked when written above
}

}  // namespace pictorand
