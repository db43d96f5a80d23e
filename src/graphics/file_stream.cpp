#include "graphics/file_stream.h"

#include <atomic>
#include <cerrno>
#include <optional>
#include <cstring>
#include <unistd.h>

#include "graphics/exceptions.h"

namespace pictorand {

namespace {
std::string OpenFailureText(std::string_view pattern, const std::string& path) {
    return FormatMessage(pattern, path) + ". " + std::strerror(errno);
}
}  // namespace

TFileStream::TFileStream(const std::string& path, TFileMode mode) : path_(path) {
    const char* flags = mode == TFileMode::OpenRead ? "rb" : mode == TFileMode::OpenReadWrite ? "r+b" : "w+b";
    file_.reset(std::fopen(path.c_str(), flags));
    if (!file_) {
        if (mode == TFileMode::Create) throw EFCreateError(OpenFailureText(messages::FileCreateError, path));
        throw EFOpenError(OpenFailureText(messages::FileOpenError, path));
    }
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    if (!file_) return 0;
    return std::fread(buffer, 1, count, file_.get());
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    if (!file_) return 0;
    return std::fwrite(buffer, 1, count, file_.get());
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    if (!file_) return 0;
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET : origin == TSeekOrigin::Current ? SEEK_CUR : SEEK_END;
    if (fseeko(file_.get(), offset, whence) != 0) throw EReadError(std::string(messages::ReadError));
    return ftello(file_.get());
}

void TFileStream::SetSize(std::int64_t size) {
    std::fflush(file_.get());
    if (ftruncate(fileno(file_.get()), size) != 0) throw EWriteError(std::string(messages::WriteError));
}

void TFileStream::Close() {
    if (!file_) return;
    std::FILE* file = file_.release();
    const bool failed = std::fflush(file) != 0 || std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed) throw EWriteError(std::string(messages::WriteError));
}


}  // namespace pictorand

namespace pictorand {

void WriteFileReplacing(const std::string& path, const std::function<void(TStream&)>& write) {
    static std::atomic<unsigned> counter{0};
    const std::string temporary =
        path + ".pictorand-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
    try {
        std::optional<TFileStream> opened;
        try {
            opened.emplace(temporary, TFileMode::Create);
        } catch (const EFCreateError&) {
            throw EFCreateError(OpenFailureText(messages::FileCreateError, path));
        }
        TFileStream& stream = *opened;
        write(stream);
        stream.Close();
    } catch (...) {
        std::remove(temporary.c_str());
        throw;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        errno = error;
        throw EFCreateError(OpenFailureText(messages::FileCreateError, path));
    }
}

}  // namespace pictorand
