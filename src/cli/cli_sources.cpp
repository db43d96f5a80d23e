#include "cli/cli_sources.h"

#include <cerrno>

namespace pictorand {

std::vector<std::string> ReadFileList(std::FILE* list, bool nullSeparated, int& error) {
    error = 0;
    const int separator = nullSeparated ? '\0' : '\n';
    std::vector<std::string> paths;
    std::string path;
    auto take = [&] {
        if (!nullSeparated && !path.empty() && path.back() == '\r') path.pop_back();
        if (!path.empty()) paths.push_back(std::move(path));
        path.clear();
    };
    for (int c; (c = std::fgetc(list)) != EOF;) {
        if (c == separator) take();
        else path += static_cast<char>(c);
    }
    if (std::ferror(list)) error = errno;
    take();
    return paths;
}

}  // namespace pictorand
