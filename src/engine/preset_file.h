// A set of settings saved under a name of the user's: the 152-byte settings record, as
// "Setting.dat" holds it, followed by the text of the photo options' JSON object. Whatever
// reads a settings record (the command line's --settings, an older copy of the program)
// reads the first part; the options follow for those that know them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/conversion_settings.h"
#include "engine/extra_options_file.h"

namespace pictorand {

inline constexpr std::string_view PresetExtension = ".pictorand";

// Writes both parts, replacing the file; raises EInOutError when it cannot be written.
void WritePresetFile(const std::string& path, const ConversionSettings& record, const TExtraOptions& options);

// The options stored after a settings file's record; nothing for a plain record. Raises
// EInOutError naming the file when it cannot be read or what follows the record is not
// such an object.
std::optional<TExtraOptions> ReadPresetOptions(const std::string& path);

}  // namespace pictorand
