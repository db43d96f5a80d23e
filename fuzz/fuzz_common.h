// Shared pieces of the fuzz targets: loading bytes through an image object the way the
// batch run does, with every failure the reader may raise swallowed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "formats/common/format_descriptor.h"
#include "formats/common/graphic_ex.h"
#include "graphics/bitmap.h"
#include "graphics/exceptions.h"
#include "graphics/raster_limits.h"
#include "graphics/stream.h"

namespace pictorand::fuzz {

// Rasters stay small under the fuzzers' memory limit.
inline constexpr std::int64_t SmallRasters = 16'000'000;

// Loads data with a fresh T and copies its picture into a bitmap; answers the bitmap
// (empty when the reader refused the data).
template <class T>
TBitmap LoadAs(const std::uint8_t* data, std::size_t size) {
    TBitmap result;
    const TRasterCap cap(SmallRasters);
    try {
        TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
        T image;
        // Inputs of odd length also take the path that hands alpha over.
        if constexpr (std::is_base_of_v<TGraphicExGraphic, T>) image.KeepAlpha = (size & 1) != 0;
        image.LoadFromStream(stream);
        result.Assign(image);
        // Touch every pixel so that a raster inconsistent with its size shows up.
        if (!result.Empty()) (void)result.GetPixel(result.Width() - 1, result.Height() - 1);
    } catch (const Exception&) {
    } catch (const std::bad_alloc&) {
    }
    return result;
}

// Probes and decodes data as the format's reader does for the batch run, when the header
// promises a raster within the fuzzers' bound; answers the picture (empty when refused).
inline TBitmap DecodeAs(const TFormatDescriptor& format, const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    try {
        const TImageInfo info = format.Probe(file);
        if (std::int64_t{info.Width} * info.Height > SmallRasters) return {};
        const TRasterCap cap(SmallRasters);
        TDecodeRequest request;
        request.KeepAlpha = (size & 1) != 0;
        // Inputs whose length is a multiple of four also take the shrinking path.
        request.ShrinkDenominator = size % 4 == 0 ? 2 : 1;
        TBitmap bitmap = format.Decode(file, request).Raster;
        if (!bitmap.Empty()) (void)bitmap.GetPixel(bitmap.Width() - 1, bitmap.Height() - 1);
        return bitmap;
    } catch (const Exception&) {
    } catch (const std::bad_alloc&) {
    }
    return {};
}

// A row sink that traps on a band outside the picture or a row given twice, reads each
// band's last pixel and stops the load once the fuzzers' raster bound is passed.
class TBandChecker {
public:
    TBandChecker()
        : sink_([this](TBitmap& band, int first, int count) {
              if (first < 0 || count < 1 || count > band.Height()) __builtin_trap();
              if (seen_.size() < static_cast<std::size_t>(first + count)) seen_.resize(static_cast<std::size_t>(first + count), 0);
              for (int r = first; r < first + count; ++r) {
                  if (seen_[static_cast<std::size_t>(r)]) __builtin_trap();
                  seen_[static_cast<std::size_t>(r)] = 1;
              }
              (void)band.GetPixel(band.Width() - 1, count - 1);
              pixels_ += std::int64_t{count} * band.Width();
              if (pixels_ > SmallRasters) throw EInvalidGraphic("past the fuzzers' bound");
          }) {}
    TBandChecker(const TBandChecker&) = delete;
    TBandChecker& operator=(const TBandChecker&) = delete;

    const TRowSink& Sink() const { return sink_; }
    // Traps unless every one of the picture's height rows was given.
    void ExpectEveryRow(int height) const {
        if (seen_.size() != static_cast<std::size_t>(height)) __builtin_trap();
        if (std::find(seen_.begin(), seen_.end(), 0) != seen_.end()) __builtin_trap();
    }

private:
    std::vector<char> seen_;
    std::int64_t pixels_ = 0;
    TRowSink sink_;
};

// Loads data with a fresh T whose rows go to a checking row sink a band at a time, as for
// a picture too large to hold whole (configure may lower the reader's bound); a streamed
// picture must have given height(image) rows.
template <class T, class TConfigure, class THeight>
void LoadBandByBand(const std::uint8_t* data, std::size_t size, TConfigure configure, THeight height) {
    TBandChecker checker;
    const TRasterCap cap(SmallRasters);
    try {
        TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
        T image;
        image.RowsTo = &checker.Sink();
        configure(image);
        image.LoadFromStream(stream);
        if (image.Streamed()) checker.ExpectEveryRow(height(image));
    } catch (const Exception&) {
    } catch (const std::bad_alloc&) {
    }
}

// Every third input through LoadBandByBand, the picture's height the header's; the others
// through LoadAs.
template <class T, class TConfigure = void (*)(T&)>
void LoadEveryThirdBandByBand(const std::uint8_t* data, std::size_t size, TConfigure configure = [](T&) {}) {
    if (size % 3 != 0) {
        LoadAs<T>(data, size);
        return;
    }
    LoadBandByBand<T>(data, size, configure, [](const T& image) { return static_cast<int>(image.ImageProperties().Height); });
}

// Probes and decodes data through the format's row decode to a checking row sink, as the
// batch run does for a picture it only scales; a streamed picture must have given every
// row the probe promised.
inline void DecodeBandByBand(const TFormatDescriptor& format, const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    TBandChecker checker;
    try {
        const TImageInfo info = format.Probe(file);
        if (std::int64_t{info.Width} * info.Height > SmallRasters) return;
        const TRasterCap cap(SmallRasters);
        TDecodeRequest request;
        request.KeepAlpha = (size & 1) != 0;
        if (format.DecodeRows(file, request, checker.Sink()).Streamed) checker.ExpectEveryRow(info.Height);
    } catch (const Exception&) {
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace pictorand::fuzz
