// pictorand-docs: writes the manual page or the help page from its template and the
// option table, or the desktop entry from its template and the format table, at build
// time:  pictorand-docs man|help|help-en|desktop TEMPLATE OUTPUT
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/option_docs.h"
#include "formats/format_table.h"

namespace {

// The desktop entry with @MIME_TYPES@ replaced by every media type the readers take.
std::string DesktopEntry(std::string text) {
    std::string types;
    for (std::string_view type : pictorand::SourceMimeTypes()) types.append(type).push_back(';');
    const std::string mark = "@MIME_TYPES@";
    if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), types);
    return text;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::cerr << "usage: pictorand-docs man|help|help-en|desktop TEMPLATE OUTPUT\n";
        return 2;
    }
    const std::string kind = argv[1];
    std::ifstream in(argv[2]);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::cerr << "pictorand-docs: cannot read " << argv[2] << "\n";
        return 1;
    }
    std::ofstream out(argv[3]);
    out << (kind == "man"       ? pictorand::ManualPage(text.str())
            : kind == "desktop" ? DesktopEntry(text.str())
            : pictorand::HelpPage(text.str(), kind == "help-en" ? pictorand::TLanguage::English : pictorand::TLanguage::Russian));
    return out ? 0 : 1;
}
