// Fuzz target: the settings record, applied to the defaults as start-up does.
#include <array>
#include <cstring>

#include "engine/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorand;
    if (size < SettingsRecordSize) return 0;
    std::array<std::uint8_t, SettingsRecordSize> bytes{};
    std::memcpy(bytes.data(), data, bytes.size());
    ConversionSettings settings;
    SettingsFileRecord::Decode(bytes).ApplyTo(settings);
    (void)SettingsFileRecord::From(settings).Encode();
    return 0;
}
