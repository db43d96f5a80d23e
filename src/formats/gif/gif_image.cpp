// The GIF image object: its frames, loading, and assignment to and from rasters.
#include "formats/gif/gif_image.h"

#include <algorithm>

#include "graphics/indexed_alpha.h"
#include "graphics/raster_limits.h"

#include "formats/gif/gif_blocks.h"

namespace pictorand {

using namespace gif;

TGIFFrame::TGIFFrame(const TGIFFrame& other)
    : Item(other.Item), Bitmap(other.Bitmap ? std::make_unique<TBitmap>(*other.Bitmap) : nullptr), Extensions(other.Extensions),
      Left(other.Left), Top(other.Top), Interlaced(other.Interlaced), Corrupted(other.Corrupted), HasLocalTable(other.HasLocalTable),
      TransparentColor(other.TransparentColor), TransparentIndex(other.TransparentIndex), DelayMs(other.DelayMs), Disposal(other.Disposal), FromData(other.FromData) {}

TGIFFrame& TGIFFrame::operator=(const TGIFFrame& other) {
    if (this != &other) *this = TGIFFrame(other);
    return *this;
}

int TGIFImage::Width() const {
    if (FrameIndex < 0 || static_cast<std::size_t>(FrameIndex) >= frames_.size()) return 0;
    const TGIFFrame& frame = frames_[static_cast<std::size_t>(FrameIndex)];
    return frame.Bitmap ? frame.Bitmap->Width() : frame.Item->Width;
}

int TGIFImage::Height() const {
    if (FrameIndex < 0 || static_cast<std::size_t>(FrameIndex) >= frames_.size()) return 0;
    const TGIFFrame& frame = frames_[static_cast<std::size_t>(FrameIndex)];
    return frame.Bitmap ? frame.Bitmap->Height() : frame.Item->Height;
}

bool TGIFImage::Empty() const { return frames_.empty(); }

void TGIFImage::SetWidth(int) { Fail(CannotResize); }
void TGIFImage::SetHeight(int) { Fail(CannotResize); }

void TGIFImage::Reset() {
    data_.Detach();
    frames_.clear();
    FrameIndex = -1;
    Version = 0;
    ScreenWidth = ScreenHeight = 0;
    BackgroundColor.reset();
    Looping = false;
    RepeatCount = 1;
    corrupted_ = false;
    streamed_ = false;
}

void TGIFImage::ReadFrames(TStream& stream) {
    Reset();
    const TByteBuffer bytes = stream.ReadRemaining(MaxGifBytes);
    if (bytes.empty()) return;
    Parse(bytes);
    if (!frames_.empty()) FrameIndex = 0;
}

void TGIFImage::LoadFromStream(TStream& stream) {
    ReadFrames(stream);
    if (frames_.empty()) return;
    try {
        TGIFFrame& first = frames_.front();
        if (RowsTo && !first.Interlaced && !first.TransparentColor) StreamFrame(first);
        else DecodeFrame(first);
    } catch (...) {
        frames_.erase(frames_.begin());
        FrameIndex = frames_.empty() ? -1 : 0;
        throw;
    }
}

void TGIFImage::AssignTo(TGraphic& dest) const {
    auto* bitmap = dynamic_cast<TBitmap*>(&dest);
    if (!bitmap) {
        TGraphic::AssignTo(dest);
        return;
    }
    if (FrameIndex < 0 || static_cast<std::size_t>(FrameIndex) >= frames_.size()) {
        bitmap->Assign(TBitmap());
        return;
    }
    TGIFFrame& frame = const_cast<TGIFFrame&>(frames_[static_cast<std::size_t>(FrameIndex)]);
    DecodeFrame(frame);
    bitmap->Assign(*frame.Bitmap);
    MarkTransparency(frame, *bitmap);
}

void TGIFImage::ReleaseTo(TBitmap& dest) {
    if (streamed_) {
        dest.Assign(TBitmap());
        return;
    }
    // A frame made from a raster has no data to decode it from again, so it is copied.
    if (FrameIndex < 0 || static_cast<std::size_t>(FrameIndex) >= frames_.size() || !frames_[static_cast<std::size_t>(FrameIndex)].FromData) {
        TGraphic::ReleaseTo(dest);
        return;
    }
    TGIFFrame& frame = frames_[static_cast<std::size_t>(FrameIndex)];
    DecodeFrame(frame);
    frame.Bitmap->ReleaseTo(dest);
    frame.Bitmap.reset();
    MarkTransparency(frame, dest);
}

void TGIFImage::MarkTransparency(const TGIFFrame& frame, TBitmap& bitmap) const {
    // Where alpha is kept, transparency follows the index: another entry of the same colour
    // stays opaque.
    if (KeepAlpha && frame.TransparentIndex && IsIndexed(bitmap.PixelFormat())) {
        std::vector<std::uint8_t> alphaOfIndex(static_cast<std::size_t>(*frame.TransparentIndex) + 1, 255);
        alphaOfIndex.back() = 0;
        AlphaFromIndexes(bitmap, alphaOfIndex);
        return;
    }
    if (frame.TransparentColor) {
        const TPalette& palette = bitmap.Palette();
        const TColor shown = IsIndexed(bitmap.PixelFormat()) && !palette.empty()
                                 ? palette[NearestPaletteIndex(palette, *frame.TransparentColor)].Color()
                                 : *frame.TransparentColor;
        bitmap.SetTransparentColor(shown);
        bitmap.SetTransparent(true);
    }
}

void TGIFImage::Assign(const TGraphic& source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        Reset();
        TGIFFrame frame;
        if (!bitmap->Empty()) {
            frame.Bitmap = std::make_unique<TBitmap>(*bitmap);
            frame.Bitmap->OnProgress = nullptr;
            if (bitmap->Transparent()) frame.TransparentColor = bitmap->TransparentColor();
        }
        frames_.push_back(std::move(frame));
        FrameIndex = 0;
        Version = 1;
        UpdateScreenSize();
        return;
    }
    if (const auto* gif = dynamic_cast<const TGIFImage*>(&source)) {
        if (gif == this) return;
        data_.ShareWith(gif->data_);
        Version = gif->Version;
        BackgroundColor = gif->BackgroundColor;
        Looping = gif->Looping;
        RepeatCount = gif->RepeatCount;
        corrupted_ = gif->corrupted_;
        ScreenWidth = gif->ScreenWidth;
        ScreenHeight = gif->ScreenHeight;
        FrameIndex = gif->FrameIndex;
        frames_ = gif->frames_;
        return;
    }
    TGraphic::Assign(source);
}

void TGIFImage::UpdateScreenSize() {
    ScreenWidth = ScreenHeight = 0;
    for (const TGIFFrame& f : frames_) {
        const int w = f.Bitmap ? f.Bitmap->Width() : f.Item->Width, h = f.Bitmap ? f.Bitmap->Height() : f.Item->Height;
        ScreenWidth = std::max(ScreenWidth, f.Left + w);
        ScreenHeight = std::max(ScreenHeight, f.Top + h);
    }
}

}  // namespace pictorand
