#include "gui/widgets/flat_button.h"

#include <QKeyEvent>

namespace pictorand {

TFlatButton::TFlatButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setFlat(true);
    setAttribute(Qt::WA_Hover);
}

void TFlatButton::enterEvent(QEnterEvent* event) {
    if (isEnabled()) setFlat(false);
    QPushButton::enterEvent(event);
}

void TFlatButton::leaveEvent(QEvent* event) {
    setFlat(!hasFocus());
    QPushButton::leaveEvent(event);
}

void TFlatButton::focusInEvent(QFocusEvent* event) {
    setFlat(false);
    QPushButton::focusInEvent(event);
}

void TFlatButton::focusOutEvent(QFocusEvent* event) {
    setFlat(!underMouse());
    QPushButton::focusOutEvent(event);
}

void TFlatButton::keyPressEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

}  // namespace pictorand
