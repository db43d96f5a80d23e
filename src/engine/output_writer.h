// Output naming and writing: the output name from the naming rule, the overwrite
// policy, and the writer of the chosen format from the format table.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "engine/prepared_file.h"
#include "engine/run_context.h"
#include "engine/run_host.h"
#include "graphics/stream.h"

namespace pictorand {

// The output file name for a source name under the naming rule.
std::string OutputFileName(const ConversionSettings& settings, OutputFormat format, std::string_view sourceName,
                           std::int32_t runningNumber);

// The path a source's output gets in the output folder.
std::string OutputPath(const TRunContext& run, const TSourceFile& source, const ConversionSettings& settings,
                       OutputFormat format, std::int32_t runningNumber);

// Encodes the raster in the format's file layout, on up to `threads` threads.
void EncodeOutput(OutputFormat format, TStream& stream, const TBitmap& raster, const ConversionSettings& settings,
                  const TSourceMetadata* metadata = nullptr, int threads = 1);

// What an output carries on from its source, or nothing: with metadata kept, EXIF
// (upright when the pixels were turned, without its thumbnail), XMP, IPTC, and the
// source's RGB profile when its colours were not converted.
std::optional<TSourceMetadata> OutputMetadata(const TPreparedFile& file, const TPhotoOptions& options);

// What writing one file came to.
struct TWriteResult {
    enum class TKind : std::uint8_t {
        Written,
        KeptExisting,  // the output existed and the overwrite choice kept it
        NameTaken,     // another source of this run already wrote that name
        NoFormat,      // no output format is chosen
    };
    TKind Kind = TKind::NoFormat;
    std::string Path;
    std::uint64_t Bytes = 0;
};

// Writes the file's target raster (or the bytes encoded ahead for it) into the output
// folder; writer failures are not caught here. An output path another source of this
// run wrote (kept in writtenThisRun) is never written again.
TWriteResult SaveResizeFiles(const TPreparedFile& file, std::int32_t runningNumber, const TRunContext& run, TRunHost& host,
                             std::set<std::string>& writtenThisRun);

}  // namespace pictorand
