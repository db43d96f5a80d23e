// Start-up of the Pictorand GUI.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTextStream>

#include "engine/settings_file.h"
#include "gui/help_window.h"
#include "gui/main_window.h"
#include "gui/russian_translations.h"

namespace {

// `pictorand --self-test`: an installed copy checks itself without a user. It prints where
// it finds its help and keeps its settings, opens and closes its window as the close box
// does, and answers 0 when the help was found and the settings were written.
int SelfTest(pictorand::TFormGl& window) {
    const QString help = pictorand::FindHelpFile(QString::fromStdString(pictorand::ExecutableFolder()));
    const QString settings = QString::fromStdString(pictorand::SettingsFilePath());
    QTextStream out(stdout);
    out << "help: " << help << "\n" << "settings: " << settings << "\n";
    window.show();
    const bool closed = window.close();
    out << "closed: " << (closed ? "yes" : "no") << "\n";
    return !help.isEmpty() && closed && QFileInfo::exists(settings) ? 0 : 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The application name gives the windows' WM_CLASS and matches the desktop entry.
    application.setApplicationName("pictorand");
    application.setDesktopFileName("pictorand");
    pictorand::InstallRussianTranslations(application);
    pictorand::TFormGl formGl;
    if (application.arguments().contains("--self-test")) return SelfTest(formGl);
    formGl.show();
    return application.exec();
}
