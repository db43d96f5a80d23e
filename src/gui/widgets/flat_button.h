// TFlatButton: a push button drawn flat that rises while the pointer is over it or while
// it has the keyboard focus (and sinks while pressed, as a raised button does), so it
// shows that it can be clicked; Enter presses it as Space does.
#pragma once

#include <QPushButton>

namespace pictorand {

class TFlatButton : public QPushButton {
    Q_OBJECT

public:
    TFlatButton(const QString& caption, QWidget* parent);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace pictorand
