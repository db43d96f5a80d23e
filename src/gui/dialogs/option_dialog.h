// The common frame of the option dialogs: modal, fixed size, close box only, centred on
// the main window when shown, in the interface font. A dialog with a close check stays
// open while the check refuses.
#pragma once

#include <QDialog>
#include <string_view>

#include "engine/run_host.h"

namespace pictorand {

class TOptionDialog : public QDialog {
    Q_OBJECT

public:
    TOptionDialog(const char* objectName, const QString& caption, TRunHost& host, QWidget* parent);

protected:
    // Answers whether the dialog may close; shows its own message when not.
    virtual bool CanClose() { return true; }
    void ShowMessage(std::string_view text) { host_.ShowMessage(text, {}); }
    TRunHost& Host() { return host_; }
    // Fixes the size once the layout is complete.
    void FixSize();

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    TRunHost& host_;
};

QString Utf8(std::string_view text);

}  // namespace pictorand
