#include "engine/photo_options_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "engine/settings_file.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

constexpr const char* AutoOrientKey = "auto_orient";
constexpr const char* ConvertKey = "convert_to_srgb";
constexpr const char* TransparencyKey = "transparency";
constexpr const char* MetadataKey = "keep_metadata";
constexpr const char* BackgroundKey = "background";
constexpr const char* ShrinkKey = "shrink_on_load";
constexpr const char* CentreKey = "centre_sampling";
constexpr const char* LinearKey = "linear_light";

}  // namespace

std::string PhotoOptionsFilePath() { return (std::filesystem::path(SettingsFilePath()).parent_path() / "PhotoOptions.json").string(); }

std::string ColourText(TColor colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(colour & 255), static_cast<unsigned>(colour >> 8 & 255),
                  static_cast<unsigned>(colour >> 16 & 255));
    return text;
}

bool ParseColourText(const std::string& text, TColor& colour) {
    if (text.size() != 7 || text[0] != '#') return false;
    unsigned value = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<unsigned>(digit);
    }
    colour = RGBColor(static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value));
    return true;
}

TExtraOptions ReadPhotoOptionsFile(const std::string& path) {
    TExtraOptions options;
    std::ifstream in(path);
    if (!in) return options;
    const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (!json.is_object()) return options;
    auto flag = [&json](const char* key, bool& value) {
        if (const auto it = json.find(key); it != json.end() && it->is_boolean()) value = it->get<bool>();
    };
    flag(AutoOrientKey, options.Photo.AutoOrient);
    flag(ConvertKey, options.Photo.ConvertToSrgb);
    flag(TransparencyKey, options.Photo.Transparency);
    flag(MetadataKey, options.Photo.KeepMetadata);
    if (const auto it = json.find(BackgroundKey); it != json.end() && it->is_string()) ParseColourText(it->get<std::string>(), options.Photo.Background);
    flag(ShrinkKey, options.Resample.ShrinkOnLoad);
    flag(CentreKey, options.Resample.CentreGrid);
    flag(LinearKey, options.Resample.LinearLight);
    return options;
}

void WritePhotoOptionsFile(const std::string& path, const TExtraOptions& options) {
    nlohmann::ordered_json json;
    json[AutoOrientKey] = options.Photo.AutoOrient;
    json[ConvertKey] = options.Photo.ConvertToSrgb;
    json[TransparencyKey] = options.Photo.Transparency;
    json[MetadataKey] = options.Photo.KeepMetadata;
    json[BackgroundKey] = ColourText(options.Photo.Background);
    json[ShrinkKey] = options.Resample.ShrinkOnLoad;
    json[CentreKey] = options.Resample.CentreGrid;
    json[LinearKey] = options.Resample.LinearLight;
    std::ofstream out(path, std::ios::trunc);
    out << json.dump(2) << "\n";
    if (!out) throw EInOutError("Cannot write " + path);
}

}  // namespace pictorand
