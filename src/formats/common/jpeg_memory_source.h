// The libjpeg data source of every JPEG decoder here: bytes in memory, handed to the
// library in blocks of at most a given size. Past the end it supplies an end-of-image
// marker, as libjpeg asks of a source, and notes that the data ran out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

#include <jpeglib.h>

namespace pictorand {

struct TJpegMemorySource {
    jpeg_source_mgr pub;
    std::span<const std::uint8_t> Data;
    std::size_t Position;
    std::size_t Block;
    // A whole JPEG file: no data at all is an error, and data that ends early a warning.
    bool WholeFile;
    // The data ran out and the end-of-image marker was supplied.
    bool Ended;
};

// Points the decompressor at data through source, which must outlive the decompression.
void AttachMemorySource(jpeg_decompress_struct& info, TJpegMemorySource& source, std::span<const std::uint8_t> data,
                        std::size_t block, bool wholeFile);

}  // namespace pictorand
