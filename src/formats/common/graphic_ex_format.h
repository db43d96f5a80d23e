// Probing and decoding through the image objects of the classic readers, for the
// descriptors of their formats.
#pragma once

#include <algorithm>
#include <climits>
#include <span>
#include <type_traits>

#include "formats/common/format_descriptor.h"
#include "formats/common/graphic_ex.h"

namespace pictorand {

// The header's facts; an empty info when the reader does not understand the header,
// whose decode then says why.
template <class TReader>
TImageInfo ProbeHeader(std::span<const std::uint8_t> file) {
    TReader reader;
    TSpanStream stream(file);
    TImageInfo info;
    try {
        if (!reader.ReadImageProperties(stream, 0)) return info;
    } catch (const std::exception&) {
        return info;
    }
    const TImageProperties& p = reader.ImageProperties();
    info.Width = static_cast<int>(std::min<std::uint32_t>(p.Width, INT_MAX));
    info.Height = static_cast<int>(std::min<std::uint32_t>(p.Height, INT_MAX));
    info.BitsPerSample = p.BitsPerSample;
    info.HasAlpha = p.HasAlpha;
    return info;
}

// The facts of an image object whose loading keeps its data without decoding pixels (a
// GIF's frames, a metafile's records); an empty info when it does not load. more adds
// what only that object knows.
template <class TImage>
TImageInfo ProbeByLoading(std::span<const std::uint8_t> file, void (*more)(const TImage&, TImageInfo&) = nullptr) {
    TImageInfo info;
    try {
        TImage image;
        TSpanStream stream(file);
        image.LoadFromStream(stream);
        info.Width = image.Width();
        info.Height = image.Height();
        if (more) more(image, info);
    } catch (const std::exception&) {
    }
    return info;
}

// Decodes the file with the reader given, set up by the request.
template <class TReader>
TDecodedImage DecodeThrough(TReader& reader, std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    const TRasterCap cap(request.MaxPixels);
    if constexpr (std::is_base_of_v<TGraphicExGraphic, TReader>) {
        reader.KeepAlpha = request.KeepAlpha;
        reader.ProfileConverts = request.ProfileConverts;
        reader.CmykToBgr = request.CmykToBgr;
        reader.LabToBgr = request.LabToBgr;
        reader.Rgb16ToBgr = request.Rgb16ToBgr;
    } else if constexpr (requires { reader.KeepAlpha = true; }) {
        reader.KeepAlpha = request.KeepAlpha;
    }
    TSpanStream stream(file);
    reader.LoadFromStream(stream);
    TDecodedImage image;
    // A reader that is a raster hands its notes over with its pixels; one that decodes as
    // it hands over keeps them.
    reader.ReleaseTo(image.Raster);
    image.Warnings = std::move(image.Raster.Warnings);
    image.Warnings.insert(image.Warnings.end(), reader.Warnings.begin(), reader.Warnings.end());
    image.Raster.Warnings.clear();
    return image;
}

template <class TReader>
TDecodedImage DecodeWithReader(std::span<const std::uint8_t> file, const TDecodeRequest& request) {
    TReader reader;
    return DecodeThrough(reader, file, request);
}

// The same through a reader that can give its rows to a sink (RowsTo) and says whether it
// did (Streamed).
template <class TReader>
TDecodedImage DecodeRowsWithReader(std::span<const std::uint8_t> file, const TDecodeRequest& request, const TRowSink& rows) {
    TReader reader;
    reader.RowsTo = &rows;
    TDecodedImage image = DecodeThrough(reader, file, request);
    image.Streamed = reader.Streamed();
    if (image.Streamed) image.Raster = TBitmap();
    return image;
}

// A writer of the image objects that take a raster by assignment.
template <class TImage>
void EncodeAssigned(TStream& stream, const TBitmap& raster, const TWriteOptions&) {
    TImage image;
    image.Assign(raster);
    image.SaveToStream(stream);
}

}  // namespace pictorand
