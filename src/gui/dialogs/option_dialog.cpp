#include "gui/dialogs/option_dialog.h"

#include <QCloseEvent>
#include <QLayout>

#include "gui/widgets/ui_font.h"

namespace pictorand {

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

TOptionDialog::TOptionDialog(const char* objectName, const QString& caption, TRunHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint),
      host_(host) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    setFont(InterfaceFont());
}

void TOptionDialog::FixSize() {
    if (layout()) layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TOptionDialog::closeEvent(QCloseEvent* event) {
    if (!CanClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// Escape closes the window as the close box does, with the same check.
void TOptionDialog::reject() {
    if (CanClose()) QDialog::reject();
}

void TOptionDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the main window every time. The inner geometries are compared, not the
    // frames, which a window manager only reports once the dialog has been shown.
    if (QWidget* owner = parentWidget()) {
        QRect centred(QPoint(), size());
        centred.moveCenter(owner->window()->geometry().center());
        setGeometry(centred);
    }
}

}  // namespace pictorand
