// The BMP row's writer. BMP is the raster's own file format: a TBitmap loads BMP files
// itself and the codec lives beside it.
#pragma once

#include "formats/format_table.h"

namespace pictorand {

void WriteBmpFile(TStream& stream, const TBitmap& raster, const TWriteOptions& options);

}  // namespace pictorand
