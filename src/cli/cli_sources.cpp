#include "cli/cli_sources.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "engine/file_names.h"
#include "formats/format_table.h"

namespace pictorand {

namespace {

namespace fs = std::filesystem;

bool Supported(const fs::path& file) { return FindReadableFormat(ExtractFileExt(file.filename().string())) != nullptr; }

// Each real folder is visited once, however many links lead to it, so that a link back
// up the tree cannot repeat it without end.
void AddFolder(const fs::path& root, const fs::path& folder, bool recursive, std::set<fs::path>& visited,
               std::vector<TSourceEntry>& out) {
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (error || !visited.insert(real).second) return;
    std::vector<fs::path> files, folders;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_directory(error)) folders.push_back(entry.path());
        else if (entry.is_regular_file(error) && Supported(entry.path())) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    const std::string subfolder = fs::relative(folder, root, error).lexically_normal().string();
    for (const fs::path& file : files) out.push_back({file.string(), subfolder == "." ? std::string() : subfolder});
    if (!recursive) return;
    for (const fs::path& sub : folders) AddFolder(root, sub, true, visited, out);
}

}  // namespace

std::vector<TSourceEntry> ExpandSources(const std::vector<std::string>& arguments, bool recursive) {
    std::vector<TSourceEntry> entries;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (fs::is_directory(argument, error)) {
            std::set<fs::path> visited;
            AddFolder(argument, argument, recursive, visited, entries);
        } else {
            entries.push_back({argument, {}});
        }
    }
    return entries;
}

std::vector<std::string> ReadFileList(std::FILE* list, bool nullSeparated) {
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
    take();
    return paths;
}

}  // namespace pictorand
