#include "formats/jpeg/jpeg_image.h"

#include <string>

#include "graphics/exceptions.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {
constexpr std::string_view CannotResize = "Cannot change the size of a JPEG image";
constexpr std::size_t MaxJpegBytes = std::size_t{1} << 30;
}  // namespace

int TJPEGImage::Width() const {
    if (bitmap_) return bitmap_->Width();
    const int denominator = 1 << static_cast<int>(Options.ScaleFactor);
    return (image_.Data().Width + denominator - 1) / denominator;
}

int TJPEGImage::Height() const {
    if (bitmap_) return bitmap_->Height();
    const int denominator = 1 << static_cast<int>(Options.ScaleFactor);
    return (image_.Data().Height + denominator - 1) / denominator;
}

bool TJPEGImage::Empty() const {
    if (image_.Data().HasData) return false;
    return !bitmap_ || bitmap_->Empty();
}

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation(std::string(CannotResize)); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation(std::string(CannotResize)); }

void TJPEGImage::LoadFromStream(TStream& stream) {
    image_.Detach();
    bitmap_.reset();
    TJPEGData& data = image_.MutableData();
    data.Compressed = stream.ReadRemaining(MaxJpegBytes);
    data.HasData = true;
    if (!data.Compressed.empty()) {
        const TJpegHeader header = ReadJpegHeader(data.Compressed);
        data.Width = header.Width;
        data.Height = header.Height;
        data.Grayscale = header.Grayscale;
        Options.Progressive = header.Progressive;
    }
}

void TJPEGImage::SaveToStream(TStream& stream) {
    if (!image_.Data().HasData) EncodeJpeg();
    stream.WriteBuffer(image_.Data().Compressed);
}

void TJPEGImage::Assign(const TGraphic& source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        image_.Detach();
        bitmap_ = std::make_unique<TBitmap>();
        bitmap_->Assign(*bitmap);
        return;
    }
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
        if (jpeg == this) return;
        image_.ShareWith(jpeg->image_);
        bitmap_ = jpeg->bitmap_ ? std::make_unique<TBitmap>(*jpeg->bitmap_) : nullptr;
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TGraphic& dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        const_cast<TJPEGImage*>(this)->DecodeToBitmap();
        bitmap->Assign(*bitmap_);
        return;
    }
    TGraphic::AssignTo(dest);
}

void TJPEGImage::ReleaseTo(TBitmap& dest) {
    DecodeToBitmap();
    const TProgressEvent progress = dest.OnProgress;
    dest = std::move(*bitmap_);
    dest.OnProgress = progress;
    bitmap_.reset();
}

void TJPEGImage::EncodeJpeg() {
    image_.Detach();
    TJPEGData& data = image_.MutableData();
    data.HasData = true;
    if (!bitmap_ || bitmap_->Width() == 0 || bitmap_->Height() == 0) return;
    data.Width = bitmap_->Width();
    data.Height = bitmap_->Height();
    data.Grayscale = Options.Grayscale;
    Progress(TProgressStage::Starting, 0, {});
    data.Compressed = pictorand::EncodeJpeg(*bitmap_, {Options.Quality, Options.Grayscale, Options.Progressive});
    Progress(TProgressStage::Ending, 100, {});
}

void TJPEGImage::DecodeToBitmap() {
    if (bitmap_) return;
    TJpegDecodeParameters parameters;
    parameters.ScaleDenominator = 1 << static_cast<int>(Options.ScaleFactor);
    parameters.Smoothing = Options.Smoothing;
    parameters.Grayscale = Options.Grayscale;
    parameters.Depth8 = Options.OutputDepth == TJPEGPixelFormat::Depth8;
    parameters.PreferSpeed = Options.SpeedMode == TJPEGPerformance::PreferSpeed;
    parameters.CmykToBgr = Options.CmykToBgr;
    parameters.Thumbnail = Options.Thumbnail;
    parameters.Threads = Options.Threads;
    parameters.Warnings = &Warnings;
    parameters.RowsTo = Options.RowsTo;
    parameters.Streamed = &streamed_;
    Progress(TProgressStage::Starting, 0, {});
    auto decoded = std::make_unique<TBitmap>(DecodeJpeg(image_.Data().Compressed, parameters));
    bitmap_ = std::move(decoded);
    Progress(TProgressStage::Ending, 100, {});
}

}  // namespace pictorand
