// The command line's list of sources read from a file or standard input.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace pictorand {

// The paths of a list, one a line (or NUL-separated); empty entries are left out and a
// line's carriage return is dropped. When reading fails, error gets errno and the
// answer holds what was read before.
std::vector<std::string> ReadFileList(std::FILE* list, bool nullSeparated, int& error);

}  // namespace pictorand
