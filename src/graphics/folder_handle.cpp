#include "graphics/folder_handle.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>

#include "graphics/exceptions.h"
#include "graphics/file_stream.h"

namespace pictorand {

namespace {

constexpr std::string_view FolderOpenError = "Cannot open the folder \"%s\"";
constexpr std::string_view FolderCreateError = "Cannot create the folder \"%s\"";
constexpr std::string_view LinkInTheWay = "Cannot write below \"%s\": it is a link, and outputs never leave the output folder";
constexpr std::string_view FileInTheWay = "Cannot write below \"%s\": it is a file, not a folder";
constexpr std::string_view FolderInTheWay = "Cannot create file \"%s\": a folder has that name";

std::string WithReason(std::string_view pattern, const std::string& path, int error) {
    return FormatMessage(pattern, path) + ". " + std::strerror(error);
}

std::string Joined(const std::string& folder, std::string_view name) {
    return folder.empty() || folder == "." ? std::string(name) : folder + (folder.back() == '/' ? "" : "/") + std::string(name);
}

// A short hidden name no other process, on this host or another sharing the folder, picks.
std::string RandomTemporaryName() {
    unsigned char bytes[8] = {};
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        // No entropy source: the address of a local and the clock still differ between runs.
        const auto fallback = reinterpret_cast<std::uintptr_t>(&bytes) ^ static_cast<std::uintptr_t>(clock());
        std::memcpy(bytes, &fallback, sizeof bytes < sizeof fallback ? sizeof bytes : sizeof fallback);
    }
    char name[32];
    std::snprintf(name, sizeof name, ".pictorand-%02x%02x%02x%02x%02x%02x%02x%02x.tmp", bytes[0], bytes[1], bytes[2], bytes[3],
                  bytes[4], bytes[5], bytes[6], bytes[7]);
    return name;
}

// Gives an unnamed temporary file a name in the folder; false when the name is taken.
bool LinkUnnamed(int file, int folder, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(file);
    if (linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno == ENOENT && linkat(file, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) return true;
    return false;
}

// The named temporary files being written, by folder descriptor and name.
std::mutex unfinishedMutex;
std::set<std::pair<int, std::string>> unfinished;

// A temporary file in the folder: unnamed where the file system allows it, so that
// nothing is left behind whatever ends the process, else a random hidden name.
struct TTemporary {
    TUniqueFd File;
    std::string Name;  // empty while unnamed
    int Folder = -1;

    void SetName(std::string name) {
        Forget();
        Name = std::move(name);
        const std::lock_guard lock(unfinishedMutex);
        unfinished.emplace(Folder, Name);
    }
    // The name now belongs to the output, or is gone.
    void Forget() {
        if (Name.empty()) return;
        const std::lock_guard lock(unfinishedMutex);
        unfinished.erase({Folder, Name});
        Name.clear();
    }
    ~TTemporary() {
        if (Name.empty()) return;
        unlinkat(Folder, Name.c_str(), 0);
        Forget();
    }
};

void CreateTemporary(const TFolderHandle& folder, const std::string& target, TTemporary& temporary) {
    temporary.Folder = folder.Descriptor();
    temporary.File = TUniqueFd(openat(folder.Descriptor(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (temporary.File) return;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) throw EFCreateError(WithReason(runtime_texts::FileCreateError, target, errno));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = RandomTemporaryName();
        const int file = openat(folder.Descriptor(), name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file >= 0) {
            temporary.File = TUniqueFd(file);
            temporary.SetName(name);
            return;
        }
        if (errno != EEXIST) break;
    }
    throw EFCreateError(WithReason(runtime_texts::FileCreateError, target, errno));
}

// Moves the finished temporary file to name, or answers false when keeping what is there.
bool Publish(const TFolderHandle& folder, TTemporary& temporary, const std::string& name, TPublishMode mode) {
    const int dir = folder.Descriptor();
    if (temporary.Name.empty()) {
        if (mode == TPublishMode::KeepExisting) {
            if (LinkUnnamed(temporary.File.Get(), dir, name)) return true;
            if (errno == EEXIST) return false;
            throw EFCreateError(WithReason(runtime_texts::FileCreateError, Joined(folder.Path(), name), errno));
        }
        // Replacing needs a name to rename from.
        for (int attempt = 0; attempt < 100 && temporary.Name.empty(); ++attempt) {
            const std::string hidden = RandomTemporaryName();
            if (LinkUnnamed(temporary.File.Get(), dir, hidden)) temporary.SetName(hidden);
            else if (errno != EEXIST) break;
        }
        if (temporary.Name.empty()) throw EFCreateError(WithReason(runtime_texts::FileCreateError, Joined(folder.Path(), name), errno));
    }
    if (mode == TPublishMode::KeepExisting) {
        if (renameat2(dir, temporary.Name.c_str(), dir, name.c_str(), RENAME_NOREPLACE) == 0) {
            temporary.Forget();
            return true;
        }
        if (errno == EEXIST) return false;
        // File systems without the flag: a hard link is refused just the same when the name exists.
        if (errno != EINVAL && errno != ENOSYS) throw EFCreateError(WithReason(runtime_texts::FileCreateError, Joined(folder.Path(), name), errno));
        if (linkat(dir, temporary.Name.c_str(), dir, name.c_str(), 0) == 0) return true;
        if (errno == EEXIST) return false;
        throw EFCreateError(WithReason(runtime_texts::FileCreateError, Joined(folder.Path(), name), errno));
    }
    if (renameat(dir, temporary.Name.c_str(), dir, name.c_str()) != 0)
        throw EFCreateError(WithReason(runtime_texts::FileCreateError, Joined(folder.Path(), name), errno));
    temporary.Forget();
    return true;
}

}  // namespace

void RemoveUnfinishedFiles() {
    const std::lock_guard lock(unfinishedMutex);
    for (const auto& [folder, name] : unfinished) unlinkat(folder, name.c_str(), 0);
    unfinished.clear();
}

TUniqueFd& TUniqueFd::operator=(TUniqueFd&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) close(descriptor_);
        descriptor_ = other.Release();
    }
    return *this;
}

TUniqueFd::~TUniqueFd() {
    if (descriptor_ >= 0) close(descriptor_);
}

int TUniqueFd::Release() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return descriptor;
}

TFolderHandle::TFolderHandle(const std::string& path)
    : descriptor_(open(path.empty() ? "." : path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)), path_(path) {
    if (!descriptor_) throw EFOpenError(WithReason(FolderOpenError, path, errno));
}

TFolderHandle TFolderHandle::Subfolder(std::string_view relative) const {
    TUniqueFd current(dup(descriptor_.Get()));
    if (!current) throw EFOpenError(WithReason(FolderOpenError, path_, errno));
    std::string path = path_;
    while (!relative.empty()) {
        const std::size_t slash = relative.find('/');
        const std::string name(relative.substr(0, slash));
        relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
        if (name.empty() || name == ".") continue;
        path = Joined(path, name);
        if (name == "..") throw EFCreateError(FormatMessage(LinkInTheWay, path));
        TUniqueFd next(openat(current.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next && errno == ENOENT) {
            if (mkdirat(current.Get(), name.c_str(), 0777) != 0 && errno != EEXIST) throw EFCreateError(WithReason(FolderCreateError, path, errno));
            next = TUniqueFd(openat(current.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (!next) {
            const int error = errno;
            struct stat status {};
            if (fstatat(current.Get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
                if (S_ISLNK(status.st_mode)) throw EFCreateError(FormatMessage(LinkInTheWay, path));
                if (!S_ISDIR(status.st_mode)) throw EFCreateError(FormatMessage(FileInTheWay, path));
            }
            throw EFOpenError(WithReason(FolderOpenError, path, error));
        }
        current = std::move(next);
    }
    return TFolderHandle(std::move(current), path);
}

bool TFolderHandle::Writable() const {
    struct stat status {};
    if (fstat(descriptor_.Get(), &status) != 0 || status.st_nlink == 0) return false;
    return faccessat(descriptor_.Get(), ".", W_OK | X_OK, AT_EACCESS) == 0;
}

TFolderEntry TFolderHandle::Entry(const std::string& name) const {
    struct stat status {};
    if (fstatat(descriptor_.Get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return TFolderEntry::Nothing;
    if (S_ISREG(status.st_mode)) return TFolderEntry::File;
    if (S_ISDIR(status.st_mode)) return TFolderEntry::Folder;
    if (S_ISLNK(status.st_mode)) return TFolderEntry::Link;
    return TFolderEntry::Other;
}

bool PublishFile(const TFolderHandle& folder, const std::string& name, TPublishMode mode,
                 const std::function<void(TStream&)>& write) {
    const std::string target = Joined(folder.Path(), name);
    if (folder.Entry(name) == TFolderEntry::Folder) throw EFCreateError(FormatMessage(FolderInTheWay, target));
    TTemporary temporary;
    CreateTemporary(folder, target, temporary);
    {
        TFileStream stream(temporary.File.Release(), target);
        write(stream);
        // Linking an unnamed file needs a descriptor after the stream is closed.
        if (temporary.Name.empty()) temporary.File = TUniqueFd(dup(stream.Descriptor()));
        stream.Close();
    }
    if (!Publish(folder, temporary, name, mode)) {
        if (folder.Entry(name) == TFolderEntry::Folder) throw EFCreateError(FormatMessage(FolderInTheWay, target));
        return false;
    }
    return true;
}

}  // namespace pictorand
