// Where --report may write: never over a source of the run, never over a file that is
// not one of our reports (the report's name forgotten before a list of photos).
#pragma once

#include <string>
#include <vector>

#include "engine/prepared_file.h"

namespace pictorand {

// Why the report cannot go to path, or empty: path is a folder, one of the sources, or
// an existing file other than an empty one or a JSON Lines report of ours.
std::string RefusedReportPath(const std::string& path, const std::vector<TSourceEntry>& sources);

}  // namespace pictorand
