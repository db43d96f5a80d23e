// TFormGl: the program's main window with its menu, the source and output fields, the
// option buttons, the start button and the progress bar.
#pragma once

#include <QMainWindow>
#include <QStringList>

#include "app/batch_run.h"
#include "app/conversion_settings.h"
#include "app/qt_run_host.h"

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

namespace pictorand {

// The settings as the window holds them until the option dialogs take them over.
class TWindowSettings : public TSettingsSource {
public:
    ConversionSettings Current() const override { return settings_; }
    ConversionSettings& Edit() { return settings_; }

private:
    ConversionSettings settings_;
};

class TFormGl : public QMainWindow {
    Q_OBJECT

public:
    explicit TFormGl(QWidget* parent = nullptr);

    // The settings the dialogs hold.
    ConversionSettings& Settings() { return settings_.Edit(); }

    void ReadFromFileSettings();
    void WriteToFileSettings();

    // The chosen sources (full paths) and the output folder, as the dialogs left them.
    void SetSources(const QStringList& files);
    void SetOutputFolder(const QString& folder);

    void FlatButtonGoClick();
    void SpeedButtonInputClick();
    void SpeedButtonOutClick();
    void N12Click();
    void N6Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    void BuildPanel();
    void ShowOptionsDialog(const QString& title);
    void Timer1Timer();

    TWindowSettings settings_;
    TQtRunHost host_;
    QStringList sourceFiles_;
    QString sourceFileName_;
    QString outputFolder_;

    QWidget* panel1_ = nullptr;
    QLineEdit* editInput_ = nullptr;
    QLineEdit* editOut_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QTimer* timer1_ = nullptr;
    bool shown_ = false;
    bool running_ = false;
    bool closeAfterRun_ = false;
};

}  // namespace pictorand
