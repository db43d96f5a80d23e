// The command line's sources: files as given, folders expanded to the files they hold,
// sorted by name; with recursion, subfolders too, mirrored below the output folder.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "engine/batch_run.h"

namespace pictorand {

// Every argument becomes entries: a file as given; a folder its files, pictures to
// convert and the rest ignored, with what cannot be read at all (a folder that cannot be
// listed, a link to nothing, a FIFO named as a picture) refused with the reason. A linked
// folder is mirrored under its link's name; each real folder is visited once, and the
// run's own output folder never.
std::vector<TSourceEntry> ExpandSources(const std::vector<std::string>& arguments, bool recursive,
                                        const std::string& outputFolder = {});

// The paths of a list, one a line (or NUL-separated); empty entries are left out and a
// line's carriage return is dropped. When reading fails, error gets errno and the
// answer holds what was read before.
std::vector<std::string> ReadFileList(std::FILE* list, bool nullSeparated, int& error);

}  // namespace pictorand
