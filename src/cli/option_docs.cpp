#include "cli/option_docs.h"

#include "engine/option_table.h"

namespace pictorand {

namespace {

std::string Joined(std::string_view lines) {
    std::string text(lines);
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

// troff: a minus sign is written \-, a backslash \e.
std::string Troff(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '-') out += "\\-";
        else if (c == '\\') out += "\\e";
        else out += c;
    }
    return out;
}

std::string ManualOptions(TOptionGroup group) {
    std::string text;
    for (const TOptionRow& row : OptionTable()) {
        if (row.Group != group || row.Flag.empty()) continue;
        text += ".TP\n";
        if (row.Argument.empty()) text += ".B " + Troff(row.Flag) + "\n";
        else text += ".BR " + Troff(row.Flag) + " \" \" \\fI" + std::string(row.Argument) + "\\fR\n";
        std::string help = Joined(row.Help);
        if (!help.empty() && help[0] >= 'a' && help[0] <= 'z') help[0] = static_cast<char>(help[0] - 'a' + 'A');
        text += help + ".\n";
    }
    return text;
}

std::string MenuItems(TLanguage language) {
    const bool english = language == TLanguage::English;
    std::string text;
    for (const TOptionRow& row : OptionTable()) {
        if (row.Menu.empty()) continue;
        text += "<li><b>" + std::string(english ? row.MenuEnglish : row.Menu) + "</b> — " + std::string(english ? row.MenuHelpEnglish : row.MenuHelp);
        if (row.Switch) text += english ? (row.Recommended ? " On by default." : " Off by default.") : row.Recommended ? " Включено." : " Выключено.";
        text += "</li>\n";
    }
    return text;
}

std::string Replaced(std::string text, std::string_view marker, const std::string& by) {
    const std::string line = std::string(marker) + "\n";
    if (const std::size_t at = text.find(line); at != std::string::npos) text.replace(at, line.size(), by);
    return text;
}

}  // namespace

std::string ManualPage(const std::string& manualTemplate) {
    const std::string photo = Replaced(manualTemplate, "@OPTIONS:photo@", ManualOptions(TOptionGroup::Photo));
    const std::string scaling = Replaced(photo, "@OPTIONS:scaling@", ManualOptions(TOptionGroup::Scaling));
    const std::string bounds = Replaced(scaling, "@OPTIONS:bounds@", ManualOptions(TOptionGroup::Bounds));
    return Replaced(bounds, "@OPTIONS:writing@", ManualOptions(TOptionGroup::Writing));
}

std::string HelpPage(const std::string& helpTemplate, TLanguage language) { return Replaced(helpTemplate, "@MENU_ITEMS@", MenuItems(language)); }

}  // namespace pictorand
