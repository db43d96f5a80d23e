#include "formats/wmf/metafile.h"

#include <cmath>
#include <optional>
#include <string>

#include "graphics/bitmap.h"
#include "graphics/bmp_file.h"
#include "graphics/byte_reader.h"
#include "graphics/exceptions.h"
#include "formats/wmf/metafile_records.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {

constexpr std::string_view InvalidMetafile = "Metafile is not valid";
constexpr std::string_view TooLargeForMetafile = "Image is too large for a metafile";
constexpr std::size_t PlaceableHeaderSize = 22;
constexpr std::size_t MetaHeaderSize = 18;
constexpr std::size_t MaxMetafileBytes = std::size_t{1} << 28;

using TWmfReader = TByteReader<EInvalidGraphic>;

struct TBytesWriter {
    std::vector<std::uint8_t> bytes;
    void U16(std::uint32_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
};

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
    TBytesWriter out;
    out.U32(PlaceableKey);
    out.U16(0);
    out.U16(static_cast<std::uint16_t>(bounds_.Left));
    out.U16(static_cast<std::uint16_t>(bounds_.Top));
    out.U16(static_cast<std::uint16_t>(bounds_.Right));
    out.U16(static_cast<std::uint16_t>(bounds_.Bottom));
    out.U16(static_cast<std::uint16_t>(inch_));
    out.U32(0);
    out.U16(Checksum(out.bytes));
    out.U16(1);                          // metafile in memory
    out.U16(MetaHeaderSize / 2);         // header words
    out.U16(0x0300);                     // version
    out.U32(static_cast<std::uint32_t>((MetaHeaderSize + records_.size()) / 2));
    out.U16(objectCount_);
    out.U32(largestRecord_);
    out.U16(0);
    stream.WriteBuffer(out.bytes);
    stream.WriteBuffer(records_);
}

void TMetafile::RecordBitmap(const TBitmap& bitmap) {
    // Bounds and extents are signed 16-bit numbers in the file.
    if (bitmap.Width() > INT16_MAX || bitmap.Height() > INT16_MAX) throw EInvalidGraphic(std::string(TooLargeForMetafile));
    TMemoryStream file;
    WriteBmpStream(bitmap, file);
    // The record carries the device-independent bitmap without its 14-byte file header.
    const std::span<const std::uint8_t> dib = std::span(file.Bytes()).subspan(14);
    const auto w = static_cast<std::uint32_t>(bitmap.Width());
    const auto h = static_cast<std::uint32_t>(bitmap.Height());

    TBytesWriter out;
    auto record = [&](std::uint16_t function, std::initializer_list<std::uint16_t> params) {
        out.U32(static_cast<std::uint32_t>(3 + params.size()));
        out.U16(function);
        for (std::uint16_t p : params) out.U16(p);
    };
    record(wmf::SetMapMode, {wmf::MapModeAnisotropic});
    record(wmf::SetWindowOrg, {0, 0});
    record(wmf::SetWindowExt, {static_cast<std::uint16_t>(h), static_cast<std::uint16_t>(w)});
    const std::uint32_t blitWords = static_cast<std::uint32_t>(3 + 2 + 9 + (dib.size() + 1) / 2);
    out.U32(blitWords);
    out.U16(wmf::StretchDib);
    out.U32(wmf::SourceCopy);
    out.U16(0);  // colours are RGB values
    for (std::uint32_t v : {h, w, 0u, 0u, h, w, 0u, 0u}) out.U16(v);
    out.bytes.insert(out.bytes.end(), dib.begin(), dib.end());
    if (dib.size() & 1) out.bytes.push_back(0);
    record(wmf::Eof, {});

    records_ = std::move(out.bytes);
    bounds_ = {0, 0, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h)};
    inch_ = ScreenUnitsPerInch;
    placeable_ = true;
    width_ = static_cast<int>(w);
    height_ = static_cast<int>(h);
    objectCount_ = 0;
    largestRecord_ = blitWords;
}

}  // namespace pictorand
