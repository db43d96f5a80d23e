// Sources as a user names them (command-line arguments, files and folders dropped on the
// window): files as given, folders expanded to the files they hold, sorted by name; with
// recursion, subfolders too, mirrored below the output folder.
#pragma once

#include <string>
#include <vector>

#include "engine/prepared_file.h"

namespace pictorand {

// Every argument becomes entries: a file as given; a folder its files, pictures to
// convert and the rest ignored, with what cannot be read at all (a folder that cannot be
// listed, a link to nothing, a FIFO named as a picture) refused with the reason. A linked
// folder is mirrored under its link's name; each real folder is visited once, and the
// run's own output folder never.
std::vector<TSourceEntry> ExpandSources(const std::vector<std::string>& arguments, bool recursive,
                                        const std::string& outputFolder = {});

}  // namespace pictorand
