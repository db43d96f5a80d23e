// TFormatDescriptor: everything the program knows of one file format, exported by the
// format's own folder and listed once in the format table. Readers probe first (the
// header's facts, no pixels) and then decode (the raster with the same facts); writers
// take a raster and the write options. Nothing outside a format's folder names it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/common/cmyk_to_bgr.h"
#include "formats/common/source_metadata.h"
#include "graphics/bitmap.h"
#include "graphics/raster_limits.h"
#include "graphics/row_bands.h"
#include "graphics/stream.h"

namespace pictorand {

// An extension a format is read by: lower case, without its dot.
struct TFileExtension {
    std::string_view Text;
    // The source dialog's "all supported" filter names it after every other extension.
    bool LastInAllFilter = false;
    // Read, but not offered by the file dialogs, whose lists stay as they always were.
    bool Unlisted = false;
};

// Bytes at an offset that mark a format whatever the file is called.
struct TSignature {
    std::size_t Offset = 0;
    std::basic_string_view<std::uint8_t> Bytes;
};

// What a probe learns from a file without decoding its pixels.
struct TImageInfo {
    int Width = 0, Height = 0;  // the picture a full decode gives
    int BitsPerSample = 8;
    bool HasAlpha = false;
    int Frames = 1;  // pictures in the file; only the first is read
    // Orientation, colour profile and the blocks an output may carry on.
    TSourceMetadata Metadata;
};

// What the run asks of one decode; the limits belong to the decode, not the process.
struct TDecodeRequest {
    std::int64_t MaxPixels = DefaultMaxRasterPixels;
    // Alpha the classic readers drop (grey with alpha, say) is handed over as 32 bits.
    bool KeepAlpha = false;
    // The colours are to be converted through the file's profile, when it has one.
    bool ProfileConverts = false;
    // CMYK pictures through this instead of the reader's fixed formula when set.
    TCmykToBgr CmykToBgr;
    // CIELab pictures through this instead of the reader's fixed formula when set.
    TLabToBgr LabToBgr;
    // 16-bit RGB pictures through this instead of being cut to 8 bits when set.
    TRgb16ToBgr Rgb16ToBgr;
    // Threads one picture may be decoded on; the pixels are the same for any number.
    int Threads = 1;
    // For formats that shrink on load: decode at about 1/N of the size, for a picture that
    // is scaled down further anyway. A format takes the largest factor it can that is no
    // larger (1/2, 1/4 or 1/8 for JPEG; any for a picture drawn from vectors).
    int ShrinkDenominator = 1;
};

// What a decode hands over besides the raster.
struct TDecodedImage {
    TBitmap Raster;
    // Things a user should know although the picture was read (a file cut short).
    std::vector<std::string> Warnings;
    // The rows went to a row sink a band at a time, and Raster holds none of them.
    bool Streamed = false;
};


// What a writer takes besides the raster.
struct TWriteOptions {
    // The quality of a format that takes one: the classic JPEG list item's number, or a
    // value from 1 to 100; 0 for the format's default.
    int Quality = 0;
    // Lossless coding, by the formats that have it.
    bool Lossless = false;
    // How hard the encoder works, from 1 (fastest) to 10 (smallest files); 0 for the
    // format's default. Each writer maps it onto its library's own scale.
    int Effort = 0;
    // Threads the encoder may use; the bytes are the same for any number.
    int Threads = 1;
    // Metadata to carry into the file, by the formats that can; none by default.
    const TSourceMetadata* Metadata = nullptr;
};

using TProbe = TImageInfo (*)(std::span<const std::uint8_t> file);
using TDecode = TDecodedImage (*)(std::span<const std::uint8_t> file, const TDecodeRequest& request);
using TDecodeRows = TDecodedImage (*)(std::span<const std::uint8_t> file, const TDecodeRequest& request, const TRowSink& rows);
using TEncode = void (*)(TStream& stream, const TBitmap& raster, const TWriteOptions& options);

// What a format's files can hold, as written by this program.
struct TCarries {
    bool Alpha = false;
    bool Icc = false;
    bool Exif = false;
    bool Xmp = false;
    bool Iptc = false;
    bool Deep = false;       // more than 8 bits a sample
    bool Animation = false;  // several frames
};

enum class TQualityKind : std::uint8_t {
    None,
    ClassicList,  // one of the 17 items of the JPEG quality list
    Range,        // any number from 1 to 100
};

// How a format's decoder makes a smaller picture than the file's, if it can.
enum class TShrinkOnLoad : std::uint8_t {
    None,
    Approximate,  // at 1/2, 1/4 or 1/8, faster and a little less exact (JPEG's scaled IDCT)
    Redraw,       // drawn at any size, as exact as at full size (vectors)
};

// A button of the format dialog's grid; Caption is the format's own name ("JPG"), which
// the dialog puts into its sentence.
struct TDialogPlace {
    std::string_view Caption;
    std::string_view ControlName;
    int Row = -1;
    int Column = -1;
};

struct TFormatDescriptor {
    // The short name: the command line's format name and, with a dot, the output extension.
    std::string_view Name;
    // How messages name the format.
    std::string_view Title;
    std::span<const TFileExtension> Extensions;
    std::span<const TSignature> Signatures;
    // The media types of the files a reader takes, for the desktop's "open with".
    std::span<const std::string_view> MimeTypes;

    // Reading; null for a format that is only written. A failure raises the reader's
    // exception with its message.
    TProbe Probe = nullptr;
    TDecode Decode = nullptr;
    // The same for a picture too large to hold whole, when the reader can give it a band
    // of rows at a time to rows (and says so); otherwise the same as Decode.
    TDecodeRows DecodeRows = nullptr;
    // The decoder turns the picture by its orientation itself; it is not turned again.
    bool OrientsItself = false;
    TShrinkOnLoad Shrink = TShrinkOnLoad::None;

    // Writing; null for a format that is only read.
    TEncode Encode = nullptr;
    TCarries Carries;
    TQualityKind Quality = TQualityKind::None;
    int DefaultQuality = 0;  // for a range, when none is chosen
    bool Lossless = false;   // the writer can code losslessly
    bool TakesEffort = false;  // the writer trades time for size by the write options' effort
    // Outputs are icons: fitted to 32 pixels whatever the size rule, never stamped with a logo.
    bool Icon = false;
    // The classic program wrote the format; --exact writes no other.
    bool Classic = false;
    TDialogPlace Dialog;

    // Place in the logo dialog's filter list; -1 when the format is no logo.
    int LogoOrder = -1;

    bool Reads() const { return Decode != nullptr; }
    bool Writes() const { return Encode != nullptr; }
};

}  // namespace pictorand
