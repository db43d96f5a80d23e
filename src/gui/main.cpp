// Start-up of the Pictorand GUI.
#include <QApplication>
#include <QLocale>
#include <QFileInfo>
#include <QIcon>
#include <QTextStream>

#include <cstdio>
#include <cstring>

#include "engine/settings_file.h"
#include "gui/help_window.h"
#include "gui/main_window.h"
#include "engine/window_memory.h"
#include "gui/interface_language.h"

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

// --help and --version are answered before Qt looks for a display.
bool AnswerWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("pictorand %s\n", std::string(pictorand::ApplicationTitle).c_str());
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: pictorand [FILE|FOLDER]...\n"
                        "Opens the Pictorand window; the files given, and the pictures in the folders\n"
                        "given, become its sources.\n"
                        "  --help       show this and exit\n"
                        "  --version    show the version and exit\n"
                        "The command line on the same engine is pictorand-cli.\n");
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AnswerWithoutWindow(argc, argv)) return 0;
    QApplication application(argc, argv);
    // The application name gives the windows' WM_CLASS and matches the desktop entry.
    application.setApplicationName("pictorand");
    application.setDesktopFileName("pictorand");
    // The language chosen in the menu, else the system's where there is a translation.
    const std::string stored = pictorand::ReadWindowMemory(pictorand::WindowMemoryFilePath()).Language;
    pictorand::InstallInterfaceLanguage(application, pictorand::ChooseLanguage(stored, QLocale::system().name()));
    pictorand::TFormGl formGl;
    const QStringList arguments = application.arguments().mid(1);
    if (arguments.contains("--self-test")) return SelfTest(formGl);
    // The files a file manager opens with the program, or a command line names.
    if (!arguments.isEmpty()) formGl.SetSources(arguments);
    formGl.show();
    return application.exec();
}
