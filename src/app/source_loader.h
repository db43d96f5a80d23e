// Loading one source: the reader is chosen by the file's extension alone and its
// picture copied into a fresh SourceBitmap.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "app/run_state.h"
#include "graphics/graphic.h"

namespace pictorand {

// How a row's picture reaches SourceBitmap.
enum class TSourceKind {
    Bitmap,    // SourceBitmap loads the file itself
    Decoded,   // the reader loads the file and is assigned to SourceBitmap
    Metafile,  // the metafile is drawn onto a SourceBitmap of its size
};

// One row of the loading dispatch table.
struct TSourceReader {
    std::string_view Extensions[2];
    TSourceKind Kind;
    // Creates the reader's image object (unused for rows the bitmap loads itself).
    std::unique_ptr<TGraphic> (*Create)();
};

// The rows in the order they are tried (upper-case extensions).
std::span<const TSourceReader> SourceReaders();
// The row for an extension (compared with its ASCII letters upper-cased), or null.
const TSourceReader* FindSourceReader(std::string_view extension);

// Loads CurrentSourcePath by CurrentExt into a new SourceBitmap; on failure shows
// "Невозможно загрузить файл <name>!" and sets LoadFailed. An extension no row knows
// loads nothing and is no failure.
void CheckAndLoadFromFile(TRunState& state);

}  // namespace pictorand
