#include "engine/source_folders.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <set>

#include "engine/file_names.h"
#include "engine/source_loader.h"
#include "engine/text_catalogue.h"
#include "formats/format_table.h"

namespace pictorand {

namespace {

namespace fs = std::filesystem;

std::string Extension(const fs::path& file) { return ExtractFileExt(file.filename().string()); }

// Whether the name is a picture's, read or not.
bool PictureNamed(const fs::path& file) { return FindKnownFormat(Extension(file)) != nullptr; }

// A folder's regular file: a source when a reader takes its extension or its first bytes;
// failed when it is a picture of a format that is not read; otherwise ignored.
TSourceEntry FolderFile(const fs::path& path, const std::string& subfolder) {
    TSourceEntry entry{.Path = path.string(), .Subfolder = subfolder};
    if (FindReadableFormat(Extension(path))) return entry;
    const TFileGuess guess = GuessFile(entry.Path, Extension(path));
    if (guess.Foreign) entry.Refused = NotReadReason(*guess.Foreign);
    else entry.Ignored = !guess.Reader;
    return entry;
}

// What a folder expansion walks with: the folders seen so far and the one never to read.
struct TWalk {
    bool Recursive = false;
    std::set<fs::path> Visited;
    std::optional<fs::path> OutputFolder;
};

// An entry that is neither a folder nor a readable file: refused when named as a picture,
// else ignored like any other file that holds none.
TSourceEntry Unreadable(const fs::path& path, const std::string& subfolder, std::string_view why) {
    if (PictureNamed(path)) return {.Path = path.string(), .Subfolder = subfolder, .Refused = std::string(why)};
    return {.Path = path.string(), .Subfolder = subfolder, .Ignored = true};
}

void AddFolder(const fs::path& folder, const std::string& subfolder, TWalk& walk, std::vector<TSourceEntry>& out) {
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (!error) walk.Visited.insert(real);
    std::vector<TSourceEntry> files;
    std::vector<fs::path> folders;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::path path = entries->path();
        std::error_code targetError;
        const fs::file_status target = fs::status(path, targetError);
        if (targetError) {
            const std::string why = targetError.value() == ELOOP    ? Say(TText::LinkLoop)
                                    : targetError.value() == ENOENT ? Say(TText::LinkToNothing)
                                                                    : targetError.message();
            files.push_back(Unreadable(path, subfolder, why));
        } else if (fs::is_directory(target)) {
            folders.push_back(path);
        } else if (!fs::is_regular_file(target)) {
            files.push_back(Unreadable(path, subfolder, Say(TText::NotRegular)));
        } else {
            files.push_back(FolderFile(path, subfolder));
        }
    }
    if (error) {
        out.push_back({.Path = folder.string(), .Subfolder = subfolder, .Refused = Say(TText::CannotListFolder, {error.message()})});
        return;
    }
    std::sort(files.begin(), files.end(), [](const TSourceEntry& a, const TSourceEntry& b) { return a.Path < b.Path; });
    std::sort(folders.begin(), folders.end());
    out.insert(out.end(), files.begin(), files.end());
    if (!walk.Recursive) return;
    for (const fs::path& sub : folders) {
        const fs::path realSub = fs::canonical(sub, error);
        // A link back up the tree, or a second way to a folder, is not walked again; nor
        // is the output folder, whose files are this run's outputs.
        if (error || walk.Visited.contains(realSub) || realSub == walk.OutputFolder) continue;
        // Mirrored under the name it was reached by, a link's included.
        const std::string name = sub.filename().string();
        AddFolder(sub, subfolder.empty() ? name : subfolder + "/" + name, walk, out);
    }
}

}  // namespace

std::vector<TSourceEntry> ExpandSources(const std::vector<std::string>& arguments, bool recursive, const std::string& outputFolder) {
    std::vector<TSourceEntry> entries;
    TWalk walk;
    walk.Recursive = recursive;
    std::error_code error;
    if (!outputFolder.empty()) {
        const fs::path real = fs::canonical(outputFolder, error);
        if (!error) walk.OutputFolder = real;
    }
    for (const std::string& argument : arguments) {
        if (fs::is_directory(argument, error)) {
            walk.Visited.clear();
            AddFolder(argument, std::string(), walk, entries);
        } else {
            entries.push_back({.Path = argument});
        }
    }
    return entries;
}

}  // namespace pictorand
