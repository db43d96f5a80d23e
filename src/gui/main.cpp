// Start-up of the Pictorand GUI.
#include <QApplication>

#include "gui/main_window.h"
#include "gui/russian_translations.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setApplicationName(QString::fromUtf8(pictorand::ApplicationTitle.data()));
    pictorand::InstallRussianTranslations(application);
    pictorand::TFormGl formGl;
    formGl.show();
    return application.exec();
}
