// The settings file of the options beyond the settings record (the photo and resampling
// options), a small JSON object kept beside the record, which stays as it always was.
#pragma once

#include <string>

#include "engine/photo_options.h"
#include "engine/resample_options.h"

namespace pictorand {

// "PhotoOptions.json" in the settings record's folder.
std::string PhotoOptionsFilePath();

struct TExtraOptions {
    TPhotoOptions Photo = TPhotoOptions::Recommended();
    TResampleOptions Resample;
    friend bool operator==(const TExtraOptions&, const TExtraOptions&) = default;
};

// The options a file holds; the defaults (photo options recommended, resampling as
// classic) for what it lacks, and for a file that is missing or not such an object.
TExtraOptions ReadPhotoOptionsFile(const std::string& path);
// Raises EInOutError when the file cannot be written.
void WritePhotoOptionsFile(const std::string& path, const TExtraOptions& options);

// "#RRGGBB" for a colour, and the colour of such a text (nothing for any other text).
std::string ColourText(TColor colour);
bool ParseColourText(const std::string& text, TColor& colour);

}  // namespace pictorand
