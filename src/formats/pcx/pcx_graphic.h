// TPCXGraphic: ZSoft Paintbrush files read into the bitmap.
#pragma once

#include "formats/common/graphic_ex.h"
#include "graphics/row_bands.h"

namespace pictorand {

class TPCXGraphic : public TGraphicExGraphic {
public:
    std::string_view ClassName() const override { return "TPCXGraphic"; }
    bool CanLoadStream(TStream& stream) override;
    bool ReadImageProperties(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override { TBitmap::SaveToStream(stream); }

    // When set, a picture without alpha goes to this sink a band of rows at a time and
    // the raster keeps only one band; Streamed() tells whether it did.
    const TRowSink* RowsTo = nullptr;
    bool Streamed() const { return streamed_; }

private:
    bool streamed_ = false;
};

}  // namespace pictorand
