// InflateWhole: a PNG's image data inflated in one call with libdeflate, for pictures whose
// rows fit a memory bound; what it cannot take whole is left to the streaming inflater.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pictorand {

// The most filtered bytes (all rows with their filter bytes) inflated in one buffer;
// larger pictures are inflated a row at a time.
inline constexpr std::size_t WholeInflateLimit = std::size_t{256} << 20;

// The zlib stream inflated, when it holds exactly `expected` bytes and ends where one of
// the chunks that carried it ends (chunkEnds: each chunk's end within zlib). Nothing when
// it is damaged, short, longer or ends inside a chunk: the streaming inflater then reads
// it as it always has, with its messages.
std::optional<std::vector<std::uint8_t>> InflateWhole(std::span<const std::uint8_t> zlib, std::size_t expected,
                                                      std::span<const std::size_t> chunkEnds);

}  // namespace pictorand
