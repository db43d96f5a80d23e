#include "engine/source_loader.h"

#include <string>

#include "engine/app_messages.h"
#include "formats/format_table.h"

namespace pictorand {

namespace {

void LoadRow(const TFormatRow& row, const std::string& path, TBitmap& target) {
    if (row.Load == TLoadKind::Bitmap) {
        target.LoadFromFile(path);
        return;
    }
    const std::unique_ptr<TGraphic> reader = row.CreateReader();
    reader->LoadFromFile(path);
    if (row.Load == TLoadKind::Metafile) {
        target.SetHeight(reader->Height());
        target.SetWidth(reader->Width());
        reader->Draw(target, 0, 0);
        return;
    }
    reader->ReleaseTo(target);
}

}  // namespace

std::unique_ptr<TBitmap> CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host) {
    auto source = std::make_unique<TBitmap>();
    const TFormatRow* row = FindReadableFormat(file.Extension);
    try {
        if (row && row->LoadsBeforeEventPump) LoadRow(*row, file.Path, *source);
        host.ProcessMessages();
        if (row && !row->LoadsBeforeEventPump) LoadRow(*row, file.Path, *source);
    } catch (const std::exception& error) {
        host.ShowMessage(std::string(messages::CannotLoadFilePrefix) + file.Name + "!", error.what());
        return nullptr;
    }
    return source;
}

}  // namespace pictorand
