// Loading one source: the reader is chosen by the file's extension through the format
// table, and by the file's first bytes when that reader refuses it; its picture becomes
// the source raster.
#pragma once

#include <memory>

#include "engine/prepared_file.h"
#include "engine/run_host.h"
#include "graphics/bitmap.h"

namespace pictorand {

// Loads the file by its extension into a new raster. On failure shows
// "Невозможно загрузить файл <name>!" and answers the reason without a raster. An
// extension no format reads, or a file that holds an empty picture, is such a failure.
// keepAlpha asks the readers for alpha they would otherwise drop.
TStageRaster CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host, bool keepAlpha = false);

}  // namespace pictorand
