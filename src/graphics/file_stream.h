// A TStream over a file on disk, opened for reading, for reading and writing, or created.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "graphics/stream.h"

namespace pictorand {

enum class TFileMode {
    OpenRead,       // existing regular file, read only
    OpenReadWrite,  // existing file, read and write, not truncated
    Create,         // created, or emptied when it exists
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError (or EFCreateError for Create) when the file cannot be opened.
    // OpenRead never waits on a FIFO or a device: anything but a regular file is refused.
    TFileStream(const std::string& path, TFileMode mode);
    // Takes over an open descriptor, readable and writable; path names it in messages.
    TFileStream(int descriptor, const std::string& path);

    std::size_t Read(void* buffer, std::size_t count) override;
    // A short write raises EWriteError with the system's reason (a full disk, say).
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;

    // Writes out what is buffered; raises EWriteError with the system's reason.
    void Flush();
    // Flushes and closes; raises EWriteError when buffered data could not be written.
    void Close();
    const std::string& Path() const { return path_; }
    int Descriptor() const;

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string path_;
    std::unique_ptr<std::FILE, Closer> file_;
};

// Creates path by writing through a temporary file in the same folder that takes the
// name once write has finished; on any failure nothing appears and an existing file at
// path is left untouched.
void WriteFileReplacing(const std::string& path, const std::function<void(TStream&)>& write);

}  // namespace pictorand
