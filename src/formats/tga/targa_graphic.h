// TTargaGraphic: Truevision Targa files, read into the bitmap and written run-length
// compressed.
#pragma once

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

private:
    // Makes the 15-bit raster 32-bit with the pixels' top bit as their alpha.
    void AttributeBitToAlpha();
};

}  // namespace pictorand
