// The option table written into the documentation: the manual page's option lists and
// the help window's list of the "Дополнительно" menu, put where a template marks them.
#pragma once

#include <string>

#include "engine/text_catalogue.h"

namespace pictorand {

// The template with "@OPTIONS:photo@" and "@OPTIONS:scaling@" lines replaced by the
// options of those groups in troff.
std::string ManualPage(const std::string& manualTemplate);
// The template with an "@MENU_ITEMS@" line replaced by one HTML list item per menu item,
// in the help's language.
std::string HelpPage(const std::string& helpTemplate, TLanguage language = TLanguage::Russian);

}  // namespace pictorand
