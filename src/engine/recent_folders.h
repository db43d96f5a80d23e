// The folders a user picked sources from and wrote into lately, newest first, kept in
// "RecentFolders.json" beside the settings files from one start of the window to the next.
#pragma once

#include <string>
#include <vector>

namespace pictorand {

struct TRecentFolders {
    static constexpr std::size_t Kept = 8;
    std::vector<std::string> Sources;
    std::vector<std::string> Outputs;

    // Puts the folder first in the list, once, keeping the newest Kept.
    static void Remember(std::vector<std::string>& list, const std::string& folder);
    friend bool operator==(const TRecentFolders&, const TRecentFolders&) = default;
};

// "RecentFolders.json" in the settings record's folder.
std::string RecentFoldersFilePath();

// The lists a file holds; empty ones for a file that is missing or damaged (a list lost
// costs a click, and no start of the program should stop for it).
TRecentFolders ReadRecentFolders(const std::string& path);
// Raises EInOutError when the file cannot be written.
void WriteRecentFolders(const std::string& path, const TRecentFolders& folders);

}  // namespace pictorand
