// TPSDGraphic: the merged image of a Photoshop (PSD, PDD) file.
#pragma once

#include "formats/common/graphic_ex.h"

namespace pictorand {

class TPSDGraphic : public TGraphicExGraphic {
public:
    std::string_view ClassName() const override { return "TPSDGraphic"; }
    bool CanLoadStream(TStream& stream) override;
    bool ReadImageProperties(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override { TBitmap::SaveToStream(stream); }
};

}  // namespace pictorand
