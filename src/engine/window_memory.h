// What the window keeps from one start to the next beside the settings files, in
// "Window.json": the folders a user picked sources from and wrote into lately, newest
// first, and the interface language chosen in its menu.
#pragma once

#include <string>
#include <vector>

namespace pictorand {

struct TWindowMemory {
    static constexpr std::size_t Kept = 8;
    std::vector<std::string> Sources;
    std::vector<std::string> Outputs;
    // "ru" or "en"; empty until chosen, when the system's locale decides.
    std::string Language;

    // Puts the folder first in the list, once, keeping the newest Kept.
    static void Remember(std::vector<std::string>& list, const std::string& folder);
    friend bool operator==(const TWindowMemory&, const TWindowMemory&) = default;
};

// "Window.json" in the settings record's folder.
std::string WindowMemoryFilePath();

// What a file holds; nothing for a file that is missing or damaged (a list lost costs a
// click, and no start of the program should stop for it).
TWindowMemory ReadWindowMemory(const std::string& path);
// Raises EInOutError when the file cannot be written.
void WriteWindowMemory(const std::string& path, const TWindowMemory& memory);

}  // namespace pictorand
