// TPSPGraphic: Paint Shop Pro image files (major version 3 and later): the first raster
// layer of the layer bank.
#pragma once

#include "formats/common/graphic_ex.h"

namespace pictorand {

class TPSPGraphic : public TGraphicExGraphic {
public:
    std::string_view ClassName() const override { return "TPSPGraphic"; }
    bool CanLoadStream(TStream& stream) override;
    bool ReadImageProperties(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override { TBitmap::SaveToStream(stream); }
};

}  // namespace pictorand
