#include "gui/help_window.h"

#include <QScreen>

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace pictorand {

QString FindHelpFile(const QString& executableFolder) {
    const QDir folder(executableFolder);
    for (const QString& relative : {QStringLiteral("help/index.html"), QStringLiteral("../share/pictorand/help/index.html")}) {
        const QFileInfo file(folder.filePath(relative));
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
