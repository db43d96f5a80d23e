// TFormGl: the program's main window with its menu, the source and output fields, the
// option buttons, the start button, the list of sources beside a preview, and the progress
// bar. It creates the six option
// dialogs at start-up; their controls hold the settings.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <chrono>
#include <memory>
#include <vector>

#include "engine/prepared_file.h"
#include "engine/text_catalogue.h"
#include "engine/window_memory.h"
#include "gui/qt_run_host.h"
#include "gui/dialogs/dialog_settings.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;

namespace pictorand {

class TFormAbaut;
class TFormFormat;
class TFormLogotip;
class TFormName;
class TFormOutFolder;
class TFormSize;
class THelpWindow;
class TExtrasMenu;
class TRunSummaryWindow;
class TSourceList;
class TPreviewPanel;

class TFormGl : public QMainWindow {
    Q_OBJECT

public:
    explicit TFormGl(QWidget* parent = nullptr);
    ~TFormGl() override;

    void ReadFromFileSettings();
    void WriteToFileSettings();
    TSettingsSource& Settings() { return *settings_; }

    TFormFormat* FormFormat() const { return formFormat_; }
    TFormName* FormName() const { return formName_; }
    TFormSize* FormSize() const { return formSize_; }
    TFormOutFolder* FormOutFolder() const { return formOutFolder_; }
    TFormAbaut* FormAbaut() const { return formAbaut_; }
    TFormLogotip* FormLogotip() const { return formLogotip_; }
    TExtrasMenu* ExtrasMenu() const { return extrasMenu_; }
    // The help window, once "Помощь..." has opened it.
    THelpWindow* HelpWindow() const { return helpWindow_; }
    // The summary of the last run, while it is open.
    TRunSummaryWindow* RunSummary() const;

    // The sources the paths stand for (files, and folders walked as «Включая подпапки»
    // says) become the list's.
    void SetSources(const QStringList& paths);
    TSourceList* SourceList() const { return sourceList_; }
    TPreviewPanel* Preview() const { return preview_; }

    // A set of settings under a name of the user's: the dialogs' settings and the menu's
    // options; a failure is said naming the file.
    bool SavePreset(const QString& path);
    bool LoadPreset(const QString& path);

    void FlatButtonGoClick();
    void SpeedButtonInputClick();
    void SpeedButtonOutClick();
    void N10Click();
    void N12Click();
    void N6Click();
    // While a run is going: asks «Остановить обработку?» and stops it on yes.
    bool AskToStop();
    bool Running() const { return running_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Files and folders dropped on the window (or its source field) become the sources.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenu();
    void BuildPanel();
    void AskToSavePreset();
    // The language menu's choice, kept for the next start.
    void SwitchLanguage(TLanguage language);
    void AskToLoadPreset();
    void Timer1Timer();
    // The sources or settings changed: the preview follows shortly.
    void SettingsChanged();
    void RefreshPreview();
    // The source field names the folder of the first source.
    void ShowSourceFolder();
    // The sources the paths were found to stand for become the list's.
    void UseSources(const QStringList& paths, std::vector<TSourceEntry> sources);
    void ShowRecentFolders();
    // The window during a run: the start button stops, the rest waits.
    void ShowRunning(bool running);
    // «12 из 80 — name — осталось 0:42» on the progress bar: files done, the one being
    // worked on and the time the rest should take at the pace so far.
    void ShowRunProgress(int done, const QStringList& names, std::chrono::steady_clock::time_point started);

    TQtRunHost host_;
    TFormFormat* formFormat_;
    TFormName* formName_;
    TFormSize* formSize_;
    TFormOutFolder* formOutFolder_;
    TFormAbaut* formAbaut_;
    TFormLogotip* formLogotip_;
    std::unique_ptr<TDialogSettings> settings_;
    TExtrasMenu* extrasMenu_ = nullptr;
    THelpWindow* helpWindow_ = nullptr;
    QPointer<TRunSummaryWindow> runSummary_;
    // The paths the sources were given by, walked again when «Включая подпапки» changes.
    QStringList sourcePaths_;
    TWindowMemory memory_;

    QWidget* panel1_ = nullptr;
    QLineEdit* editInput_ = nullptr;
    QLineEdit* editOut_ = nullptr;
    QCheckBox* subfolders_ = nullptr;
    TSourceList* sourceList_ = nullptr;
    TPreviewPanel* preview_ = nullptr;
    QTimer* previewTimer_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QPushButton* goButton_ = nullptr;
    QTimer* timer1_ = nullptr;
    bool shown_ = false;
    bool running_ = false;
    bool closeAfterRun_ = false;
};

}  // namespace pictorand
