// The window's language: Russian, the program's own, or English where it is chosen in the
// menu or the system speaks it; any other locale gets Russian. Qt's own texts (button
// captions, the file dialog, edit menus) follow it.
#pragma once

#include <QString>
#include <string>

#include "engine/text_catalogue.h"

class QCoreApplication;
class QTranslator;

namespace pictorand {

// The language stored from the menu ("ru", "en"), else the one of the locale's name.
TLanguage ChooseLanguage(const std::string& stored, const QString& localeName);
// "ru" or "en".
std::string LanguageCode(TLanguage language);

// Sets the engine's texts to the language and installs the translations the window needs
// for it: Qt's Russian texts from Qt's translations folder, or the window's English ones.
// Answers the translator installed (the application owns it), null when none was found.
QTranslator* InstallInterfaceLanguage(QCoreApplication& application, TLanguage language);

}  // namespace pictorand
