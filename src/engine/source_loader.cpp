#include "engine/source_loader.h"

#include <algorithm>

#include "engine/text_catalogue.h"
#include "formats/format_table.h"
#include "graphics/exceptions.h"
#include "graphics/file_stream.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {

// Probes and decodes the file as the format; the probe's facts go into loaded.
std::unique_ptr<TBitmap> ReadAs(const TFormatDescriptor& format, std::span<const std::uint8_t> file, const TLoadWishes& wishes,
                                TLoadedSource& loaded) {
    loaded.Format = &format;
    loaded.Info = format.Probe(file);
    loaded.NominalSize.reset();
    const std::int64_t pixels = std::int64_t{loaded.Info.Width} * loaded.Info.Height;
    if (pixels > wishes.MaxPixels) {
        throw EOutOfMemory(Say(TText::TooManyPixels, {std::to_string(loaded.Info.Width), std::to_string(loaded.Info.Height),
                                                      std::to_string(Megapixels(pixels)), std::to_string(Megapixels(wishes.MaxPixels))}));
    }
    TDecodeRequest request;
    request.MaxPixels = wishes.MaxPixels;
    request.KeepAlpha = wishes.KeepAlpha;
    request.Threads = wishes.Threads;
    if (wishes.CmykToBgr) request.CmykToBgr = wishes.CmykToBgr(loaded.Info);
    const TImageInfo& info = loaded.Info;
    if (format.ShrinksOnLoad && wishes.ShrinkTo && info.Width > 0 && info.Height > 0) {
        if (const auto wanted = wishes.ShrinkTo(info)) {
            request.ShrinkDenominator = ShrinkDenominator(info.Width, info.Height, wanted->first, wanted->second);
            if (request.ShrinkDenominator > 1) loaded.NominalSize = std::pair{info.Width, info.Height};
        }
    }
    TDecodedImage decoded = format.Decode(file, request);
    loaded.Warnings = std::move(decoded.Warnings);
    return std::make_unique<TBitmap>(std::move(decoded.Raster));
}

}  // namespace

int ShrinkDenominator(int width, int height, int targetWidth, int targetHeight) {
    for (const int denominator : {8, 4, 2}) {
        if ((width + denominator - 1) / denominator >= targetWidth && (height + denominator - 1) / denominator >= targetHeight) return denominator;
    }
    return 1;
}

TByteBuffer ReadWholeFile(const std::string& path) {
    TFileStream in(path, TFileMode::OpenRead);
    return in.ReadRemaining(static_cast<std::size_t>(MaxRasterBytes));
}

TLoadedSource CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host, const TLoadWishes& wishes) {
    TLoadedSource loaded;
    const TFormatDescriptor* format = FindReadableFormat(file.Extension);
    host.ProcessMessages();
    try {
        if (!format) throw EInvalidGraphic(file.Extension.empty() ? Say(TText::NoExtension) : Say(TText::UnknownExtension, {file.Extension}));
        const TByteBuffer bytes = ReadWholeFile(file.Path);
        try {
            loaded.Raster = ReadAs(*format, bytes, wishes, loaded);
        } catch (const std::exception&) {
            // A file the extension's format refuses is read as the format its first bytes
            // name, as when a PNG was saved as photo.jpg; otherwise the first refusal stands.
            const TFormatDescriptor* actual = IdentifyByContent(std::span(bytes).first(std::min(bytes.size(), SignatureBytes)));
            if (!actual || actual == format) throw;
            loaded.Raster = ReadAs(*actual, bytes, wishes, loaded);
        }
        // Nothing to write would come of an empty picture; an empty output would pass for a success.
        if (loaded.Raster->Empty()) throw EInvalidGraphic(Say(TText::EmptyPicture));
    } catch (const std::exception& failure) {
        loaded.Raster.reset();
        loaded.Error = failure.what();
        host.ShowMessage(Say(TText::CannotLoadFile, {file.Name}), loaded.Error);
    }
    return loaded;
}

}  // namespace pictorand
