#include "engine/source_loader.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "engine/app_messages.h"
#include "formats/common/graphic_ex.h"
#include "formats/format_table.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

constexpr std::string_view NoExtension = "the file name has no extension to choose a reader by";
constexpr std::string_view UnknownExtension = "no reader takes the extension %s";
constexpr std::string_view EmptyPicture = "the file holds no picture that can be read";

// Enough of the file's start for every signature the format table knows.
std::vector<std::uint8_t> FirstBytes(const std::string& path) {
    std::vector<std::uint8_t> head(32);
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

void LoadRow(const TFormatRow& row, const std::string& path, TBitmap& target, bool keepAlpha) {
    if (row.Load == TLoadKind::Bitmap) {
        target.LoadFromFile(path);
        return;
    }
    const std::unique_ptr<TGraphic> reader = row.CreateReader();
    if (auto* decoded = dynamic_cast<TGraphicExGraphic*>(reader.get())) decoded->KeepAlpha = keepAlpha;
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

TStageRaster CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host, bool keepAlpha) {
    auto source = std::make_unique<TBitmap>();
    const TFormatRow* row = FindReadableFormat(file.Extension);
    std::string error;
    try {
        try {
            if (row && row->LoadsBeforeEventPump) LoadRow(*row, file.Path, *source, keepAlpha);
            host.ProcessMessages();
            if (row && !row->LoadsBeforeEventPump) LoadRow(*row, file.Path, *source, keepAlpha);
        } catch (const std::exception&) {
            // A file the extension's reader refuses is read by the reader its first bytes
            // name, as when a PNG was saved as photo.jpg; otherwise the first refusal stands.
            const TFormatRow* actual = IdentifyByContent(FirstBytes(file.Path));
            if (!actual || actual == row) throw;
            source = std::make_unique<TBitmap>();
            LoadRow(*actual, file.Path, *source, keepAlpha);
        }
        // Nothing to write would come of these; an empty output file would pass for a success.
        if (!row) error = file.Extension.empty() ? NoExtension : FormatMessage(UnknownExtension, file.Extension);
        else if (source->Empty()) error = EmptyPicture;
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    if (error.empty()) return {std::move(source), {}};
    host.ShowMessage(std::string(messages::CannotLoadFilePrefix) + file.Name + "!", error);
    return {nullptr, error};
}

}  // namespace pictorand
