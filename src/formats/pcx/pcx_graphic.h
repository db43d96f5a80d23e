// TPCXGraphic: ZSoft Paintbrush files read into the bitmap.
#pragma once

#include "formats/common/graphic_ex.h"

namespace pictorand {

class TPCXGraphic : public TGraphicExGraphic {
public:
    std::string_view ClassName() const override { return "TPCXGraphic"; }
    bool CanLoadStream(TStream& stream) override;
    bool ReadImageProperties(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override { TBitmap::SaveToStream(stream); }
};

}  // namespace pictorand
