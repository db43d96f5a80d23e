#include "engine/prepared_file.h"

#include "engine/file_names.h"
#include "engine/file_outcome.h"

namespace pictorand {

TSourceFile TSourceFile::From(const TSourceEntry& entry) {
    return {entry.Path, ExtractFileName(entry.Path), ExtractFileExt(entry.Path), entry.Subfolder};
}

const char* OutcomeName(TOutcome kind) {
    switch (kind) {
        case TOutcome::Written: return "written";
        case TOutcome::Skipped: return "skipped";
        case TOutcome::Ignored: return "ignored";
        case TOutcome::Failed: break;
    }
    return "failed";
}

}  // namespace pictorand
