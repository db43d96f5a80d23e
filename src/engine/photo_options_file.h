// The photo options' own settings file, a small JSON object kept beside the settings
// record, which stays as it always was.
#pragma once

#include <string>

#include "engine/photo_options.h"

namespace pictorand {

// "PhotoOptions.json" in the settings record's folder.
std::string PhotoOptionsFilePath();

// The options a file holds; the recommended ones for what it lacks, and for a file that
// is missing or cannot be read as such an object.
TPhotoOptions ReadPhotoOptionsFile(const std::string& path);
// Raises EInOutError when the file cannot be written.
void WritePhotoOptionsFile(const std::string& path, const TPhotoOptions& options);

// "#RRGGBB" for a colour, and the colour of such a text (nothing for any other text).
std::string ColourText(TColor colour);
bool ParseColourText(const std::string& text, TColor& colour);

}  // namespace pictorand
