// TFolderHandle: a folder opened once, below which files are created and published by
// name. Subfolders are reached one name at a time without following links, so nothing
// written through a handle can land outside its folder; a file appears under its name
// only when complete, replacing what was there or, if asked, never.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "graphics/stream.h"

namespace pictorand {

// An open file descriptor, closed with its owner.
class TUniqueFd {
public:
    TUniqueFd() = default;
    explicit TUniqueFd(int descriptor) : descriptor_(descriptor) {}
    TUniqueFd(TUniqueFd&& other) noexcept : descriptor_(other.Release()) {}
    TUniqueFd& operator=(TUniqueFd&& other) noexcept;
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;
    ~TUniqueFd();

    int Get() const { return descriptor_; }
    int Release();
    explicit operator bool() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

// What stands at a name in a folder; a link is not followed.
enum class TFolderEntry { Nothing, File, Folder, Link, Other };

class TFolderHandle {
public:
    // Opens the folder at path, following links in the path as given. Raises EFOpenError
    // naming the folder and the reason (it does not exist, it is a file, ...).
    explicit TFolderHandle(const std::string& path);

    // The folder below this one at relative ("a/b"), made when missing. A name that is a
    // link, a file or ".." raises EFCreateError: the subfolder always lies inside.
    TFolderHandle Subfolder(std::string_view relative) const;

    const std::string& Path() const { return path_; }
    int Descriptor() const { return descriptor_.Get(); }
    // Whether the folder still exists and this process may create files in it.
    bool Writable() const;
    TFolderEntry Entry(const std::string& name) const;

private:
    TFolderHandle(TUniqueFd descriptor, std::string path) : descriptor_(std::move(descriptor)), path_(std::move(path)) {}

    TUniqueFd descriptor_;
    std::string path_;
};

enum class TPublishMode {
    Replace,       // a file of that name is replaced
    KeepExisting,  // whatever has the name stays, even if it appeared while writing
};

// Writes name in folder: write fills an unnamed (or short, random, hidden) temporary file
// in the folder, which takes the name only when complete. Answers false, writing nothing,
// when the mode keeps an existing entry. Every failure raises, leaving no file behind;
// an entry that is a folder is never replaced or counted as kept.
bool PublishFile(const TFolderHandle& folder, const std::string& name, TPublishMode mode,
                 const std::function<void(TStream&)>& write);

// Removes the named temporary files of writes still under way, for a process about to end
// at once (unnamed ones vanish by themselves).
void RemoveUnfinishedFiles();

}  // namespace pictorand
