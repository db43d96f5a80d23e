// TMetafile: Windows metafiles (placeable or plain WMF), loaded and played onto a raster.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/graphic.h"

namespace pictorand {

struct TMetafileBounds {
    std::int16_t Left = 0;
    std::int16_t Top = 0;
    std::int16_t Right = 0;
    std::int16_t Bottom = 0;
};

class TMetafile : public TGraphic {
public:
    static constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
    static constexpr int ScreenUnitsPerInch = 96;

    std::string_view ClassName() const override { return "TMetafile"; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return records_.empty(); }

    // Raises EInvalidGraphic for anything that is not a well-formed metafile.
    void LoadFromStream(TStream& stream) override;
    // Writes a placeable metafile: the 22-byte header, the metafile header and the records.
    void SaveToStream(TStream& stream) override;

    // Plays the records onto the canvas, the picture's bounds mapped to its pixel size
    // with the top-left corner at (x, y), over a white background.
    // Records that would touch the picture's pixels many hundred times over raise
    // EInvalidGraphic before they take minutes.
    void Draw(TBitmap& canvas, int x, int y) const override;
    // Plays the records onto the canvas with the picture's bounds mapped to width x height
    // pixels: a picture drawn at the size it is wanted at.
    void DrawAtSize(TBitmap& canvas, int width, int height) const;

    // The records after the metafile header, each a 32-bit word count, a function
    // number and its parameters, ending with the end-of-file record.
    const std::vector<std::uint8_t>& Records() const { return records_; }
    const TMetafileBounds& Bounds() const { return bounds_; }
    int UnitsPerInch() const { return inch_; }

    // Replaces the picture by records that draw bitmap once at (0, 0) at its own size.
    void RecordBitmap(const TBitmap& bitmap);

private:
    std::vector<std::uint8_t> records_;
    TMetafileBounds bounds_;
    int inch_ = ScreenUnitsPerInch;
    bool placeable_ = false;
    int width_ = 0;
    int height_ = 0;
    std::uint16_t objectCount_ = 0;
    std::uint32_t largestRecord_ = 0;
};

}  // namespace pictorand
