// A TStream over a file on disk, opened for reading, for reading and writing, or created.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "graphics/stream.h"

namespace pictorand {

enum class TFileMode {
    OpenRead,       // existing file, read only
    OpenReadWrite,  // existing file, read and write, not truncated
    Create,         // created, or emptied when it exists
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError (or EFCreateError for Create) when the file cannot be opened.
    TFileStream(const std::string& path, TFileMode mode);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;

    // Flushes and closes; raises EWriteError when buffered data could not be written.
    void Close();
    const std::string& Path() const { return path_; }

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string path_;
    std::unique_ptr<std::FILE, Closer> file_;
};


}  // namespace pictorand

namespace pictorand {

// Creates path by writing through a temporary file in the same folder that is renamed
// over path once write has finished; on any failure the temporary file is removed and
// an existing file at path is left untouched.
void WriteFileReplacing(const std::string& path, const std::function<void(TStream&)>& write);

}  // namespace pictorand
