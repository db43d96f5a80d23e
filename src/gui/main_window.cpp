#include "gui/main_window.h"

#include <functional>

#include <algorithm>
#include <thread>

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

#include "engine/text_catalogue.h"
#include "engine/batch_run.h"
#include "engine/extra_options_file.h"
#include "engine/preset_file.h"
#include "engine/settings_file.h"
#include "gui/dialogs/form_abaut.h"
#include "gui/dialogs/form_format.h"
#include "gui/dialogs/form_logotip.h"
#include "gui/dialogs/form_name.h"
#include "gui/dialogs/form_out_folder.h"
#include "gui/dialogs/form_size.h"
#include "gui/help_window.h"
#include "gui/interface_language.h"
#include "gui/extras_menu.h"
#include "gui/preview_panel.h"
#include "gui/run_summary_window.h"
#include "gui/source_list.h"
#include "gui/source_paths.h"
#include "gui/widgets/file_filters.h"
#include "gui/widgets/flat_button.h"
#include "gui/widgets/ui_font.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString HelpFolder() { return QString::fromStdString(ExecutableFolder()); }

}  // namespace

TFormGl::TFormGl(QWidget* parent)
    : QMainWindow(parent), host_(this, [this](int percent) { progressBar1_->setValue(percent); }) {
    setObjectName("FormGl");
    setWindowTitle(Text(ApplicationTitle));
    setWindowIcon(QIcon(":/icons/pictorand.png"));
    setFont(InterfaceFont());
    // The dialogs live as long as the window, created in this order.
    formFormat_ = new TFormFormat(host_, this);
    formName_ = new TFormName(host_, this);
    formSize_ = new TFormSize(host_, this);
    formOutFolder_ = new TFormOutFolder(host_, this);
    formAbaut_ = new TFormAbaut(host_, this);
    formLogotip_ = new TFormLogotip(host_, this);
    settings_ = std::make_unique<TDialogSettings>(*formFormat_, *formName_, *formSize_, *formLogotip_);
    formOutFolder_->OnSelect = [this](const QString& folder) { editOut_->setText(folder); };
    // The preview follows a change of the sources or settings once it has settled.
    previewTimer_ = new QTimer(this);
    previewTimer_->setObjectName("PreviewTimer");
    previewTimer_->setSingleShot(true);
    previewTimer_->setInterval(150);
    connect(previewTimer_, &QTimer::timeout, this, &TFormGl::RefreshPreview);
    BuildMenu();
    BuildPanel();
    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setSingleShot(true);
    timer1_->setInterval(300);
    connect(timer1_, &QTimer::timeout, this, &TFormGl::Timer1Timer);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName("EscapeStops");
    connect(escape, &QShortcut::activated, this, [this] { AskToStop(); });
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
    setAcceptDrops(true);
}

TFormGl::~TFormGl() = default;

TRunSummaryWindow* TFormGl::RunSummary() const { return runSummary_; }

void TFormGl::BuildMenu() {
    auto add = [this](QMenu* menu, const char* itemTitle, QStyle::StandardPixmap icon, auto slot) {
        QAction* action = menu->addAction(style()->standardIcon(icon), tr(itemTitle));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    auto menu = [this](const char* title) { return menuBar()->addMenu(tr(title)); };
    QMenu* file = menu(QT_TR_NOOP("Файл"));
    add(file, QT_TR_NOOP("Сохранить набор настроек..."), QStyle::SP_DialogSaveButton, [this] { AskToSavePreset(); })->setObjectName("ActionSavePreset");
    add(file, QT_TR_NOOP("Загрузить набор..."), QStyle::SP_DialogOpenButton, [this] { AskToLoadPreset(); })->setObjectName("ActionLoadPreset");
    // Each language named in its own words, whatever the interface speaks now.
    QMenu* languages = file->addMenu(tr("Язык интерфейса"));
    languages->setObjectName("MenuLanguage");
    auto* group = new QActionGroup(languages);
    for (const auto& [language, name] : {std::pair{TLanguage::Russian, "Русский"}, std::pair{TLanguage::English, "English"}}) {
        QAction* item = languages->addAction(QString::fromUtf8(name));
        item->setObjectName(QString::fromStdString("ActionLanguage_" + LanguageCode(language)));
        item->setCheckable(true);
        item->setChecked(language == Language());
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, language = language] { SwitchLanguage(language); });
    }
    file->addSeparator();
    add(file, QT_TR_NOOP("Выход из программы"), QStyle::SP_DialogCloseButton, [this] { N6Click(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    add(menu(QT_TR_NOOP("Формат")), QT_TR_NOOP("Формат файла вывода..."), QStyle::SP_FileDialogDetailedView, [this] { formFormat_->exec(); SettingsChanged(); });
    add(menu(QT_TR_NOOP("Имя")), QT_TR_NOOP("Имя файла вывода..."), QStyle::SP_FileIcon, [this] { formName_->exec(); SettingsChanged(); });
    add(menu(QT_TR_NOOP("Размер")), QT_TR_NOOP("Размер изображения..."), QStyle::SP_TitleBarMaxButton, [this] { formSize_->exec(); SettingsChanged(); });
    add(menu(QT_TR_NOOP("Логотип")), QT_TR_NOOP("Наложение логотипа..."), QStyle::SP_FileDialogContentsView, [this] { formLogotip_->exec(); SettingsChanged(); });
    extrasMenu_ = new TExtrasMenu(*menuBar(), *this, [this](const TExtraOptions& options) {
        const TPhotoOptions before = settings_->Current().Photo;
        settings_->SetExtras(options);
        // The small pictures are turned and coloured as the photo options say.
        if (sourceList_ && settings_->Current().Photo != before) sourceList_->RedrawThumbnails();
        SettingsChanged();
    });
    QMenu* help = menu(QT_TR_NOOP("Помощь"));
    add(help, QT_TR_NOOP("Помощь..."), QStyle::SP_DialogHelpButton, [this] { N12Click(); })->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    add(help, QT_TR_NOOP("О программе..."), QStyle::SP_MessageBoxInformation, [this] { N10Click(); });
}

void TFormGl::BuildPanel() {
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    panel1_ = new QWidget(central);
    panel1_->setObjectName("Panel1");
    auto* grid = new QGridLayout(panel1_);
    grid->setContentsMargins(6, 4, 6, 4);

    auto folderGroup = [this](const char* caption, const char* editName, const char* buttonName, QLineEdit*& edit,
                              void (TFormGl::*click)()) {
        auto* group = new QGroupBox(tr(caption), panel1_);
        auto* row = new QHBoxLayout(group);
        edit = new QLineEdit(group);
        edit->setObjectName(editName);
        edit->setReadOnly(true);
        auto* browse = new QToolButton(group);
        browse->setObjectName(buttonName);
        browse->setText("...");
        connect(browse, &QToolButton::clicked, this, click);
        row->addWidget(edit);
        row->addWidget(browse);
        return group;
    };
    QGroupBox* sourceGroup = folderGroup(QT_TR_NOOP("Папка/Файл источник"), "EditInput", "SpeedButtonInput", editInput_, &TFormGl::SpeedButtonInputClick);
    subfolders_ = new QCheckBox(tr("Включая подпапки"), sourceGroup);
    subfolders_->setObjectName("CheckBoxSubfolders");
    sourceGroup->layout()->addWidget(subfolders_);
    connect(subfolders_, &QCheckBox::toggled, this, [this] { SetSources(sourcePaths_); });
    grid->addWidget(sourceGroup, 0, 0);
    grid->addWidget(folderGroup(QT_TR_NOOP("Папка получатель"), "EditOut", "SpeedButtonOut", editOut_, &TFormGl::SpeedButtonOutClick), 1, 0);

    auto* buttons = new QVBoxLayout();
    buttons->setSpacing(1);
    auto button = [&](const char* name, const char* caption, auto slot) {
        auto* b = new TFlatButton(tr(caption), panel1_);
        b->setObjectName(name);
        b->setFixedHeight(22);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    button("FlatButtonFormat", QT_TR_NOOP("Формат файла"), [this] { formFormat_->exec(); SettingsChanged(); });
    button("FlatButtonName", QT_TR_NOOP("Имя файла"), [this] { formName_->exec(); SettingsChanged(); });
    button("FlatButtonSize", QT_TR_NOOP("Размер изобр."), [this] { formSize_->exec(); SettingsChanged(); });
    button("FlatButtonLogotip", QT_TR_NOOP("Логотип"), [this] { formLogotip_->exec(); SettingsChanged(); });
    goButton_ = button("FlatButtonGo", QT_TR_NOOP("С  т  а  р  т"), [this] { FlatButtonGoClick(); });
    grid->addLayout(buttons, 0, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    panel1_->setFixedHeight(160);
    outer->addWidget(panel1_);

    // The sources of the next run beside the first (or selected) as it will be written.
    auto* sources = new QHBoxLayout();
    sources->setContentsMargins(6, 0, 6, 6);
    sourceList_ = new TSourceList(central);
    sourceList_->PhotoSettings = [this] { return settings_->Current(); };
    preview_ = new TPreviewPanel(central);
    sources->addWidget(sourceList_, 1);
    sources->addWidget(preview_);
    outer->addLayout(sources, 1);
    connect(sourceList_, &TSourceList::CurrentChanged, this, &TFormGl::SettingsChanged);
    connect(sourceList_, &TSourceList::EntriesChanged, this, &TFormGl::ShowSourceFolder);

    progressBar1_ = new QProgressBar(central);
    progressBar1_->setObjectName("ProgressBar1");
    progressBar1_->setRange(0, 100);
    progressBar1_->setValue(0);
    progressBar1_->setFixedHeight(17);
    progressBar1_->setTextVisible(false);
    outer->addWidget(progressBar1_);
    setCentralWidget(central);
    setMinimumSize(560, 460 + menuBar()->sizeHint().height());
    resize(minimumSize());
}

void TFormGl::SetSources(const QStringList& paths) { UseSources(paths, SourcesAmong(paths, subfolders_->isChecked(), editOut_->text())); }

void TFormGl::UseSources(const QStringList& paths, std::vector<TSourceEntry> sources) {
    sourcePaths_ = paths;
    sourceList_->SetEntries(std::move(sources));
    ShowSourceFolder();
    if (!editInput_->text().isEmpty()) TWindowMemory::Remember(memory_.Sources, QDir::fromNativeSeparators(editInput_->text()).toStdString());
}

namespace {

QStringList QtFolders(const std::vector<std::string>& folders) {
    QStringList list;
    for (const std::string& folder : folders) list << QString::fromStdString(folder);
    return list;
}

}  // namespace

void TFormGl::ShowRecentFolders() { formOutFolder_->ShowRecent(QtFolders(memory_.Outputs)); }

void TFormGl::ShowSourceFolder() {
    const auto& entries = sourceList_->Entries();
    const QString folder = entries.empty() ? QString() : QFileInfo(QString::fromStdString(entries.front().Path)).absolutePath();
    editInput_->setText(QDir::toNativeSeparators(folder));
}

void TFormGl::SettingsChanged() { previewTimer_->start(); }

void TFormGl::RefreshPreview() { preview_->Show(sourceList_->Current(), settings_->Current(), formLogotip_->ChooserFileName().toStdString()); }

void TFormGl::SpeedButtonInputClick() {
    QFileDialog dialog(this, tr("Выберите файл или файлы для обработки"));
    dialog.setObjectName("OpenDialog1");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(SourceFileFilters());
    // The dialog opens where sources were last picked, with the other recent folders at hand.
    const QStringList history = QtFolders(memory_.Sources);
    if (!history.isEmpty()) {
        dialog.setDirectory(history.front());
        dialog.setHistory(history);
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        SetSources(dialog.selectedFiles());
    } else {
        SetSources({});
    }
}

// The folder window opens where the field says the run will write, or at the home folder.
void TFormGl::SpeedButtonOutClick() {
    formOutFolder_->ShowAt(editOut_->text());
    formOutFolder_->exec();
}

void TFormGl::N10Click() { formAbaut_->exec(); }

void TFormGl::N12Click() {
    const QString help = FindHelpFile(HelpFolder());
    if (help.isEmpty()) {
        host_.ShowMessage(Say(TText::HelpFileNotFound), {});
        return;
    }
    if (!helpWindow_) helpWindow_ = new THelpWindow(this);
    helpWindow_->ShowFile(help);
}

// Leaving by the menu or Ctrl+Q is closing the window: the options are saved the same way.
void TFormGl::N6Click() { close(); }

void TFormGl::FlatButtonGoClick() {
    // During a run the button is «С  т  о  п»: the run ends before its next file.
    if (running_) {
        host_.RequestStop();
        return;
    }
    // Sources are opened by their full paths; the process's folder is no business of the run.
    const std::vector<TSourceEntry> files = sourceList_->Entries();
    if (files.empty() || !QFileInfo::exists(QString::fromStdString(files.front().Path)) || editOut_->text().isEmpty()) {
        host_.ShowMessage(Say(TText::NothingToProcess), {});
        return;
    }
    QStringList names;
    for (const TSourceEntry& file : files) names << QFileInfo(QString::fromStdString(file.Path)).fileName();
    if (runSummary_) runSummary_->close();
    TWindowMemory::Remember(memory_.Outputs, QDir::fromNativeSeparators(editOut_->text()).toStdString());
    ShowRecentFolders();
    ShowRunning(true);
    std::vector<TFileOutcome> outcomes;
    const auto startedAt = std::chrono::steady_clock::now();
    host_.OnOutcome = [&](const TFileOutcome& outcome) {
        outcomes.push_back(outcome);
        ShowRunProgress(static_cast<int>(outcomes.size()), names, startedAt);
    };
    ShowRunProgress(0, names, startedAt);
    // The run works on the settings, logo and folder it started with: a dialog opened while
    // it runs changes the next run, never half of this one.
    const TFixedSettings started(settings_->Current());
    TBatchRun run(host_, started);
    // The run writes where the field says, whatever the folder tree shows since.
    run.OutputFolder = [folder = editOut_->text().toStdString()] { return folder; };
    run.LogoFileName = [logo = formLogotip_->ChooserFileName().toStdString()] { return logo; };
    // Files are prepared ahead on every core; prompts and writes keep the list's order.
    run.ResizeImage(files, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    host_.OnOutcome = nullptr;
    ShowRunning(false);
    timer1_->start();
    if (closeAfterRun_) {
        close();
        return;
    }
    runSummary_ = new TRunSummaryWindow(outcomes, editOut_->text(), this);
    runSummary_->show();
}

void TFormGl::ShowRunning(bool running) {
    running_ = running;
    host_.Rearm();
    for (QWidget* child : panel1_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != goButton_) child->setEnabled(!running);
    sourceList_->setEnabled(!running);
    goButton_->setText(running ? tr("С  т  о  п") : tr("С  т  а  р  т"));
    progressBar1_->setTextVisible(running);
    if (!running) progressBar1_->setFormat("%p%");
}

void TFormGl::ShowRunProgress(int done, const QStringList& names, std::chrono::steady_clock::time_point started) {
    const int total = static_cast<int>(names.size());
    QString text = tr("%1 из %2").arg(done).arg(total);
    if (done < total) text += " — " + names[done];
    if (done > 0 && done < total) {
        const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const auto left = static_cast<long long>(spent / done * (total - done) + 0.5);
        const QString time = left >= 3600 ? QString("%1:%2:%3").arg(left / 3600).arg(left / 60 % 60, 2, 10, QChar('0')).arg(left % 60, 2, 10, QChar('0'))
                                          : QString("%1:%2").arg(left / 60).arg(left % 60, 2, 10, QChar('0'));
        text += " — " + tr("осталось %1").arg(time);
    }
    // Percent signs in a name are no placeholders of the bar's format.
    progressBar1_->setFormat(QString(text).replace('%', "%%"));
}

bool TFormGl::AskToStop() {
    if (!running_) return false;
    if (host_.Cancelled()) return true;
    if (!host_.AskYesNo(TQuestion::StopRun, tr("Остановить обработку?").toStdString())) return false;
    host_.RequestStop();
    return true;
}

void TFormGl::Timer1Timer() {
    timer1_->stop();
    progressBar1_->setValue(0);
}

void TFormGl::ReadFromFileSettings() {
    // The record is applied to the controls' current state with their own rules.
    ConversionSettings settings = settings_->Current();
    try {
        ReadSettingsFile(SettingsFilePath(), settings);
    } catch (const Exception& error) {
        settings = settings_->Current();
        host_.ShowError(error.what());
    }
    // A damaged file of photo options is said, never silently replaced by the defaults.
    TExtraOptions extras = RecommendedOptions();
    try {
        extras = ReadExtraOptionsFile(PhotoOptionsFilePath());
    } catch (const Exception& error) {
        host_.ShowMessage(tr("Не удалось прочитать файл настроек %1: %2. Действуют настройки по умолчанию; файл будет перезаписан при выходе.")
                              .arg(QString::fromStdString(PhotoOptionsFilePath()), QString::fromUtf8(error.what()))
                              .toStdString(),
                          {});
    }
    extrasMenu_->Show(extras);
    settings_->Show(settings, extras);
    SettingsChanged();
    // Folders picked in this window before it was shown (its command line's) stay newest.
    const TWindowMemory stored = ReadWindowMemory(WindowMemoryFilePath());
    const auto merge = [](std::vector<std::string>& newer, const std::vector<std::string>& older) {
        for (const std::string& folder : older)
            if (newer.size() < TWindowMemory::Kept && std::find(newer.begin(), newer.end(), folder) == newer.end()) newer.push_back(folder);
    };
    merge(memory_.Sources, stored.Sources);
    merge(memory_.Outputs, stored.Outputs);
    if (memory_.Language.empty()) memory_.Language = stored.Language;
    ShowRecentFolders();
}

// A settings file that cannot be written is said, naming it; the other is written all the
// same, and the window closes.
void TFormGl::WriteToFileSettings() {
    const auto save = [this](const std::string& path, const std::function<void()>& write) {
        try {
            write();
        } catch (const Exception& error) {
            host_.ShowMessage(tr("Не удалось сохранить настройки в файл %1: %2").arg(QString::fromStdString(path), QString::fromUtf8(error.what())).toStdString(), {});
        }
    };
    const std::string record = SettingsFilePath(), extras = PhotoOptionsFilePath();
    save(record, [&] { WriteSettingsFile(record, settings_->Record()); });
    save(extras, [&] { WriteExtraOptionsFile(extras, settings_->Extras()); });
    const std::string recent = WindowMemoryFilePath();
    save(recent, [&] { WriteWindowMemory(recent, memory_); });
}

namespace {

QString PresetFilter() { return TFormGl::tr("Наборы настроек (*%1)").arg(QString::fromUtf8(PresetExtension.data(), static_cast<qsizetype>(PresetExtension.size()))); }

}  // namespace

void TFormGl::SwitchLanguage(TLanguage language) {
    const std::string code = LanguageCode(language);
    if (memory_.Language == code || (memory_.Language.empty() && language == Language())) return;
    memory_.Language = code;
    host_.ShowMessage(tr("Язык интерфейса изменится при следующем запуске программы.").toStdString(), {});
}

void TFormGl::AskToSavePreset() {
    QString path = QFileDialog::getSaveFileName(this, tr("Сохранить набор настроек"), QDir::homePath(), PresetFilter());
    if (path.isEmpty()) return;
    if (!path.endsWith(QString::fromUtf8(PresetExtension.data()), Qt::CaseInsensitive)) path += QString::fromUtf8(PresetExtension.data());
    SavePreset(path);
}

void TFormGl::AskToLoadPreset() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Загрузить набор настроек"), QDir::homePath(), PresetFilter());
    if (!path.isEmpty()) LoadPreset(path);
}

bool TFormGl::SavePreset(const QString& path) {
    try {
        WritePresetFile(path.toStdString(), settings_->Record(), settings_->Extras());
        return true;
    } catch (const Exception& error) {
        host_.ShowMessage(tr("Не удалось сохранить набор настроек в файл %1: %2").arg(path, QString::fromUtf8(error.what())).toStdString(), {});
        return false;
    }
}

// A plain settings file (Setting.dat) loads as well: the menu's options then stay as they are.
bool TFormGl::LoadPreset(const QString& path) {
    ConversionSettings settings = settings_->Current();
    TExtraOptions extras = settings_->Extras();
    try {
        if (!ReadSettingsFile(path.toStdString(), settings)) throw EInOutError(Say(TText::SettingsNotFound, {path.toStdString()}));
        if (const auto stored = ReadPresetOptions(path.toStdString())) extras = *stored;
    } catch (const Exception& error) {
        host_.ShowMessage(tr("Не удалось загрузить набор настроек из файла %1: %2").arg(path, QString::fromUtf8(error.what())).toStdString(), {});
        return false;
    }
    extrasMenu_->Show(extras);
    settings_->Show(settings, extras);
    SettingsChanged();
    return true;
}

void TFormGl::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The window opens in the middle of its screen.
    if (const QScreen* place = screen()) {
        QRect centred(QPoint(), size());
        centred.moveCenter(place->availableGeometry().center());
        setGeometry(centred);
    }
    ReadFromFileSettings();
}

namespace {

QStringList LocalPaths(const QMimeData* data) {
    QStringList paths;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

}  // namespace

void TFormGl::dragEnterEvent(QDragEnterEvent* event) {
    if (!running_ && !LocalPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFormGl::dropEvent(QDropEvent* event) {
    if (running_) return;
    // The folders are walked once: for the check and for the list.
    const QStringList paths = LocalPaths(event->mimeData());
    std::vector<TSourceEntry> sources = SourcesAmong(paths, subfolders_->isChecked(), editOut_->text());
    if (sources.empty()) {
        host_.ShowMessage(Say(TText::NothingToProcess), {});
        return;
    }
    UseSources(paths, std::move(sources));
    event->acceptProposedAction();
}

void TFormGl::closeEvent(QCloseEvent* event) {
    if (running_) {
        // A run asked to stop ends after the file it is on; the program ends after it.
        // Told to go on, the run goes on and the window stays.
        if (AskToStop()) closeAfterRun_ = true;
        event->ignore();
        return;
    }
    WriteToFileSettings();
    event->accept();
}

}  // namespace pictorand
