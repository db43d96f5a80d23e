// THelpWindow: the program's Russian HTML help in a window of its own, and where the help
// file is found: beside the program (a build) or in the installed share folder.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace pictorand {

// The help file for a program in executableFolder, or an empty string when there is none.
QString FindHelpFile(const QString& executableFolder);

class THelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit THelpWindow(QWidget* parent);

    // Shows the file, from its start, and brings the window forward.
    void ShowFile(const QString& path);
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace pictorand
