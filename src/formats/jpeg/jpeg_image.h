// TJPEGImage: a JPEG file held as its compressed bytes, decoded into a TBitmap only
// when pixels are asked for and encoded from a TBitmap on request. Saving writes the
// kept bytes, so saving twice writes the same file.
#pragma once

#include <memory>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/graphic.h"
#include "graphics/shared_image.h"
#include "formats/jpeg/jpeg_codec.h"

namespace pictorand {

// What copies of one JPEG object share: the file bytes and what its header says.
struct TJPEGData {
    TByteBuffer Compressed;
    bool HasData = false;
    int Width = 0;
    int Height = 0;
    bool Grayscale = false;
};

enum class TJPEGPerformance { PreferQuality, PreferSpeed };
enum class TJPEGPixelFormat { Depth24, Depth8 };
enum class TJPEGScale { FullSize, Half, Quarter, Eighth };

struct TJpegOptions {
    int Quality = 90;
    bool Grayscale = false;
    TJPEGPerformance SpeedMode = TJPEGPerformance::PreferQuality;
    // The display here is always deeper than 8 bits per pixel.
    TJPEGPixelFormat OutputDepth = TJPEGPixelFormat::Depth24;
    bool Progressive = false;
    TJPEGScale ScaleFactor = TJPEGScale::FullSize;
    bool Smoothing = true;
    // CMYK pictures through this instead of the fixed formula when set.
    TCmykToBgr CmykToBgr;
    // Decoded for a thumbnail: faster DCT and chroma upsampling, a little less exact.
    bool Thumbnail = false;
    // Threads a large picture may be decoded on, with the same result for any number.
    int Threads = 1;
    // When set, the decode may give its rows to this sink a band at a time instead of
    // holding them; TJPEGImage::Streamed() tells whether it did.
    const TRowSink* RowsTo = nullptr;
};

class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;

    std::string_view ClassName() const override { return "TJPEGImage"; }
    int Width() const override;
    int Height() const override;
    bool Empty() const override;
    // Always refused: "Cannot change the size of a JPEG image".
    void SetWidth(int width);
    void SetHeight(int height);

    void LoadFromStream(TStream& stream) override;
    // Encodes first when there are no compressed bytes yet.
    void SaveToStream(TStream& stream) override;

    void Assign(const TGraphic& source) override;
    void AssignTo(TGraphic& dest) const override;
    void ReleaseTo(TBitmap& dest) override;

    void EncodeJpeg();
    void DecodeToBitmap();

    TJpegOptions Options;
    const TJPEGData& Data() const { return image_.Data(); }
    bool SharesDataWith(const TJPEGImage& other) const { return image_.SharesWith(other.image_); }
    // Whether the last decode gave its rows to Options.RowsTo; the bitmap then holds a band.
    bool Streamed() const { return streamed_; }

private:
    TSharedImage<TJPEGData> image_;
    std::unique_ptr<TBitmap> bitmap_;
    bool streamed_ = false;
};

}  // namespace pictorand
