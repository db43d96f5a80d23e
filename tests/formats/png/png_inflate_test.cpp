// The read side of PNG's image data: whole-buffer inflation takes a stream only when it
// gives exactly the rows and ends where a chunk ends, and the filters undone (the vector
// Paeth path among them) give back what the writer's filters were given.
#include "formats/png/png_inflate.h"
#include "formats/png/png_filters.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <numeric>

namespace pictorand {
namespace {

std::vector<std::uint8_t> Deflated(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> packed(compressBound(static_cast<uLong>(bytes.size())));
    uLongf size = static_cast<uLongf>(packed.size());
    compress(packed.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()));
    packed.resize(size);
    return packed;
}

TEST(PngInflate, TakesOnlyAStreamOfExactlyTheRowsEndingAtAChunkEnd) {
    std::vector<std::uint8_t> rows(5000);
    std::iota(rows.begin(), rows.end(), 0);
    const auto stream = Deflated(rows);
    const std::vector<std::size_t> oneChunk = {stream.size()};
    EXPECT_EQ(InflateWhole(stream, rows.size(), oneChunk), rows);
    const std::vector<std::size_t> split = {10, stream.size() / 2, stream.size()};
    EXPECT_EQ(InflateWhole(stream, rows.size(), split), rows) << "chunks of any size";

    EXPECT_FALSE(InflateWhole(stream, rows.size() - 1, oneChunk)) << "more data than rows";
    EXPECT_FALSE(InflateWhole(stream, rows.size() + 1, oneChunk)) << "fewer";
    auto longer = stream;
    longer.insert(longer.end(), {1, 2, 3});
    EXPECT_FALSE(InflateWhole(longer, rows.size(), std::vector<std::size_t>{longer.size()})) << "ends inside its chunk";
    EXPECT_EQ(InflateWhole(longer, rows.size(), std::vector<std::size_t>{stream.size(), longer.size()}), rows)
        << "a chunk after the stream's end is the streaming reader's to discard";
    auto damaged = stream;
    damaged[damaged.size() - 1] ^= 1;  // the Adler-32 check
    EXPECT_FALSE(InflateWhole(damaged, rows.size(), std::vector<std::size_t>{damaged.size()}));
    EXPECT_FALSE(InflateWhole(std::span(stream).first(stream.size() / 2), rows.size(), std::vector<std::size_t>{stream.size() / 2}))
        << "cut short";
}

// Rows of every pixel width through every filter and back.
TEST(PngUnfilter, EveryFilterAndPixelWidthGivesBackTheRow) {
    std::uint32_t seed = 7;
    auto next = [&seed] { return static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 23); };
    for (const std::size_t bpp : {1u, 2u, 3u, 4u, 6u, 8u}) {
        const std::size_t bytes = bpp * 37;
        for (const TPngFilter filter : {TPngFilter::None, TPngFilter::Sub, TPngFilter::Up, TPngFilter::Average, TPngFilter::Paeth}) {
            TRowFilter writer(FilterBit(filter), bytes, bpp);
            std::vector<std::uint8_t> previous(bytes + 1, 0);
            for (int y = 0; y < 4; ++y) {
                std::vector<std::uint8_t> row(bytes);
                for (auto& b : row) b = y == 2 ? 255 : next();  // a row of 255 tests the wrap-around
                TPngFilter chosen;
                const auto filtered = writer.Apply(row, chosen);
                std::vector<std::uint8_t> stored = {static_cast<std::uint8_t>(chosen)};
                stored.insert(stored.end(), filtered.begin(), filtered.end());
                Unfilter(stored.data(), previous.data(), stored.size(), bpp);
                ASSERT_EQ(std::vector<std::uint8_t>(stored.begin() + 1, stored.end()), row) << "bpp " << bpp << " filter " << int(filter) << " row " << y;
                previous = stored;
            }
        }
    }
}

}  // namespace
}  // namespace pictorand
