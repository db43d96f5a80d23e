#include "graphics/raster_limits.h"

#include <atomic>

namespace pictorand {

namespace {
std::atomic<std::int64_t> maxRasterPixels{DefaultMaxRasterPixels};
}  // namespace

std::int64_t MaxRasterPixels() { return maxRasterPixels.load(std::memory_order_relaxed); }
void SetMaxRasterPixels(std::int64_t pixels) { maxRasterPixels.store(pixels, std::memory_order_relaxed); }

}  // namespace pictorand
