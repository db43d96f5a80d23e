// The formats a run can write, in the order the settings record keeps their buttons.
#pragma once

#include <cstdint>

namespace pictorand {

enum class OutputFormat : std::uint8_t { Bmp, Jpg, Tga, Gif, Tiff, Png, Pcx, Ico, Wmf };

// The writers are gone through in this order.
inline constexpr OutputFormat WriterOrder[] = {
    OutputFormat::Bmp, OutputFormat::Jpg, OutputFormat::Gif, OutputFormat::Tga, OutputFormat::Tiff,
    OutputFormat::Png, OutputFormat::Pcx, OutputFormat::Ico, OutputFormat::Wmf,
};

// The formats whose writers keep a raster's alpha; the others get it flattened.
constexpr bool CarriesAlpha(OutputFormat format) {
    return format == OutputFormat::Png || format == OutputFormat::Tga || format == OutputFormat::Tiff ||
           format == OutputFormat::Ico;
}

}  // namespace pictorand
