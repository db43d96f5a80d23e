#include "graphics/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "graphics/exceptions.h"
#include "graphics/folder_handle.h"

namespace pictorand {

namespace {

std::string WithReason(std::string text, int error) { return text + ". " + std::strerror(error); }

std::string OpenFailureText(std::string_view pattern, const std::string& path, int error) {
    return WithReason(FormatMessage(pattern, path), error);
}

// What a path that is not a regular file is, for the refusal.
std::string_view KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "It is a folder";
    if (S_ISFIFO(mode)) return "It is a FIFO, not a regular file";
    if (S_ISSOCK(mode)) return "It is a socket, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "It is a device, not a regular file";
    return "It is not a regular file";
}

// Opens an existing regular file for reading without blocking on a FIFO or a device.
std::FILE* OpenRegularForReading(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) throw EFOpenError(OpenFailureText(runtime_texts::FileOpenError, path, errno));
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        const std::string why = S_ISREG(status.st_mode) ? std::strerror(errno) : std::string(KindOf(status.st_mode));
        close(descriptor);
        throw EFOpenError(FormatMessage(runtime_texts::FileOpenError, path) + ". " + why);
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(descriptor, "rb");
    if (!file) {
        const int error = errno;
        close(descriptor);
        throw EFOpenError(OpenFailureText(runtime_texts::FileOpenError, path, error));
    }
    return file;
}

}  // namespace

TFileStream::TFileStream(const std::string& path, TFileMode mode) : path_(path) {
    if (mode == TFileMode::OpenRead) {
        file_.reset(OpenRegularForReading(path));
        return;
    }
    file_.reset(std::fopen(path.c_str(), mode == TFileMode::OpenReadWrite ? "r+b" : "w+b"));
    if (!file_) {
        if (mode == TFileMode::Create) throw EFCreateError(OpenFailureText(runtime_texts::FileCreateError, path, errno));
        throw EFOpenError(OpenFailureText(runtime_texts::FileOpenError, path, errno));
    }
}

TFileStream::TFileStream(int descriptor, const std::string& path) : path_(path) {
    file_.reset(fdopen(descriptor, "w+b"));
    if (!file_) {
        const int error = errno;
        close(descriptor);
        throw EFCreateError(OpenFailureText(runtime_texts::FileCreateError, path, error));
    }
}

int TFileStream::Descriptor() const { return file_ ? fileno(file_.get()) : -1; }

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    if (!file_) return 0;
    return std::fread(buffer, 1, count, file_.get());
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    if (!file_) return 0;
    const std::size_t written = std::fwrite(buffer, 1, count, file_.get());
    if (written != count) throw EWriteError(WithReason(std::string(runtime_texts::WriteError), errno));
    return written;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    if (!file_) return 0;
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET : origin == TSeekOrigin::Current ? SEEK_CUR : SEEK_END;
    if (fseeko(file_.get(), offset, whence) != 0) throw EReadError(std::string(runtime_texts::ReadError));
    return ftello(file_.get());
}

void TFileStream::SetSize(std::int64_t size) {
    Flush();
    if (ftruncate(fileno(file_.get()), size) != 0) throw EWriteError(WithReason(std::string(runtime_texts::WriteError), errno));
}

void TFileStream::Flush() {
    if (file_ && (std::fflush(file_.get()) != 0 || std::ferror(file_.get()) != 0))
        throw EWriteError(WithReason(std::string(runtime_texts::WriteError), errno));
}

void TFileStream::Close() {
    if (!file_) return;
    std::FILE* file = file_.release();
    const bool failed = std::fflush(file) != 0 || std::ferror(file) != 0;
    const int error = errno;
    if (std::fclose(file) != 0 || failed) throw EWriteError(WithReason(std::string(runtime_texts::WriteError), failed ? error : errno));
}

void WriteFileReplacing(const std::string& path, const std::function<void(TStream&)>& write) {
    const std::filesystem::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    std::optional<TFolderHandle> opened;
    try {
        opened.emplace(folder);
    } catch (const EFOpenError& error) {
        throw EFCreateError(FormatMessage(runtime_texts::FileCreateError, path) + ". " + error.what());
    }
    PublishFile(*opened, target.filename().string(), TPublishMode::Replace, write);
}

}  // namespace pictorand
