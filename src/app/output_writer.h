// Output naming and writing: the output name from the naming rule, the overwrite
// policy, and the writer of the chosen format.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/run_state.h"

namespace pictorand {

// The format's lower-case extension (".tif" for TIFF).
std::string_view FormatExtension(OutputFormat format);

// The output file name for a source name under the naming rule.
std::string OutputFileName(const ConversionSettings& settings, OutputFormat format, std::string_view sourceName,
                           std::int32_t runningNumber);

// Encodes the raster in the format's file layout.
void EncodeOutput(OutputFormat format, TStream& stream, const TBitmap& raster, const ConversionSettings& settings);

// Writes TargetBitmap (or the bytes encoded ahead for it) into the output folder; writer failures are not caught here.
// Answers whether a file was written (false when the user kept an existing file or
// no format is chosen).
bool SaveResizeFiles(TRunState& state);

}  // namespace pictorand
