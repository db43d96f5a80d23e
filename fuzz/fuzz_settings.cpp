// Fuzz target: a settings file as start-up, «Загрузить набор...» and --settings read it: the
// record applied to the defaults, and whatever follows it read as the photo options.
#include <array>
#include <cstring>
#include <string_view>

#include "engine/extra_options_file.h"
#include "engine/settings_file.h"
#include "graphics/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorand;
    if (size < SettingsRecordSize) return 0;
    std::array<std::uint8_t, SettingsRecordSize> bytes{};
    std::memcpy(bytes.data(), data, bytes.size());
    ConversionSettings settings;
    SettingsFileRecord::Decode(bytes).ApplyTo(settings);
    (void)SettingsFileRecord::From(settings).Encode();
    try {
        const TExtraOptions options =
            ParseExtraOptions(std::string_view(reinterpret_cast<const char*>(data) + SettingsRecordSize, size - SettingsRecordSize), "fuzz");
        (void)ExtraOptionsText(options);
    } catch (const EInOutError&) {
    }
    return 0;
}
