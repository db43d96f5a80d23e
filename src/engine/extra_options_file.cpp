#include "engine/extra_options_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "engine/settings_file.h"
#include "engine/text_catalogue.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

// The output format when the settings record has no button for it (WebP, say).
constexpr std::string_view OutputFormatKey = "output_format";

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

TExtraOptions ReadExtraOptionsFile(const std::string& path) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) return RecommendedOptions();
    std::ifstream in(path);
    if (!in) throw EInOutError(Say(TText::OptionsFileUnreadable, {path, std::strerror(errno)}));
    std::stringstream text;
    text << in.rdbuf();
    return ParseExtraOptions(text.str(), path);
}

TExtraOptions ParseExtraOptions(std::string_view text, const std::string& path) {
    TExtraOptions options = RecommendedOptions();
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (!json.is_object()) throw EInOutError(Say(TText::OptionsFileNoObject, {path}));
    for (const TOptionRow& row : OptionTable()) {
        const auto it = json.find(row.Key);
        if (it == json.end()) continue;
        if (row.Switch && it->is_boolean()) SetSwitch(row, options, it->get<bool>());
        if (row.Colour && it->is_string()) ParseColourText(it->get<std::string>(), row.Colour(options));
        if (row.Number && it->is_number_integer()) {
            const auto value = it->get<std::int64_t>();
            if (value >= row.Low && value <= row.High) row.Number(options) = static_cast<int>(value);
        }
    }
    if (const auto it = json.find(OutputFormatKey); it != json.end() && it->is_string()) options.OutputFormat = it->get<std::string>();
    return options;
}

std::string ExtraOptionsText(const TExtraOptions& options) {
    nlohmann::ordered_json json;
    for (const TOptionRow& row : OptionTable()) {
        if (row.Switch) json[std::string(row.Key)] = SwitchValue(row, options);
        if (row.Colour) json[std::string(row.Key)] = ColourText(ColourValue(row, options));
        if (row.Number && NumberValue(row, options) != 0) json[std::string(row.Key)] = NumberValue(row, options);
    }
    if (!options.OutputFormat.empty()) json[std::string(OutputFormatKey)] = options.OutputFormat;
    return json.dump(2) + "\n";
}

void WriteExtraOptionsFile(const std::string& path, const TExtraOptions& options) {
    std::ofstream out(path, std::ios::trunc);
    out << ExtraOptionsText(options);
    if (!out) throw EInOutError(Say(TText::OptionsFileUnwritable, {path}));
}

}  // namespace pictorand
