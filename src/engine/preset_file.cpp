#include "engine/preset_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/settings_file.h"
#include "engine/text_catalogue.h"
#include "graphics/exceptions.h"

namespace pictorand {

void WritePresetFile(const std::string& path, const ConversionSettings& record, const TExtraOptions& options) {
    const auto bytes = SettingsFileRecord::From(record).Encode();
    const std::string text = ExtraOptionsText(options);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out << text;
    out.close();
    if (!out) throw EInOutError(Say(TText::OptionsFileUnwritable, {path}));
}

std::optional<TExtraOptions> ReadPresetOptions(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EInOutError(Say(TText::OptionsFileUnreadable, {path, std::strerror(errno)}));
    in.seekg(static_cast<std::streamoff>(SettingsRecordSize));
    if (!in) return std::nullopt;
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw EInOutError(Say(TText::OptionsFileUnreadable, {path, std::strerror(errno)}));
    // Bytes a settings file holds after its record that are no object are not ours to read.
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || text[start] != '{') return std::nullopt;
    return ParseExtraOptions(text, path);
}

}  // namespace pictorand
