// The command line's sources: files as given, folders expanded to the supported files
// they hold, sorted by name; with recursion, subfolders too, mirrored below the output.
#pragma once

#include <string>
#include <vector>

#include "engine/batch_run.h"

namespace pictorand {

std::vector<TSourceEntry> ExpandSources(const std::vector<std::string>& arguments, bool recursive);

}  // namespace pictorand
