#include "gui/widgets/flat_button.h"

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
    setFlat(true);
    QPushButton::leaveEvent(event);
}

}  // namespace pictorand
