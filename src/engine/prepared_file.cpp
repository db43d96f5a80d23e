#include "engine/prepared_file.h"

#include "engine/file_names.h"

namespace pictorand {

TSourceFile TSourceFile::From(const TSourceEntry& entry) {
    return {entry.Path, ExtractFileName(entry.Path), ExtractFileExt(entry.Path), entry.Subfolder};
}

}  // namespace pictorand
