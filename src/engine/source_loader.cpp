#include "engine/source_loader.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/app_messages.h"
#include "formats/common/graphic_ex.h"
#include "formats/format_table.h"
#include "formats/jpeg/jpeg_image.h"
#include "graphics/exceptions.h"
#include "graphics/file_stream.h"

namespace pictorand {

namespace {

constexpr std::string_view NoExtension = "the file name has no extension to choose a reader by";
constexpr std::string_view UnknownExtension = "no reader takes the extension %s";
constexpr std::string_view EmptyPicture = "the file holds no picture that can be read";

// Enough of the file's start for every signature the format table knows.
std::vector<std::uint8_t> FirstBytes(const std::string& path) {
    std::vector<std::uint8_t> head(32);
    try {
        TFileStream in(path, TFileMode::OpenRead);
        head.resize(in.Read(head.data(), head.size()));
    } catch (const std::exception&) {
        head.clear();
    }
    return head;
}

// Loads the file with the row's reader; answers the whole picture's size when the JPEG
// reader decoded it at a reduced size.
std::optional<std::pair<int, int>> LoadRow(const TFormatRow& row, const std::string& path, TBitmap& target, const TLoadWishes& wishes) {
    if (row.Load == TLoadKind::Bitmap) {
        target.LoadFromFile(path);
        return std::nullopt;
    }
    const std::unique_ptr<TGraphic> reader = row.CreateReader();
    if (auto* decoded = dynamic_cast<TGraphicExGraphic*>(reader.get())) {
        decoded->KeepAlpha = wishes.KeepAlpha;
        decoded->CmykToBgr = wishes.CmykToBgr;
    }
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(reader.get())) {
        jpeg->Options.CmykToBgr = wishes.CmykToBgr;
        jpeg->Options.Threads = wishes.Threads;
    }
    reader->LoadFromFile(path);
    std::optional<std::pair<int, int>> nominal;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(reader.get()); jpeg && wishes.ShrinkTo) {
        const int width = jpeg->Width(), height = jpeg->Height();
        if (const auto wanted = wishes.ShrinkTo(width, height)) {
            const int denominator = ShrinkDenominator(width, height, wanted->first, wanted->second);
            if (denominator > 1) {
                jpeg->Options.ScaleFactor = denominator == 8 ? TJPEGScale::Eighth : denominator == 4 ? TJPEGScale::Quarter : TJPEGScale::Half;
                jpeg->Options.Thumbnail = true;
                nominal = std::pair{width, height};
            }
        }
    }
    if (row.Load == TLoadKind::Metafile) {
        target.SetHeight(reader->Height());
        target.SetWidth(reader->Width());
        reader->Draw(target, 0, 0);
        return std::nullopt;
    }
    reader->ReleaseTo(target);
    return nominal;
}

}  // namespace

int ShrinkDenominator(int width, int height, int targetWidth, int targetHeight) {
    for (const int denominator : {8, 4, 2}) {
        if ((width + denominator - 1) / denominator >= targetWidth && (height + denominator - 1) / denominator >= targetHeight) return denominator;
    }
    return 1;
}

TStageRaster CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host, const TLoadWishes& wishes) {
    auto source = std::make_unique<TBitmap>();
    const TFormatRow* row = FindReadableFormat(file.Extension);
    std::string error;
    std::optional<std::pair<int, int>> nominal;
    try {
        try {
            if (row && row->LoadsBeforeEventPump) nominal = LoadRow(*row, file.Path, *source, wishes);
            host.ProcessMessages();
            if (row && !row->LoadsBeforeEventPump) nominal = LoadRow(*row, file.Path, *source, wishes);
        } catch (const std::exception&) {
            // A file the extension's reader refuses is read by the reader its first bytes
            // name, as when a PNG was saved as photo.jpg; otherwise the first refusal stands.
            const TFormatRow* actual = IdentifyByContent(FirstBytes(file.Path));
            if (!actual || actual == row) throw;
            source = std::make_unique<TBitmap>();
            nominal = LoadRow(*actual, file.Path, *source, wishes);
        }
        // Nothing to write would come of these; an empty output file would pass for a success.
        if (!row) error = file.Extension.empty() ? NoExtension : FormatMessage(UnknownExtension, file.Extension);
        else if (source->Empty()) error = EmptyPicture;
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    if (error.empty()) return {std::move(source), {}, nominal};
    host.ShowMessage(std::string(messages::CannotLoadFilePrefix) + file.Name + "!", error);
    return {nullptr, error, std::nullopt};
}

}  // namespace pictorand
