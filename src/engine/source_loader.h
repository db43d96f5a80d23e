// Loading one source: the reader is chosen by the file's extension alone, through the
// format table, and its picture becomes the source raster.
#pragma once

#include <memory>

#include "engine/prepared_file.h"
#include "engine/run_host.h"
#include "graphics/bitmap.h"

namespace pictorand {

// Loads the file by its extension into a new raster. On failure shows
// "Невозможно загрузить файл <name>!" and answers null. An extension no format reads
// loads nothing: the raster stays empty and that is no failure.
std::unique_ptr<TBitmap> CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host);

}  // namespace pictorand
