// TFormGl: the program's main window.
#pragma once

#include <QMainWindow>

#include "app/conversion_settings.h"
#include "app/qt_run_host.h"

class QProgressBar;

namespace pictorand {

class TFormGl : public QMainWindow {
    Q_OBJECT

public:
    explicit TFormGl(QWidget* parent = nullptr);

    ConversionSettings& Settings() { return settings_; }
    void ReadFromFileSettings();
    void WriteToFileSettings();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ConversionSettings settings_;
    QProgressBar* progressBar1_ = nullptr;
    TQtRunHost host_;
    bool shown_ = false;
};

}  // namespace pictorand
