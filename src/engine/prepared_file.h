// One source as the stages hand it on: where it comes from, how far it got, and the
// target raster (or the bytes encoded ahead) that the writer takes.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/common/source_metadata.h"
#include "formats/output_format.h"
#include "graphics/bitmap.h"

namespace pictorand {

// One source of a run and the folder below the output folder its output goes to.
struct TSourceEntry {
    std::string Path;
    std::string Subfolder;
    // Why the entry cannot be read at all (a folder that cannot be listed, a link to
    // nothing, a device): the run reports it failed without opening it.
    std::string Refused;
    // A file of a source folder that holds no picture: reported, never opened.
    bool Ignored = false;
};

// What the stages know of a source's path.
struct TSourceFile {
    // The path the loader opens: the bare name (relative to the current directory) in
    // the GUI, the path as given on the command line.
    std::string Path;
    std::string Name;       // the bare file name
    std::string Extension;  // with its dot, in the path's letter case
    std::string Subfolder;  // below the run's output folder

    static TSourceFile From(const TSourceEntry& entry);
};

// The stage a file stopped at, if any; Refused and Ignored entries never reach one.
enum class TFileFailure : std::uint8_t { None, Refused, Ignored, Load, Logo, Resize };

// Output bytes encoded ahead of the file's turn, for the format they were made for.
struct TEncodedOutput {
    OutputFormat Format;
    std::vector<std::uint8_t> Bytes;
    std::exception_ptr Failure;  // raised when the file is written, as encoding would
};

// What a stage hands on: its raster, or why it failed.
struct TStageRaster {
    std::unique_ptr<TBitmap> Raster;
    std::string Error;
    // The whole picture's size, when the raster was decoded at a reduced size.
    std::optional<std::pair<int, int>> NominalSize;
};

struct TPreparedFile {
    TSourceFile Source;
    TFileFailure Failure = TFileFailure::None;
    std::string Error;  // the failed stage's reason
    std::vector<std::string> Warnings;  // what the reader noticed although it read the picture
    int Width = 0, Height = 0;              // the source picture, once loaded
    int OutputWidth = 0, OutputHeight = 0;  // the target picture, once made
    double Milliseconds = 0;    // time spent preparing
    std::unique_ptr<TBitmap> Target;
    std::optional<TEncodedOutput> Encoded;
    // What the writer may carry on from the source: its metadata blocks, and its colour
    // profile when the pixels were not converted from it.
    TSourceMetadata Metadata;
    bool ProfileConverted = false;
    // The reader turned the picture by its own orientation (HEIF's transforms, a raw's
    // flip), whatever the run's options: what the metadata says of it no longer holds.
    bool TurnedByReader = false;
};

}  // namespace pictorand
