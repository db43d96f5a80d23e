// TTargaGraphic: Truevision Targa files, read into the bitmap and written run-length
// compressed.
#pragma once

#include "formats/common/format_descriptor.h"
#include "formats/common/graphic_ex.h"

namespace pictorand {

class TTargaGraphic : public TGraphicExGraphic {
public:
    std::string_view ClassName() const override { return "TTargaGraphic"; }
    bool CanLoadStream(TStream& stream) override;
    bool ReadImageProperties(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    // Writes the bitmap run-length compressed (types 9 and 10), or uncompressed (1, 2).
    void SaveToStream(TStream& stream) override;

    bool Compressed = true;
    // Where the rows of a picture without alpha go, a band at a time, when there is a sink;
    // the raster then holds one band.
    const TRowSink* RowsTo = nullptr;
    bool Streamed() const { return streamed_; }

private:
    // Makes the 15-bit raster 32-bit with the pixels' top bit as their alpha.
    void AttributeBitToAlpha();

    bool streamed_ = false;
};

}  // namespace pictorand
