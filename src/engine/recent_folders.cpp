#include "engine/recent_folders.h"

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

std::vector<std::string> Folders(const nlohmann::json& json, const char* key) {
    std::vector<std::string> folders;
    const auto it = json.find(key);
    if (it == json.end() || !it->is_array()) return folders;
    for (const auto& item : *it) {
        if (!item.is_string() || folders.size() == TRecentFolders::Kept) continue;
        const std::string folder = item.get<std::string>();
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    return folders;
}

}  // namespace

void TRecentFolders::Remember(std::vector<std::string>& list, const std::string& folder) {
    if (folder.empty()) return;
    std::erase(list, folder);
    list.insert(list.begin(), folder);
    if (list.size() > Kept) list.resize(Kept);
}

std::string RecentFoldersFilePath() { return (std::filesystem::path(SettingsFilePath()).parent_path() / "RecentFolders.json").string(); }

TRecentFolders ReadRecentFolders(const std::string& path) {
    std::ifstream in(path);
    if (!in) return {};
    std::stringstream text;
    text << in.rdbuf();
    const nlohmann::json json = nlohmann::json::parse(text.str(), nullptr, false);
    if (!json.is_object()) return {};
    return {Folders(json, SourcesKey), Folders(json, OutputsKey)};
}

void WriteRecentFolders(const std::string& path, const TRecentFolders& folders) {
    nlohmann::ordered_json json;
    json[SourcesKey] = folders.Sources;
    json[OutputsKey] = folders.Outputs;
    std::ofstream out(path, std::ios::trunc);
    out << json.dump(2) << "\n";
    out.close();
    if (!out) throw EInOutError(Say(TText::OptionsFileUnwritable, {path}));
}

}  // namespace pictorand
