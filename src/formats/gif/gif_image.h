// TGIFImage: a GIF file as a list of frames. Loading keeps every frame's compressed
// data and decodes the first into a palette TBitmap; assigning a TBitmap makes one
// frame, which saving reduces to 256 colours if needed and LZW-compresses.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/common/format_descriptor.h"
#include "graphics/bitmap.h"
#include "graphics/graphic.h"
#include "graphics/shared_image.h"

namespace pictorand {

class TRowBands;

struct TGifColorTable {
    int Count = 0;
    std::array<TRGBQuad, 256> Colors{};
};

// What copies of one GIF image share.
struct TGIFData {
    std::vector<std::string> Comment;
    TGifColorTable Global;
    int GlobalBits = 0;
    int ColorResolution = 0;
    std::uint8_t AspectRatio = 0;
};

enum class TGifExtensionKind : std::uint8_t { GraphicControl, PlainText, Application, Comment };

struct TGifExtension {
    TGifExtensionKind Kind;
    std::vector<std::uint8_t> Fixed;  // the bytes after the label before the sub-blocks
    std::vector<std::string> Lines;   // one per data sub-block
};

// One frame's encoded data and colour table.
struct TGIFItem {
    std::vector<std::uint8_t> Encoded;  // minimum code size, sub-blocks, terminator
    TGifColorTable Table;
    int Bits = 0;
    int Width = 0;
    int Height = 0;
    std::uint8_t Packed = 0;
};

struct TGIFFrame {
    TGIFFrame() = default;
    TGIFFrame(const TGIFFrame& other);
    TGIFFrame& operator=(const TGIFFrame& other);
    TGIFFrame(TGIFFrame&&) = default;
    TGIFFrame& operator=(TGIFFrame&&) = default;

    std::shared_ptr<TGIFItem> Item = std::make_shared<TGIFItem>();
    std::unique_ptr<TBitmap> Bitmap;
    std::vector<TGifExtension> Extensions;
    int Left = 0;
    int Top = 0;
    bool Interlaced = false;
    bool Corrupted = false;
    bool HasLocalTable = false;
    std::optional<TColor> TransparentColor;
    std::optional<int> TransparentIndex;  // the palette entry TransparentColor came from
    int DelayMs = 0;
    int Disposal = 0;
    // Read from a file, so its pixels can be decoded again from Item's data.
    bool FromData = false;
};

class TGIFImage : public TGraphic {
public:
    TGIFImage() { SetTransparent(true); }

    std::string_view ClassName() const override { return "TGIFImage"; }
    int Width() const override;
    int Height() const override;
    bool Empty() const override;
    // Always refused: "Cannot change the Size of a GIF image".
    void SetWidth(int width);
    void SetHeight(int height);

    // Reads the frames' data and sizes, decoding no pixels.
    void ReadFrames(TStream& stream);
    // Reads the frames and decodes the first.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Assign(const TGraphic& source) override;
    void AssignTo(TGraphic& dest) const override;
    // Hands the current frame's pixels over without copying them; the frame is decoded
    // again if it is asked for later.
    void ReleaseTo(TBitmap& dest) override;
    // Where the first frame's rows go, a band at a time, when it is stored row by row and
    // has no transparent colour; that frame is then not held, and nothing is handed over.
    const TRowSink* RowsTo = nullptr;
    bool Streamed() const { return streamed_; }

    const std::vector<TGIFFrame>& Frames() const { return frames_; }
    const TGIFData& Data() const { return data_.Data(); }
    int FrameIndex = -1;
    // The picture handed over keeps the transparent index as alpha rather than as a colour.
    bool KeepAlpha = false;
    int Version = 0;  // 1 "87a", 2 "89a"
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    std::optional<TColor> BackgroundColor;
    bool Looping = false;
    int RepeatCount = 1;
    bool Corrupted() const { return corrupted_; }

private:
    void Reset();
    void Parse(std::span<const std::uint8_t> bytes);
    void DecodeFrame(TGIFFrame& frame) const;
    void StreamFrame(TGIFFrame& frame);
    // Decodes the frame's rows into bitmap, or through bands into their band.
    void DecodeFrameRows(TGIFFrame& frame, TBitmap& bitmap, TRowBands* bands) const;
    void MarkTransparency(const TGIFFrame& frame, TBitmap& bitmap) const;
    void EncodeFrame(TGIFFrame& frame);
    void UpdateScreenSize();

    TSharedImage<TGIFData> data_;
    std::vector<TGIFFrame> frames_;
    bool corrupted_ = false;
    bool streamed_ = false;
};

}  // namespace pictorand
