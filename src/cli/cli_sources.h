// The command line's sources: files as given, folders expanded to the supported files
// they hold, sorted by name; with recursion, subfolders too, mirrored below the output.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/batch_run.h"

namespace pictorand {

std::vector<TSourceEntry> ExpandSources(const std::vector<std::string>& arguments, bool recursive);

// The paths of a list, one a line (or NUL-separated); empty entries are left out and a
// line's carriage return is dropped.
std::vector<std::string> ReadFileList(std::FILE* list, bool nullSeparated);

}  // namespace pictorand
