#include "engine/conversion_settings.h"

namespace pictorand {

void ConversionSettings::SetWarnOnExisting(bool checked) {
    if (WarnOnExisting == checked) return;
    WarnOnExisting = checked;
    ReplaceSilently = !checked;
}

void ConversionSettings::SetReplaceSilently(bool checked) {
    if (ReplaceSilently == checked) return;
    ReplaceSilently = checked;
    WarnOnExisting = !checked;
}

std::string_view ConversionSettings::JpegQualityText() const {
    if (JpegQuality < 0 || JpegQuality >= static_cast<std::int32_t>(JpegQualityItems.size())) return {};
    return JpegQualityItems[static_cast<std::size_t>(JpegQuality)];
}

std::optional<ResampleFilter> ConversionSettings::SelectedFilter() const {
    if (Filter < 0 || Filter >= static_cast<std::int32_t>(FilterItems.size())) return std::nullopt;
    return static_cast<ResampleFilter>(Filter);
}

}  // namespace pictorand
