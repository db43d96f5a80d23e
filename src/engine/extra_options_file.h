// The settings file of the options beyond the settings record (the photo and scaling
// options), a small JSON object kept beside the record, which stays as it always was.
#pragma once

#include <string>
#include <string_view>

#include "engine/option_table.h"

namespace pictorand {

// "PhotoOptions.json" in the settings record's folder.
std::string PhotoOptionsFilePath();

// The options a file holds; the recommended values for what it lacks, and for a file
// that is missing. A file that exists but cannot be read or is not such an object raises
// EInOutError naming the file and the reason.
TExtraOptions ReadExtraOptionsFile(const std::string& path);
// Raises EInOutError when the file cannot be written.
void WriteExtraOptionsFile(const std::string& path, const TExtraOptions& options);
// The options a text of such a file holds, the recommended values for what it lacks;
// raises EInOutError naming the path when the text is not such an object.
TExtraOptions ParseExtraOptions(std::string_view text, const std::string& path);
// The text of such a file.
std::string ExtraOptionsText(const TExtraOptions& options);

// "#RRGGBB" for a colour, and the colour of such a text (nothing for any other text).
std::string ColourText(TColor colour);
bool ParseColourText(const std::string& text, TColor& colour);

}  // namespace pictorand
