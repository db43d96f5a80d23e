#include "gui/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace pictorand {

TLanguage ChooseLanguage(const std::string& stored, const QString& localeName) {
    if (stored == "en") return TLanguage::English;
    if (stored == "ru") return TLanguage::Russian;
    // Only English has a translation; every other locale, Russian's included, stays Russian.
    return localeName.startsWith("en") ? TLanguage::English : TLanguage::Russian;
}

std::string LanguageCode(TLanguage language) { return language == TLanguage::English ? "en" : "ru"; }

QTranslator* InstallInterfaceLanguage(QCoreApplication& application, TLanguage language) {
    SetLanguage(language);
    auto* translator = new QTranslator(&application);
    const bool found = language == TLanguage::English
                           ? translator->load(QStringLiteral(":/translations/pictorand_en.qm"))
                           : translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!found || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace pictorand
