// Runs the pictorand-cli executable in a test's folder and reads what it left.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace pictorand::testing {

struct TCliResult {
    int status;
    std::string errors;
};

// Runs the command line with arguments in dir (stdin from /dev/null, stderr captured);
// prefix goes before the program, for a wrapper such as setpriv.
inline TCliResult RunCli(const TTempDir& dir, const std::string& arguments, const std::string& prefix = {}) {
    const std::string log = dir.File("stderr.txt");
    const std::string command =
        "cd '" + dir.Path().string() + "' && " + prefix + " '" PICTORAND_CLI "' " + arguments + " 2> '" + log + "' < /dev/null";
    const int raw = std::system(command.c_str());
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
}

// Every regular file below root with its bytes, by relative path.
inline std::map<std::string, std::vector<std::uint8_t>> Tree(const std::filesystem::path& root) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files[std::filesystem::relative(entry.path(), root).string()] = ReadFileBytes(entry.path());
    return files;
}

// The last line of a text, without its line end.
inline std::string LastLine(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) return {};
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace pictorand::testing
