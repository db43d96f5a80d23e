#include "formats/png/png_inflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>

namespace pictorand {

namespace {

struct TDecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

}  // namespace

std::optional<std::vector<std::uint8_t>> InflateWhole(std::span<const std::uint8_t> zlib, std::size_t expected,
                                                      std::span<const std::size_t> chunkEnds) {
    if (expected == 0 || expected > WholeInflateLimit || zlib.empty()) return std::nullopt;
    const std::unique_ptr<libdeflate_decompressor, TDecompressorFree> decompressor(libdeflate_alloc_decompressor());
    if (!decompressor) return std::nullopt;
    std::vector<std::uint8_t> out(expected);
    std::size_t read = 0, written = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress_ex(decompressor.get(), zlib.data(), zlib.size(), out.data(), out.size(), &read, &written);
    if (result != LIBDEFLATE_SUCCESS || written != expected) return std::nullopt;
    if (std::find(chunkEnds.begin(), chunkEnds.end(), read) == chunkEnds.end()) return std::nullopt;
    return out;
}

}  // namespace pictorand
