// Decoding one GIF frame's LZW data into a palette raster.
#include "formats/gif/gif_image.h"

#include <algorithm>

#include "formats/common/graphic_ex.h"
#include "graphics/row_bands.h"
#include "formats/gif/gif_lzw.h"
#include "graphics/pixel_access.h"
#include "graphics/raster_limits.h"

#include "formats/gif/gif_blocks.h"

namespace pictorand {

using namespace gif;

void TGIFImage::DecodeFrame(TGIFFrame& frame) const {
    if (frame.Bitmap) return;
    auto bitmap = std::make_unique<TBitmap>();
    DecodeFrameRows(frame, *bitmap, nullptr);
    frame.Bitmap = std::move(bitmap);
}

void TGIFImage::StreamFrame(TGIFFrame& frame) {
    TBitmap band;
    TRowBands bands(band, *RowsTo, frame.Item->Height, true);
    DecodeFrameRows(frame, band, &bands);
    streamed_ = true;
}

void TGIFImage::DecodeFrameRows(TGIFFrame& frame, TBitmap& bitmap, TRowBands* bands) const {
    const TGIFItem& item = *frame.Item;
    int bits;
    if (item.Bits == 1) bits = 1;
    else if (item.Bits >= 2 && item.Bits <= 4) bits = 4;
    else if (item.Bits >= 5 && item.Bits <= 8) bits = 8;
    else Fail(WrongColorCount);

    const std::int64_t pixels = std::int64_t{item.Width} * item.Height;
    if (pixels > (static_cast<std::int64_t>(item.Encoded.size()) + 16) * MaxPixelsPerDataByte) Fail(TooLargeForData);
    bitmap.SetPixelFormat(bits == 1 ? TPixelFormat::pf1bit : bits == 4 ? TPixelFormat::pf4bit : TPixelFormat::pf8bit);
    TPalette palette(std::size_t{1} << bits, TRGBQuad{FillerGrey, FillerGrey, FillerGrey, 0});
    for (int i = 0; i < item.Table.Count && i < static_cast<int>(palette.size()); ++i) palette[static_cast<std::size_t>(i)] = item.Table.Colors[static_cast<std::size_t>(i)];
    bitmap.SetPalette(std::move(palette));
    bitmap.SetSize(item.Width, bands ? TRowBands::RowsFor(item.Height) : item.Height);

    // The data is decoded a row at a time straight into the raster; pixels it does not
    // reach keep index 0, and the user is told.
    TGifLzwDecoder decoder(item.Encoded);
    std::vector<std::uint8_t> indexes(static_cast<std::size_t>(item.Width));
    const std::uint32_t mask = (1u << item.Bits) - 1;
    auto storeRow = [&](int y) {
        const std::size_t reached = decoder.Decode(indexes);
        std::fill(indexes.begin() + static_cast<std::ptrdiff_t>(reached), indexes.end(), std::uint8_t{0});
        std::uint8_t* row = bands ? bands->Row(y) : bitmap.ScanLine(y);
        for (int x = 0; x < item.Width; ++x) WriteIndexPixel(row, x, bits, indexes[static_cast<std::size_t>(x)] & mask);
        if (bands) bands->Done(y);
    };
    // Interlaced frames store rows 0, 8, 16, ..., then 4, 12, ..., then 2, 6, ..., then 1, 3, ...
    constexpr int Passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    if (frame.Interlaced) {
        for (const auto& pass : Passes)
            for (int y = pass[0]; y < item.Height; y += pass[1]) storeRow(y);
    } else {
        for (int y = 0; y < item.Height; ++y) storeRow(y);
    }
    const TGifDecodeResult decoded = decoder.Result();
    if (decoded.Corrupted) frame.Corrupted = true;
    if (decoded.Written < static_cast<std::size_t>(pixels) && item.Width > 0) {
        Warnings.push_back(ReaderMessage(decoded.RanOut ? reader_messages::EndsEarlyRows : reader_messages::BreaksOffRows,
                                         std::to_string(decoded.Written / static_cast<std::size_t>(item.Width)), std::to_string(item.Height)));
    }
}

}  // namespace pictorand
