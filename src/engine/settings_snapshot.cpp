#include "engine/settings_snapshot.h"

namespace pictorand {

TSettingsSnapshot::TSettingsSnapshot(const TSettingsSource& live, std::function<std::string()> logoFileName)
    : live_(live), liveLogo_(std::move(logoFileName)) {
    Refresh();
}

ConversionSettings TSettingsSnapshot::Current() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

std::string TSettingsSnapshot::LogoFileName() const {
    std::lock_guard lock(mutex_);
    return logo_;
}

void TSettingsSnapshot::Refresh() {
    ConversionSettings settings = live_.Current();
    std::string logo = liveLogo_ ? liveLogo_() : std::string();
    std::lock_guard lock(mutex_);
    settings_ = std::move(settings);
    logo_ = std::move(logo);
}

}  // namespace pictorand
