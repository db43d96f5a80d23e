// Loading one source: the reader is chosen by the file's extension through the format
// table, and by the file's first bytes when that reader refuses it; its picture becomes
// the source raster.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "engine/prepared_file.h"
#include "formats/common/cmyk_to_bgr.h"
#include "engine/run_host.h"
#include "graphics/bitmap.h"

namespace pictorand {

// What the run would like from the readers beside the classic picture.
struct TLoadWishes {
    // Alpha the readers would otherwise drop.
    bool KeepAlpha = false;
    // CMYK pictures through this instead of the readers' fixed formula when set.
    TCmykToBgr CmykToBgr;
    // Threads a large JPEG source may be decoded on.
    int Threads = 1;
    // For a JPEG source of the given size, the target size it will be scaled to (nothing
    // when it is not scaled); the source is then decoded no larger than it needs to be.
    std::function<std::optional<std::pair<int, int>>(int width, int height)> ShrinkTo;
};

// Loads the file by its extension into a new raster. On failure shows
// "Невозможно загрузить файл <name>!" and answers the reason without a raster. An
// extension no format reads, or a file that holds an empty picture, is such a failure.
TStageRaster CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host, const TLoadWishes& wishes = {});

// The largest of 8, 4 and 2 that divides width x height (rounding up) to no less than
// targetWidth x targetHeight; 1 when none does.
int ShrinkDenominator(int width, int height, int targetWidth, int targetHeight);

}  // namespace pictorand
