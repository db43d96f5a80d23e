// TPNGObject: a PNG file as an ordered list of chunks, built from a TBitmap and written
// with its image rows filtered and deflated into IDAT chunks.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/exceptions.h"
#include "graphics/graphic.h"
#include "formats/png/png_filters.h"

namespace pictorand {

class EPngError : public Exception {
public:
    using Exception::Exception;
};
class EPNGHeaderNotPresent : public EPngError {
public:
    using EPngError::EPngError;
};

enum class TInterlaceMode : std::uint8_t { NoInterlace = 0, Adam7 = 1 };

struct TPngHeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t CompressionMethod = 0;
    std::uint8_t FilterMethod = 0;
    std::uint8_t InterlaceMethod = 0;
};

class TPNGObject : public TGraphic {
public:
    static constexpr std::uint32_t MinimumIdatChunkLimit = 65535;

    std::string_view ClassName() const override { return "TPNGObject"; }
    int Width() const override { return HasHeader() ? static_cast<int>(header_.Width) : 0; }
    int Height() const override { return HasHeader() ? static_cast<int>(header_.Height) : 0; }
    bool Empty() const override { return chunks_.empty(); }
    // Always refused with EPngError.
    void SetWidth(int width);
    void SetHeight(int height);

    // Reading PNG files is the PNG reader's work; this object only writes them.
    void LoadFromStream(TStream& stream) override;
    // The signature, then every chunk in order; image rows go into IDAT chunks.
    void SaveToStream(TStream& stream) override;

    void Assign(const TGraphic& source) override;

    // Raises EPNGHeaderNotPresent when there is no image.
    const TPngHeader& Header() const;

    TFilterSet FilterSet = FilterBit(TPngFilter::Sub);
    int DeflateLevel = 7;
    TInterlaceMode InterlaceMode = TInterlaceMode::NoInterlace;
    std::uint32_t IdatChunkLimit() const { return idatChunkLimit_; }
    // Values below 65535 store 65535.
    void SetIdatChunkLimit(std::uint32_t limit);

private:
    enum class TChunkKind { IHDR, PLTE, tRNS, IDAT, IEND };
    struct TChunk {
        TChunkKind Kind;
        std::vector<std::uint8_t> Data;  // PLTE and tRNS
    };

    bool HasHeader() const { return !chunks_.empty() && chunks_.front().Kind == TChunkKind::IHDR; }
    void AssignBitmap(const TBitmap& bitmap);
    void WriteImageData(TStream& stream) const;
    std::size_t BytesPerRow(std::uint32_t width) const;
    std::size_t FilterOffset() const;

    std::vector<TChunk> chunks_;
    TPngHeader header_;
    // The image as the header holds it: rows top first, packed indexes or 24-bit
    // blue-green-red, with the colour table of palette images.
    TBitmap image_;
    std::uint32_t idatChunkLimit_ = MinimumIdatChunkLimit;
};

// Writes one chunk: length, name, data and the CRC-32 of name and data.
void WritePngChunk(TStream& stream, const char name[4], std::span<const std::uint8_t> data);

}  // namespace pictorand
