#include "formats/bmp/bmp_format.h"

#include "graphics/bmp_file.h"

namespace pictorand {

void WriteBmpFile(TStream& stream, const TBitmap& raster, const TWriteOptions&) { WriteBmpStream(raster, stream); }

}  // namespace pictorand
