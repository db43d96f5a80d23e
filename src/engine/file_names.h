// File-name pieces as the batch run sees them: a name's extension starts at the last
// "." after the last folder separator, "/".
#pragma once

#include <string>
#include <string_view>

namespace pictorand {

// The extension with its dot, in the name's own letter case; empty when there is none.
std::string ExtractFileExt(std::string_view path);
// The name without its folder.
std::string ExtractFileName(std::string_view path);
// The name with its extension (if any) replaced by ending.
std::string ChangeFileExt(std::string_view name, std::string_view ending);
// ASCII letters upper-cased; every other byte unchanged.
std::string UpperCaseAscii(std::string_view text);
// Whether a text put into output names would make a path of them: it holds "/" or "..".
bool MakesPath(std::string_view nameText);

}  // namespace pictorand
