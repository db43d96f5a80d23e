// TTIFFGraphic: the first image of a TIFF file, in strips or tiles, with its samples
// interleaved or in separate planes, in either byte order.
#pragma once

#include <functional>
#include <optional>
#include <memory>
#include <string_view>
#include <vector>

#include "graphics/row_bands.h"
#include "graphics/stream.h"
#include "graphics/zeroed_buffer.h"
#include "formats/common/decoders.h"
#include "formats/common/graphic_ex.h"
#include "formats/common/tiff_directory.h"

namespace pictorand {

class TTIFFGraphic : public TGraphicExGraphic {
public:
    std::string_view ClassName() const override { return "TTIFFGraphic"; }
    bool CanLoadStream(TStream& stream) override;
    bool ReadImageProperties(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override { TBitmap::SaveToStream(stream); }

    // Receives the JPEG decoder's warnings.
    std::function<void(std::string_view)> OnWarning;
    // When set, a picture without alpha goes to this sink a band of rows at a time and
    // the raster keeps only one band; Streamed() tells whether it did.
    const TRowSink* RowsTo = nullptr;
    bool Streamed() const { return streamed_; }

private:

    // How the picture is cut into strips or tiles.
    struct TChunkLayout {
        bool Tiled = false;
        std::uint32_t Width = 0, Length = 0;  // pixels across and rows of one chunk
        std::uint32_t Across = 0, Bands = 0;  // chunks across the picture and down it
        std::uint32_t Planes = 1;             // separate sample planes, or 1 when interleaved
        std::uint32_t SampleBits = 0;         // bits of one pixel within a chunk
        std::size_t LineBytes = 0;            // bytes of one decoded chunk row
        bool YCbCrBlocks = false;             // stored as subsampled YCbCr blocks
    };

    bool ParseProperties(int imageIndex);
    std::int64_t MaxExpansion() const;
    void SetUpColors();
    TChunkLayout ChunkLayout() const;
    std::unique_ptr<TDecoder> CreateDecoder(std::uint32_t width);
    bool DecodeChunk(const TChunkLayout& layout, std::size_t index, std::size_t firstRow, std::size_t rows, TDecoder* decoder);
    void ReadChunks(const TChunkLayout& layout, TDecoder* decoder);
    void ConvertRow(std::uint8_t* line, int row, TRowBands* bands);
    const TTiffEntry* Find(std::uint16_t tag) const { return directory_ ? directory_->Find(tag) : nullptr; }
    std::uint32_t ReadInteger(std::uint16_t tag, std::uint32_t fallback) const;
    double ReadReal(std::uint16_t tag, double fallback) const;
    std::vector<double> ReadValues(std::uint16_t tag) const;
    TTiffStructure Structure() const { return TTiffStructure(file_.Span()); }
    bool BigEndian() const { return (properties_.Options & image_options::BigEndian) != 0; }

    TStreamBytes file_;
    bool streamed_ = false;
    std::optional<TTiffDirectory> directory_;
    bool associatedAlpha_ = false;
    bool signedSamples_ = false;
    std::vector<double> chunkOffsets_, chunkCounts_;
    std::vector<std::uint8_t> chunk_, blocks_, reversed_;
};

}  // namespace pictorand
