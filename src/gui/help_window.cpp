#include "gui/help_window.h"

#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "engine/text_catalogue.h"

namespace pictorand {

QString FindHelpFile(const QString& executableFolder) {
    const QDir folder(executableFolder);
    // The page of the interface's language, else the Russian one.
    QStringList names;
    if (Language() == TLanguage::English) names << QStringLiteral("index.en.html");
    names << QStringLiteral("index.html");
    for (const QString& name : names)
        for (const QString& place : {QStringLiteral("help/"), QStringLiteral("../share/pictorand/help/")}) {
            const QFileInfo file(folder.filePath(place + name));
            if (file.isFile()) return file.canonicalFilePath();
        }
    return {};
}

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName("HelpWindow");
    setWindowTitle(tr("Справка"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(720, 640);
}

void THelpWindow::ShowFile(const QString& path) {
    browser_->setSource(QUrl::fromLocalFile(path));
    browser_->home();
    // On a small or highly scaled screen the window keeps within what the screen shows.
    if (const QScreen* place = screen()) {
        const QRect room = place->availableGeometry();
        resize(size().boundedTo(room.size() * 9 / 10));
        QRect frame(QPoint(), size());
        frame.moveCenter(room.center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

}  // namespace pictorand
