// pictorand-docs: writes the manual page or the help page from its template and the
// option table, at build time:  pictorand-docs man|help TEMPLATE OUTPUT
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/option_docs.h"

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::cerr << "usage: pictorand-docs man|help TEMPLATE OUTPUT\n";
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
    out << (kind == "man" ? pictorand::ManualPage(text.str()) : pictorand::HelpPage(text.str()));
    return out ? 0 : 1;
}
