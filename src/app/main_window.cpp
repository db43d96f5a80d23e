#include "app/main_window.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

#include "app/settings_file.h"
#include "graphics/exceptions.h"

namespace pictorand {

TFormGl::TFormGl(QWidget* parent)
    : QMainWindow(parent), host_(this, [this](int percent) { progressBar1_->setValue(percent); }) {
    setObjectName("FormGl");
    setWindowTitle(QString::fromUtf8(ApplicationTitle.data(), static_cast<qsizetype>(ApplicationTitle.size())));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addStretch();
    progressBar1_ = new QProgressBar(central);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setRange(0, 100);
    progressBar1_->setValue(0);
    progressBar1_->setFixedHeight(17);
    layout->addWidget(progressBar1_);
    setCentralWidget(central);
    setFixedSize(506, 177);
}

void TFormGl::ReadFromFileSettings() {
    try {
        ReadSettingsFile(SettingsFilePath(), settings_);
    } catch (const Exception& error) {
        host_.ShowError(error.what());
    }
}

void TFormGl::WriteToFileSettings() { WriteSettingsFile(SettingsFilePath(), settings_); }

void TFormGl::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    ReadFromFileSettings();
}

void TFormGl::closeEvent(QCloseEvent* event) {
    try {
        WriteToFileSettings();
        event->accept();
    } catch (const Exception& error) {
        host_.ShowError(error.what());
        event->ignore();
    }
}

}  // namespace pictorand
