// The libjpeg calls behind TJPEGImage: header reading, decoding into a TBitmap and
// encoding a TBitmap. Fatal library errors become EJPEG "JPEG error #%d: text" with the
// library's message code and its own text; the library never exits the process.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/common/cmyk_to_bgr.h"

#include "graphics/bitmap.h"
#include "graphics/row_bands.h"
#include "graphics/exceptions.h"

namespace pictorand {

class EJPEG : public EInvalidGraphic {
public:
    // The library's text, or the unformatted one of its table when none is given.
    explicit EJPEG(int messageCode, std::string_view libraryText = {});
    int MessageCode() const { return code_; }

private:
    int code_;
};

struct TJpegHeader {
    int Width = 0;
    int Height = 0;
    bool Grayscale = false;
    bool Progressive = false;
};

struct TJpegDecodeParameters {
    int ScaleDenominator = 1;  // 1, 2, 4 or 8
    bool Smoothing = true;
    bool Grayscale = false;    // decode as one grey component
    bool Depth8 = false;       // quantise colour images to 236 colours
    bool PreferSpeed = false;  // fast integer DCT, one-pass ordered dithering
    // The integer DCT and chroma upsampling merged with the colour conversion, for a
    // picture that is scaled down further anyway.
    bool Thumbnail = false;
    // Four-component pictures through this instead of the fixed formula when set.
    TCmykToBgr CmykToBgr;
    // Threads a large picture may be decoded on; the rows are the same for any number.
    int Threads = 1;
    // Where what a user should know of the file goes (that it ends early); none when null.
    std::vector<std::string>* Warnings = nullptr;
    // When set, the rows go to this sink a band at a time where the decode allows it (not
    // through the two-pass colour quantiser, nor where a picture small enough to hold is
    // decoded in two parts at once), and the bitmap returned holds only the last band.
    const TRowSink* RowsTo = nullptr;
    // Set to whether the rows went to RowsTo; may be null.
    bool* Streamed = nullptr;
};

struct TJpegEncodeParameters {
    int Quality = 90;
    bool Grayscale = false;
    bool Progressive = false;
};

TJpegHeader ReadJpegHeader(std::span<const std::uint8_t> data);

// Grey files (and Depth8) give an 8-bit bitmap of at most 236 colours with the
// library's colour map as palette; colour files a 24-bit bitmap.
TBitmap DecodeJpeg(std::span<const std::uint8_t> data, const TJpegDecodeParameters& parameters);

// An empty bitmap encodes to no bytes at all.
TByteBuffer EncodeJpeg(const TBitmap& bitmap, const TJpegEncodeParameters& parameters);

}  // namespace pictorand
