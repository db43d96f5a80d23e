// TSettingsSnapshot: the settings and logo file of a run as last read on the thread that
// owns them (a window's widgets, say), for threads that prepare files ahead to read.
#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "engine/conversion_settings.h"

namespace pictorand {

class TSettingsSnapshot : public TSettingsSource {
public:
    // Reads both at once; the sources are read again only by Refresh.
    TSettingsSnapshot(const TSettingsSource& live, std::function<std::string()> logoFileName);

    ConversionSettings Current() const override;
    std::string LogoFileName() const;
    // Reads the live settings and logo file again; call it on their owner's thread.
    void Refresh();

private:
    const TSettingsSource& live_;
    std::function<std::string()> liveLogo_;
    mutable std::mutex mutex_;
    ConversionSettings settings_;
    std::string logo_;
};

}  // namespace pictorand
