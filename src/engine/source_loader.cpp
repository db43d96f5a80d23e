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
    loaded.Scaled = false;
    const std::int64_t pixels = std::int64_t{loaded.Info.Width} * loaded.Info.Height;
    if (pixels > wishes.MaxPixels) {
        throw EOutOfMemory(Say(TText::TooManyPixels, {std::to_string(loaded.Info.Width), std::to_string(loaded.Info.Height),
                                                      std::to_string(Megapixels(pixels)), std::to_string(Megapixels(wishes.MaxPixels))}));
    }
    TDecodeRequest request;
    request.MaxPixels = wishes.MaxPixels;
    request.KeepAlpha = wishes.KeepAlpha;
    request.ProfileConverts = wishes.ProfileConverts;
    request.Threads = wishes.Threads;
    if (wishes.CmykToBgr) request.CmykToBgr = wishes.CmykToBgr(loaded.Info);
    request.LabToBgr = wishes.LabToBgr;
    if (wishes.Rgb16ToBgr) request.Rgb16ToBgr = wishes.Rgb16ToBgr(loaded.Info);
    const TImageInfo& info = loaded.Info;
    if (format.Shrink != TShrinkOnLoad::None && wishes.ShrinkTo && info.Width > 0 && info.Height > 0) {
        if (const auto wanted = wishes.ShrinkTo(info, format.Shrink)) {
            request.ShrinkDenominator = ShrinkDenominator(info.Width, info.Height, wanted->first, wanted->second, format.Shrink);
            if (request.ShrinkDenominator > 1) loaded.NominalSize = std::pair{info.Width, info.Height};
        }
    }
    if (wishes.BeforeDecode) wishes.BeforeDecode(EstimatedBytes(info, file.size()));
    std::unique_ptr<TRowResampler> scaling;
    if (format.DecodeRows && wishes.ScaleRows && request.ShrinkDenominator == 1) scaling = wishes.ScaleRows(info);
    TDecodedImage decoded = scaling ? format.DecodeRows(file, request, TRowSink([&scaling](TBitmap& band, int first, int count) {
                                          scaling->Take(band, first, count);
                                      }))
                                    : format.Decode(file, request);
    loaded.Warnings = std::move(decoded.Warnings);
    if (!decoded.Streamed) return std::make_unique<TBitmap>(std::move(decoded.Raster));
    auto target = std::make_unique<TBitmap>();
    scaling->Finish(*target);
    loaded.Scaled = true;
    loaded.NominalSize = std::pair{scaling->SourceWidth(), scaling->SourceHeight()};
    return target;
}

}  // namespace

int ShrinkDenominator(int width, int height, int targetWidth, int targetHeight, TShrinkOnLoad kind) {
    auto covers = [&](int denominator) {
        return (width + denominator - 1) / denominator >= targetWidth && (height + denominator - 1) / denominator >= targetHeight;
    };
    if (kind == TShrinkOnLoad::Redraw) {
        // ceil(side / n) >= target holds for every n below side / (target - 1).
        auto largest = [](int side, int target) { return target <= 1 ? side : std::max(1, (side - 1) / (target - 1)); };
        int denominator = std::max(1, std::min(largest(width, targetWidth), largest(height, targetHeight)));
        while (denominator > 1 && !covers(denominator)) --denominator;
        return denominator;
    }
    for (const int denominator : {8, 4, 2})
        if (covers(denominator)) return denominator;
    return 1;
}

std::int64_t EstimatedBytes(const TImageInfo& info, std::size_t fileBytes) {
    // The decoded raster, a converted or turned copy of it and the target, at four bytes
    // a pixel each; the target is as large as the source when the size is kept.
    constexpr std::int64_t BytesPerPixel = 12;
    return static_cast<std::int64_t>(fileBytes) + BytesPerPixel * std::int64_t{info.Width} * std::int64_t{info.Height};
}

TFileGuess GuessFile(const std::string& path, std::string_view extension) {
    TFileGuess guess;
    std::uint8_t head[SignatureBytes];
    std::size_t length = 0;
    try {
        TFileStream in(path, TFileMode::OpenRead);
        length = in.Read(head, sizeof head);
    } catch (const std::exception&) {
        length = 0;
    }
    const TFormatDescriptor* byContent = IdentifyKnownByContent(std::span(head, length));
    if (byContent && byContent->Reads()) guess.Reader = byContent;
    else guess.Foreign = byContent ? byContent : FindKnownFormat(extension);
    return guess;
}

std::string NotReadReason(const TFormatDescriptor& foreign) { return Say(TText::FormatNotRead, {WithArticle(foreign.Title)}); }

TByteBuffer ReadWholeFile(const std::string& path) {
    TFileStream in(path, TFileMode::OpenRead);
    return in.ReadRemaining(static_cast<std::size_t>(MaxRasterBytes));
}

TLoadedSource CheckAndLoadFromFile(const TSourceFile& file, TRunHost& host, const TLoadWishes& wishes) {
    TLoadedSource loaded;
    const TFormatDescriptor* format = FindReadableFormat(file.Extension);
    host.ProcessMessages();
    try {
        if (!format) {
            const TFileGuess guess = GuessFile(file.Path, file.Extension);
            if (guess.Foreign) throw EInvalidGraphic(NotReadReason(*guess.Foreign));
            if (!guess.Reader) throw EInvalidGraphic(file.Extension.empty() ? Say(TText::NoExtension) : Say(TText::UnknownExtension, {file.Extension}));
            format = guess.Reader;
        }
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
