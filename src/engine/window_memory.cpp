#include "engine/window_memory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "engine/settings_file.h"
#include "engine/text_catalogue.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

constexpr const char* SourcesKey = "sources";
constexpr const char* OutputsKey = "outputs";
constexpr const char* LanguageKey = "language";

std::vector<std::string> Folders(const nlohmann::json& json, const char* key) {
    std::vector<std::string> folders;
    const auto it = json.find(key);
    if (it == json.end() || !it->is_array()) return folders;
    for (const auto& item : *it) {
        if (!item.is_string() || folders.size() == TWindowMemory::Kept) continue;
        const std::string folder = item.get<std::string>();
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    return folders;
}

}  // namespace

void TWindowMemory::Remember(std::vector<std::string>& list, const std::string& folder) {
    if (folder.empty()) return;
    std::erase(list, folder);
    list.insert(list.begin(), folder);
    if (list.size() > Kept) list.resize(Kept);
}

std::string WindowMemoryFilePath() { return (std::filesystem::path(SettingsFilePath()).parent_path() / "Window.json").string(); }

TWindowMemory ReadWindowMemory(const std::string& path) {
    std::ifstream in(path);
    if (!in) return {};
    std::stringstream text;
    text << in.rdbuf();
    const nlohmann::json json = nlohmann::json::parse(text.str(), nullptr, false);
    if (!json.is_object()) return {};
    TWindowMemory memory{Folders(json, SourcesKey), Folders(json, OutputsKey), {}};
    if (const auto it = json.find(LanguageKey); it != json.end() && it->is_string()) memory.Language = it->get<std::string>();
    return memory;
}

void WriteWindowMemory(const std::string& path, const TWindowMemory& memory) {
    nlohmann::ordered_json json;
    json[SourcesKey] = memory.Sources;
    json[OutputsKey] = memory.Outputs;
    if (!memory.Language.empty()) json[LanguageKey] = memory.Language;
    std::ofstream out(path, std::ios::trunc);
    out << json.dump(2) << "\n";
    out.close();
    if (!out) throw EInOutError(Say(TText::OptionsFileUnwritable, {path}));
}

}  // namespace pictorand
