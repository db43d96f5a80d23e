#include "engine/output_raster_stage.h"

#include <cmath>
#include <exception>
#include <string>

#include "engine/integer_text.h"
#include "engine/text_catalogue.h"
#include "graphics/exceptions.h"
#include "resample/filter_kernels.h"
#include "resample/resample_alpha.h"
#include "resample/resample_bitmap.h"
#include "resample/resample_linear.h"
#include "resample/row_resampler.h"

namespace pictorand {

namespace {


// Round to the nearest integer, ties to even, refusing results no raster can have.
int RoundSide(double value) {
    if (!(std::fabs(value) < 2147483647.0)) throw EConvertError(Say(TText::InvalidFloatingPoint));
    return static_cast<int>(std::nearbyint(value));
}

std::pair<int, int> ScaledSize(int width, int height, double target) {
    const int longer = height > width ? height : width;
    if (longer == 0) throw EZeroDivide(std::string(runtime_texts::ZeroDivide));
    const double factor = target / longer;
    return {RoundSide(width * factor), RoundSide(height * factor)};
}

const FilterTableEntry& ChosenFilter(const ConversionSettings& settings) {
    // The list's ordinal is the table row; a damaged settings file can name no row.
    const auto filter = settings.SelectedFilter();
    if (!filter) throw EInvalidGraphicOperation(Say(TText::NoFilterChosen));
    return FilterTable[static_cast<std::size_t>(*filter)];
}

}  // namespace

std::pair<int, int> CheckSizeFiles(const ConversionSettings& s, int width, int height) {
    const int longer = height > width ? height : width;
    if (!s.Size) throw EInvalidGraphicOperation(Say(TText::NoSizeChosen));
    switch (*s.Size) {
        case SizeMode::Custom: {
            // Round(W x N / W) with the product in 32-bit arithmetic, as the width always was.
            const std::int32_t w = StrToInt(s.CustomWidthText), h = StrToInt(s.CustomHeightText);
            if (width == 0 || height == 0) throw EZeroDivide(std::string(runtime_texts::ZeroDivide));
            const auto wrapped = [](std::int64_t product) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(product)); };
            return {RoundSide(static_cast<double>(wrapped(std::int64_t{width} * w)) / width),
                    RoundSide(static_cast<double>(wrapped(std::int64_t{height} * h)) / height)};
        }
        case SizeMode::FitPixels: return ScaledSize(width, height, StrToInt(s.MaxSideText));
        case SizeMode::FitPercent: {
            const std::int32_t n = StrToInt(s.PercentText);
            const auto wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(std::int64_t{longer} * n));
            return ScaledSize(width, height, wrapped / 100);
        }
        case SizeMode::FitCentimetres: return ScaledSize(width, height, PixelsPerCentimetre * StrToInt(s.CentimetresText));
        case SizeMode::FitMillimetres:
            return ScaledSize(width, height, PixelsPerCentimetre * StrToInt(s.MillimetresText) / 10);
        case SizeMode::NoResize: break;
    }
    return {width, height};
}

std::pair<int, int> IconSize(int width, int height) { return ScaledSize(width, height, IconSide); }

std::optional<std::pair<int, int>> PlannedTargetSize(const ConversionSettings& settings, int width, int height) {
    if (settings.WritesIcons()) return IconSize(width, height);
    if (settings.Size == SizeMode::NoResize) return std::nullopt;
    return CheckSizeFiles(settings, width, height);
}

std::unique_ptr<TRowResampler> PlannedRowScaling(const ConversionSettings& settings, int width, int height, int threads) {
    if (settings.Resample.LinearLight) return nullptr;
    try {
        const auto target = PlannedTargetSize(settings, width, height);
        if (!target) return nullptr;
        const FilterTableEntry& filter = ChosenFilter(settings);
        const TSamplingGrid grid = settings.Resample.CentreGrid ? TSamplingGrid::Centres : TSamplingGrid::Corners;
        static const TResamplePasses passes = BestPasses();
        return std::make_unique<TRowResampler>(width, height, target->first, target->second, filter.Kernel, filter.Support, passes, grid,
                                               threads);
    } catch (const std::exception&) {
        // The output stage meets the same failure and says it.
        return nullptr;
    }
}

TStageRaster TakeScaledRaster(std::unique_ptr<TBitmap> scaled, TRunHost& host) {
    host.ProcessMessages();
    host.ProcessMessages();
    return {std::move(scaled), std::string(), std::nullopt};
}

TStageRaster MakeOutputRaster(TBitmap& source, const TSettingsSource& settingsSource, TRunHost& host,
                              std::optional<std::pair<int, int>> nominalSize, int threads) {
    const ConversionSettings settings = settingsSource.Current();
    const bool icon = settings.WritesIcons();
    const bool copy = !icon && settings.Size == SizeMode::NoResize;
    auto target = std::make_unique<TBitmap>();
    std::string error;
    try {
        if (copy) {
            target->Assign(source);
        } else {
            const auto [sourceWidth, sourceHeight] = nominalSize.value_or(std::pair{source.Width(), source.Height()});
            const auto [width, height] = icon ? IconSize(sourceWidth, sourceHeight) : CheckSizeFiles(settings, sourceWidth, sourceHeight);
            if (width < 0 || height < 0) throw EInvalidGraphicOperation(Say(TText::DestinationTooSmall));
            target->SetPixelFormat(TPixelFormat::pf24bit);
            target->SetSize(width, height);
        }
    } catch (const std::exception& failure) {
        target.reset();
        error = failure.what();
    }
    host.ProcessMessages();
    if (!copy && target) {
        try {
            // The filter is read when the resampler is called, like every other setting.
            const ConversionSettings now = settingsSource.Current();
            const FilterTableEntry& filter = ChosenFilter(now);
            const TSamplingGrid grid = now.Resample.CentreGrid ? TSamplingGrid::Centres : TSamplingGrid::Corners;
            // A source keeps its alpha only when the run keeps transparency for the format.
            if (now.Resample.LinearLight) ResampleBitmapLinear(source, *target, filter.Kernel, filter.Support, grid, threads);
            else if (source.HasAlpha()) ResampleBitmapWithAlpha(source, *target, filter.Kernel, filter.Support, grid, threads);
            else ResampleBitmap(source, *target, filter.Kernel, filter.Support, grid, threads);
        } catch (const std::exception& failure) {
            target.reset();
            error = failure.what();
        }
    }
    host.ProcessMessages();
    return {std::move(target), error, std::nullopt};
}

}  // namespace pictorand
