// Loading one source: the file is read once; the format its extension names probes it
// and decodes it, and when that format refuses it, the format its first bytes name.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/prepared_file.h"
#include "engine/run_host.h"
#include "formats/common/format_descriptor.h"
#include "graphics/bitmap.h"
#include "resample/row_resampler.h"

namespace pictorand {

// What the run would like from the readers beside the classic picture, decided once the
// probe has found what the file holds.
struct TLoadWishes {
    // Alpha the readers would otherwise drop.
    bool KeepAlpha = false;
    // The photo stage converts through the file's profile.
    bool ProfileConverts = false;
    // Threads one large picture may be decoded on.
    int Threads = 1;
    // The most pixels the picture may have; a larger one is refused before it is decoded.
    std::int64_t MaxPixels = DefaultMaxRasterPixels;
    // The conversion of CMYK pictures (a profile's) instead of the readers' fixed formula.
    std::function<TCmykToBgr(const TImageInfo& info)> CmykToBgr;
    // The conversion of CIELab pictures instead of the readers' fixed formula.
    TLabToBgr LabToBgr;
    // The conversion of 16-bit RGB pictures (a profile's) instead of a cut to 8 bits.
    std::function<TRgb16ToBgr(const TImageInfo& info)> Rgb16ToBgr;
    // For a format that shrinks on load in the given way, the smallest size the picture
    // the probe found may be decoded at (nothing when it is to be decoded whole).
    std::function<std::optional<std::pair<int, int>>(const TImageInfo& info, TShrinkOnLoad kind)> ShrinkTo;
    // For a format that can give a large picture a band of rows at a time, the scaling
    // its rows may go through as they are decoded, when the output stage would do nothing
    // to the picture the probe found but scale it; nothing when it is to be held whole.
    std::function<std::unique_ptr<TRowResampler>(const TImageInfo& info)> ScaleRows;
    // Called once the probe has found the picture and before it is decoded, with the
    // memory its decoding and scaling may take; it may wait until there is room for that.
    std::function<void(std::int64_t bytes)> BeforeDecode;
};

struct TLoadedSource {
    std::unique_ptr<TBitmap> Raster;
    std::string Error;
    // The whole picture's size, when the raster was decoded at a reduced size or scaled.
    std::optional<std::pair<int, int>> NominalSize;
    // The raster is the output: the rows went through ScaleRows' scaling as they were
    // decoded, and the picture was never held whole.
    bool Scaled = false;
    // The format the file was read as, and what its probe found.
    const TFormatDescriptor* Format = nullptr;
    TImageInfo Info;
    // What the reader noticed although it read the picture (a file that ends early).
    std::vector<std::string> Warnings;
};

// Loads the file into a new raster. On failure shows "Невозможно загрузить файл <name>!"
// and answers the reason without a raster. A file whose extension no format reads is read
// by the format its first bytes name; one that names none, or a picture format that is
// not read, or a file that holds an empty picture, is such a failure.
TLoadedSource CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host, const TLoadWishes& wishes = {});

// The largest of 8, 4 and 2 that divides width x height (rounding up) to no less than
// targetWidth x targetHeight; 1 when none does. For a picture that is redrawn, the
// largest whole number that does so.
int ShrinkDenominator(int width, int height, int targetWidth, int targetHeight, TShrinkOnLoad kind = TShrinkOnLoad::Approximate);

// The memory decoding, turning and scaling a picture of that size may take at the most,
// its file's bytes included; the file's size alone when the probe could not tell.
std::int64_t EstimatedBytes(const TImageInfo& info, std::size_t fileBytes);

// What a file whose extension names no reader is taken for.
struct TFileGuess {
    // The reader whose signature the file's first bytes carry.
    const TFormatDescriptor* Reader = nullptr;
    // Otherwise a picture format the program does not read, named by the bytes or the
    // extension (PSB, OpenEXR, ICO).
    const TFormatDescriptor* Foreign = nullptr;
};
// Reads the file's first bytes; a file that cannot be read is guessed by its name alone.
TFileGuess GuessFile(const std::string& path, std::string_view extension);
// Why a picture of a format that is not read fails: "a PSB picture: not a format we read".
std::string NotReadReason(const TFormatDescriptor& foreign);

// The whole file, for one probe and one decode; raises the stream's error when it cannot
// be read (it is missing, a folder, a FIFO, or larger than any picture file may be).
TByteBuffer ReadWholeFile(const std::string& path);

}  // namespace pictorand
