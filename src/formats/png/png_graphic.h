// TPNGGraphic: Portable Network Graphics files read into the bitmap: the chunk walk with
// CRC checks, inflation across IDAT chunks, the row filters and Adam7.
#pragma once

#include <optional>
#include <vector>

#include "formats/common/decoders.h"
#include "formats/common/format_descriptor.h"
#include "formats/common/graphic_ex.h"
#include "formats/png/png_inflate.h"

namespace pictorand {

class TPNGGraphic : public TGraphicExGraphic {
public:
    std::string_view ClassName() const override { return "TPNGGraphic"; }
    bool CanLoadStream(TStream& stream) override;
    bool ReadImageProperties(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override { TBitmap::SaveToStream(stream); }

    // Where the rows of a picture whose stored rows take more than StreamFrom bytes (by
    // default those too large to inflate whole) go, a band at a time, when it is stored
    // row by row and has no transparency; the raster then holds one band.
    const TRowSink* RowsTo = nullptr;
    std::size_t StreamFrom = WholeInflateLimit;
    bool Streamed() const { return streamed_; }

private:
    struct TChunkHeader {
        std::uint32_t Length = 0;
        std::uint32_t Type = 0;  // with bit 5 of every byte cleared
        std::uint32_t RawType = 0;
    };

    TChunkHeader ReadChunkHeader(TStream& stream);
    // Reads the chunk's data and CRC; a mismatch raises the CRC message.
    void ReadChunkData(TStream& stream);
    // The image data chunk's bytes; answers false, with what there is and no CRC check,
    // when the file ends inside the chunk.
    bool ReadImageChunkData(TStream& stream);
    void SkipChunkData(TStream& stream);
    void SetupColorDescription();
    void ReadBackground();
    void LeaveGammaToTheProfile();
    void ReadTransparency();
    void DecodeImage(TStream& stream);
    // Where alpha is kept: clears the mask of the pixels of an unfiltered row (count
    // pixels from firstX, stepX apart) whose stored samples equal the tRNS key.
    void MaskKeyedPixels(const std::uint8_t* samples, std::uint32_t y, std::uint32_t firstX, std::uint32_t stepX, std::size_t count);
    // Turns the picture into 32 bits with the alpha of its palette entries or key mask.
    void ApplyTransparency();
    // Fills row with inflated bytes; answers false when the image data ran out.
    bool InflateRow(TStream& stream, std::uint8_t* row, std::size_t size);
    void ReleaseTakenRows();
    // Reads the image data chunks that follow into data_ as one, noting where each ended,
    // as InflateRow would read them one by one (a file that ends inside them is cut
    // short there); the chunk after them is the current one.
    void GatherImageData(TStream& stream);

    std::uint8_t bitDepth_ = 0, colorType_ = 0, compression_ = 0, interlace_ = 0;
    TChunkHeader current_;
    std::vector<std::uint8_t> data_;
    std::unique_ptr<TLZ77Decoder> decoder_;
    std::size_t idatAt_ = 0;
    // Where each gathered image data chunk ends in data_; empty when chunks are read one by one.
    std::vector<std::size_t> idatEnds_;
    // The rows inflated whole, and how far they have been handed out.
    std::vector<std::uint8_t> inflated_;
    std::size_t inflatedAt_ = 0;
    // Where the memory of the rows already taken was last given back.
    std::size_t inflatedReleased_ = 0;
    bool idatConsumed_ = true;
    bool truncated_ = false;
    bool imageSeen_ = false;
    bool streamed_ = false;
    std::size_t sourceBpp_ = 1;
    TPalette palette_;
    bool described_ = false;
    TColor background_ = clWhite;
    std::optional<TColor> transparent_;
    // tRNS as stored: a palette's alpha per entry, or the key's samples (grey, or red,
    // green and blue) at the file's depth.
    std::vector<std::uint8_t> paletteAlpha_;
    std::vector<std::uint16_t> keySamples_;
    // With alpha kept and a key: 0 for the keyed pixels, 255 for the others, row by row.
    std::vector<std::uint8_t> keyMask_;
    bool profileSeen_ = false;  // an iCCP chunk came before the image data
    bool srgbSeen_ = false;
    std::vector<std::uint8_t> chrm_, gama_;  // the chunks' data, as stored
};

}  // namespace pictorand
