// The main window under Qt's offscreen platform: texts, the start check and one run.
#include "gui/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QFileSystemModel>
#include <QScreen>
#include <QShortcut>
#include <QCheckBox>
#include <QGroupBox>
#include <QTranslator>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QSet>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QMimeData>
#include <QUrl>
#include <QDropEvent>
#include <QTextBrowser>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "engine/extra_options_file.h"
#include "engine/window_memory.h"
#include "engine/settings_file.h"
#include "engine/text_catalogue.h"
#include "gui/dialogs/form_abaut.h"
#include "gui/dialogs/form_format.h"
#include "gui/dialogs/form_logotip.h"
#include "gui/dialogs/form_name.h"
#include "gui/dialogs/form_size.h"
#include "gui/dialogs/form_out_folder.h"
#include "gui/help_window.h"
#include "gui/extras_menu.h"
#include "gui/interface_language.h"
#include "gui/run_summary_window.h"
#include "gui/preview_panel.h"
#include "gui/source_list.h"
#include "gui/source_paths.h"
#include "marked_jpeg.h"
#include "test_images.h"
#include "graphics/bitmap.h"
#include "temp_dir.h"
#include "gui/widgets/shell_tree_view.h"
#include "gui/widgets/flat_button.h"
#include <QKeyEvent>
#include <QRadioButton>

namespace pictorand {
namespace {

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "main_window_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};

TEST_F(MainWindow, ShowsTheCaptionAndButtons) {
    TFormGl form;
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Pictorand v4.3"));
    auto* go = form.findChild<QPushButton*>("FlatButtonGo");
    ASSERT_NE(go, nullptr);
    EXPECT_EQ(go->text(), QString::fromUtf8("С  т  а  р  т"));
    EXPECT_NE(form.findChild<QLineEdit*>("EditInput"), nullptr);
    EXPECT_NE(form.findChild<QProgressBar*>("ProgressBar1"), nullptr);
}

// "Дополнительно" stands after "Логотип"; its items start at the recommended options and
// are what a run reads.
TEST_F(MainWindow, ExtrasMenuHoldsTheOptionsARunReads) {
    TFormGl form;
    QStringList titles;
    for (QAction* action : form.menuBar()->actions()) titles << action->text();
    EXPECT_EQ(titles.indexOf(QString::fromUtf8("Дополнительно")), titles.indexOf(QString::fromUtf8("Логотип")) + 1);
    TExtrasMenu& menu = *form.ExtrasMenu();
    QStringList items;
    for (QAction* action : menu.Menu()->actions())
        if (!action->isSeparator()) items << action->text();
    EXPECT_EQ(items, QStringList({QString::fromUtf8("Поворачивать по EXIF"), QString::fromUtf8("Преобразовывать цвета в sRGB"),
                                  QString::fromUtf8("Учитывать прозрачность"), QString::fromUtf8("Встраивать цветовой профиль"),
                                  QString::fromUtf8("Сохранять метаданные"),
                                  QString::fromUtf8("Цвет фона..."), QString::fromUtf8("Быстрое уменьшение JPEG"),
                                  QString::fromUtf8("Сетка по центрам пикселей"), QString::fromUtf8("Линейный свет"),
                                  QString::fromUtf8("Рисовать метафайлы в размере результата")}));
    EXPECT_EQ(form.Settings().Current().Photo, RecommendedOptions().Photo);
    EXPECT_EQ(form.Settings().Current().Resample, (TResampleOptions{.DrawAtOutputSize = true})) << "the classic arithmetic by default";
    menu.Action("centre_sampling")->trigger();
    EXPECT_TRUE(form.Settings().Current().Resample.CentreGrid);
    menu.Action("linear_light")->trigger();
    EXPECT_TRUE(form.Settings().Current().Resample.LinearLight);
    menu.Action("keep_metadata")->trigger();
    menu.Action("auto_orient")->trigger();
    const TPhotoOptions photo = form.Settings().Current().Photo;
    EXPECT_TRUE(photo.KeepMetadata);
    EXPECT_FALSE(photo.AutoOrient);
    EXPECT_TRUE(photo.Transparency);
}

// «Выход из программы» (Ctrl+Q) saves the options as the close box does.
TEST_F(MainWindow, QuittingByTheMenuSavesTheOptions) {
    const std::string path = SettingsFilePath(), extras = PhotoOptionsFilePath();
    const auto keep = [](const std::string& file) { return std::filesystem::exists(file) ? testing::ReadFileBytes(file) : std::vector<std::uint8_t>{}; };
    const auto savedRecord = keep(path), savedExtras = keep(extras);
    std::filesystem::remove(path);
    {
        TFormGl form;
        form.findChild<QRadioButton*>("RadioButtonFPNG")->setChecked(true);
        QAction* quit = nullptr;
        for (QAction* menu : form.menuBar()->actions())
            for (QAction* item : menu->menu() ? menu->menu()->actions() : QList<QAction*>())
                if (item->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_Q)) quit = item;
        ASSERT_NE(quit, nullptr);
        quit->trigger();
    }
    ConversionSettings read;
    ASSERT_TRUE(ReadSettingsFile(path, read));
    EXPECT_EQ(read.Format, OutputFormatNamed("png"));
    // The files as they were before the test.
    for (const auto& [file, bytes] : {std::pair{path, savedRecord}, std::pair{extras, savedExtras}}) {
        if (bytes.empty()) std::filesystem::remove(file);
        else testing::WriteFileBytes(file, bytes);
    }
}

// A settings file that cannot be written is said in Russian, naming it, and the window
// closes all the same.
TEST_F(MainWindow, SettingsThatCannotBeSavedAreSaidAndTheWindowCloses) {
    const std::string path = SettingsFilePath();
    const auto saved = std::filesystem::exists(path) ? testing::ReadFileBytes(path) : std::vector<std::uint8_t>{};
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);  // a folder where the file would go
    QStringList shown;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                shown << box->text();
                box->done(QMessageBox::Ok);
            }
    });
    timer.start(10);
    bool closed = false;
    {
        TFormGl form;
        closed = form.close();
    }
    timer.stop();
    std::filesystem::remove(path);
    if (!saved.empty()) testing::WriteFileBytes(path, saved);
    EXPECT_TRUE(closed);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(shown.last().startsWith(QString::fromUtf8("Не удалось сохранить настройки в файл ") + QString::fromStdString(path))) << shown.last().toStdString();
}

TEST_F(MainWindow, StartWithoutSourcesShowsTheMessage) {
    TFormGl form;
    QString shown;
    QTimer::singleShot(0, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                shown = box->text();
                box->done(QMessageBox::Ok);
            }
        }
    });
    form.FlatButtonGoClick();
    EXPECT_EQ(shown, QString::fromUtf8("Нет изображений для обработки или не выбрана папка-получатель!"));
}

TEST_F(MainWindow, RunWritesTheChosenFiles) {
    testing::TTempDir dir;
    QStringList sources;
    for (const char* name : {"one.bmp", "two.bmp"}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        bitmap.SetSize(3, 3);
        bitmap.SaveToFile(dir.File(name));
        sources << QString::fromStdString(dir.File(name));
    }
    std::filesystem::create_directories(dir.Path() / "out");
    // The run opens the sources by their full paths, whatever the process's folder is.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    TFormGl form;
    form.findChild<QRadioButton*>("RadioButtonFBMP")->setChecked(true);
    form.SetSources(sources);
    form.FormOutFolder()->Tree()->SelectPath(QString::fromStdString((dir.Path() / "out").string()));
    form.FormOutFolder()->BitBtnSelectPolClick();
    EXPECT_FALSE(form.findChild<QLineEdit*>("EditOut")->text().isEmpty());
    // Another folder clicked in the tree and the window closed without «Выбрать»: the run
    // still writes where the field says.
    std::filesystem::create_directories(dir.Path() / "elsewhere");
    form.FormOutFolder()->Tree()->SelectPath(QString::fromStdString((dir.Path() / "elsewhere").string()));
    form.FlatButtonGoClick();
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "elsewhere"));
    QDir::setCurrent(previous);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "out" / "one_thumb.bmp"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "out" / "two_thumb.bmp"));
    EXPECT_EQ(form.findChild<QProgressBar*>("ProgressBar1")->value(), 100);
}

// Answers each message box shown while it lives with one button, keeping the texts.
class TBoxAnswerer {
public:
    explicit TBoxAnswerer(QMessageBox::StandardButton answer) {
        QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    texts_ << box->text();
                    box->done(answer);
                }
        });
        timer_.start(5);
    }
    const QStringList& Texts() const { return texts_; }

private:
    QTimer timer_;
    QStringList texts_;
};

// Eight sources and a form set to write them as BMP into dir/out.
QStringList EightSources(const testing::TTempDir& dir, TFormGl& form) {
    QStringList sources;
    for (int i = 0; i < 8; ++i) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        bitmap.SetSize(400, 300);
        bitmap.Fill(RGBColor(20 * i, 100, 200));
        const std::string name = dir.File("photo" + std::to_string(i) + ".bmp");
        bitmap.SaveToFile(name);
        sources << QString::fromStdString(name);
    }
    std::filesystem::create_directories(dir.Path() / "out");
    form.findChild<QRadioButton*>("RadioButtonFBMP")->setChecked(true);
    form.SetSources(sources);
    form.FormOutFolder()->Tree()->SelectPath(QString::fromStdString((dir.Path() / "out").string()));
    form.FormOutFolder()->BitBtnSelectPolClick();
    return sources;
}

// What a stopped run left: every file whole and named as a finished output.
int WholeOutputs(const std::filesystem::path& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.path().filename().string().ends_with("_thumb.bmp")) {
            ADD_FAILURE() << entry.path();
            continue;
        }
        TBitmap written;
        written.LoadFromFile(entry.path().string());
        EXPECT_GT(written.Width(), 0);
        ++count;
    }
    return count;
}

TEST_F(MainWindow, StartBecomesStopAndARunStopsBetweenFilesKeepingWhatItWrote) {
    testing::TTempDir dir;
    TFormGl form;
    EightSources(dir, form);
    auto* go = form.findChild<QPushButton*>("FlatButtonGo");
    QString caption;
    bool optionsEnabled = true;
    QTimer::singleShot(0, [&] {
        caption = go->text();
        optionsEnabled = form.findChild<QPushButton*>("FlatButtonFormat")->isEnabled();
        go->click();
    });
    form.FlatButtonGoClick();
    EXPECT_EQ(caption, QString::fromUtf8("С  т  о  п"));
    EXPECT_FALSE(optionsEnabled);
    EXPECT_TRUE(go->isEnabled());
    EXPECT_EQ(go->text(), QString::fromUtf8("С  т  а  р  т"));
    EXPECT_LT(WholeOutputs(dir.Path() / "out"), 8);

    // Escape asks; told to go on, the run writes every file.
    std::filesystem::remove_all(dir.Path() / "out");
    std::filesystem::create_directories(dir.Path() / "out");
    TBoxAnswerer no(QMessageBox::No);
    QTimer::singleShot(0, [&form] { emit form.findChild<QShortcut*>("EscapeStops")->activated(); });
    form.FlatButtonGoClick();
    EXPECT_EQ(no.Texts(), QStringList{QString::fromUtf8("Остановить обработку?")});
    EXPECT_EQ(WholeOutputs(dir.Path() / "out"), 8);
}

TEST_F(MainWindow, ClosingDuringARunAsksThenStopsItAndCloses) {
    testing::TTempDir dir;
    TFormGl form;
    form.show();  // which reads the settings files: the sources' format comes after
    EightSources(dir, form);
    TBoxAnswerer yes(QMessageBox::Yes);
    bool closedAtOnce = true;
    QTimer::singleShot(0, [&] { closedAtOnce = form.close(); });
    form.FlatButtonGoClick();
    EXPECT_FALSE(closedAtOnce) << "the window waits for the file the run is on";
    EXPECT_EQ(yes.Texts(), QStringList{QString::fromUtf8("Остановить обработку?")});
    EXPECT_FALSE(form.isVisible()) << "and closes once the run has stopped";
    EXPECT_LT(WholeOutputs(dir.Path() / "out"), 8);
}

// A folder and a file dropped on the window become the sources: the folder's pictures
// (not its other files, not its subfolders unless «Включая подпапки» is ticked) and the file.
TEST_F(MainWindow, DroppedFilesAndFoldersBecomeTheSources) {
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.Path() / "album" / "deeper");
    auto picture = [](const std::filesystem::path& path) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        bitmap.SetSize(4, 4);
        bitmap.SaveToFile(path.string());
    };
    picture(dir.Path() / "album" / "b.bmp");
    picture(dir.Path() / "album" / "a.BMP");
    picture(dir.Path() / "album" / "deeper" / "c.bmp");
    picture(dir.Path() / "single.bmp");
    testing::WriteFileBytes((dir.Path() / "album" / "notes.txt").string(), {'h', 'i'});
    const QStringList given = {QString::fromStdString((dir.Path() / "album").string()), QString::fromStdString((dir.Path() / "single.bmp").string()),
                               QString::fromStdString((dir.Path() / "missing.bmp").string())};
    auto paths = [&dir](const std::vector<TSourceEntry>& entries) {
        std::vector<std::string> found;
        for (const TSourceEntry& entry : entries)
            found.push_back(entry.Subfolder + ":" + std::filesystem::path(entry.Path).lexically_relative(dir.Path()).string());
        return found;
    };
    EXPECT_EQ(paths(SourcesAmong(given, false, {})), (std::vector<std::string>{":album/a.BMP", ":album/b.bmp", ":single.bmp"}));
    EXPECT_EQ(paths(SourcesAmong(given, true, {})),
              (std::vector<std::string>{":album/a.BMP", ":album/b.bmp", "deeper:album/deeper/c.bmp", ":single.bmp"}));

    TFormGl form;
    std::filesystem::create_directories(dir.Path() / "out");
    form.findChild<QRadioButton*>("RadioButtonFBMP")->setChecked(true);
    form.FormOutFolder()->Tree()->SelectPath(QString::fromStdString((dir.Path() / "out").string()));
    form.FormOutFolder()->BitBtnSelectPolClick();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((dir.Path() / "album").string())),
                  QUrl::fromLocalFile(QString::fromStdString((dir.Path() / "single.bmp").string()))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &drop);
    EXPECT_EQ(form.findChild<QLineEdit*>("EditInput")->text(), QString::fromStdString((dir.Path() / "album").string()));
    form.FlatButtonGoClick();
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "out")) written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"a_thumb.bmp", "b_thumb.bmp", "single_thumb.bmp"}));
}

// «Сохранить набор настроек...» keeps the dialogs' settings and the menu's options under a
// name; «Загрузить набор...» brings them back, a format beyond the classic buttons too; a
// file that cannot be read is said and changes nothing.
TEST_F(MainWindow, SetsOfSettingsAreSavedAndLoaded) {
    testing::TTempDir dir;
    TFormGl form;
    auto* webp = form.findChild<QRadioButton*>("RadioButtonFWEBP");
    auto* bmp = form.findChild<QRadioButton*>("RadioButtonFBMP");
    ASSERT_TRUE(webp && bmp);
    webp->setChecked(true);
    TExtraOptions options = RecommendedOptions();
    options.Photo.KeepMetadata = !RecommendedOptions().Photo.KeepMetadata;
    form.ExtrasMenu()->Show(options);
    ASSERT_TRUE(form.SavePreset(QString::fromStdString(dir.File("web.pictorand"))));
    EXPECT_NE(form.findChild<QAction*>("ActionSavePreset"), nullptr);
    EXPECT_NE(form.findChild<QAction*>("ActionLoadPreset"), nullptr);

    bmp->setChecked(true);
    form.ExtrasMenu()->Show(RecommendedOptions());
    ASSERT_TRUE(form.LoadPreset(QString::fromStdString(dir.File("web.pictorand"))));
    EXPECT_TRUE(webp->isChecked());
    EXPECT_EQ(form.Settings().Current().Format, OutputFormatNamed("webp"));
    EXPECT_EQ(form.Settings().Current().Photo.KeepMetadata, options.Photo.KeepMetadata);

    TBoxAnswerer ok(QMessageBox::Ok);
    testing::WriteFileBytes(dir.File("short.pictorand"), {1, 2, 3});
    EXPECT_FALSE(form.LoadPreset(QString::fromStdString(dir.File("short.pictorand"))));
    ASSERT_EQ(ok.Texts().size(), 1);
    EXPECT_TRUE(ok.Texts().front().startsWith(QString::fromUtf8("Не удалось загрузить набор настроек из файла")));
    EXPECT_TRUE(webp->isChecked());
}

// The folders sources were picked from and written into are remembered across starts: the
// output folder window offers the recent ones, newest first, and choosing one selects it.
TEST_F(MainWindow, RecentFoldersAreRememberedAcrossStarts) {
    testing::TTempDir dir;
    const std::string file = WindowMemoryFilePath();
    std::filesystem::remove(file);
    std::filesystem::create_directories(dir.Path() / "album");
    for (const char* folder : {"first", "second"}) std::filesystem::create_directories(dir.Path() / folder);
    testing::PhotoLike(8, 8).SaveToFile(dir.File("album/a.bmp"));
    {
        TFormGl form;
        form.findChild<QRadioButton*>("RadioButtonFBMP")->setChecked(true);
        form.SetSources({QString::fromStdString(dir.File("album/a.bmp"))});
        TBoxAnswerer yes(QMessageBox::Yes);
        for (const char* folder : {"first", "second"}) {
            form.FormOutFolder()->Tree()->SelectPath(QString::fromStdString((dir.Path() / folder).string()));
            form.FormOutFolder()->BitBtnSelectPolClick();
            form.FlatButtonGoClick();
        }
        form.WriteToFileSettings();
    }
    const TWindowMemory stored = ReadWindowMemory(file);
    ASSERT_EQ(stored.Outputs.size(), 2u);
    EXPECT_EQ(stored.Outputs[0], (dir.Path() / "second").string());
    EXPECT_EQ(stored.Sources, std::vector<std::string>{(dir.Path() / "album").string()});

    TFormGl again;
    again.ReadFromFileSettings();
    QComboBox* recent = again.FormOutFolder()->RecentList();
    ASSERT_EQ(recent->count(), 3) << "a heading and two folders";
    EXPECT_EQ(recent->itemData(2).toString().toStdString(), (dir.Path() / "first").string());
    emit recent->activated(2);
    EXPECT_EQ(again.FormOutFolder()->SelectedFolder().toStdString(), (dir.Path() / "first").string());
    std::filesystem::remove(file);
}

// Every text a window shows: its title, labels, buttons, group boxes, list items and menus.
QStringList ShownTexts(QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (const QLabel* label : window.findChildren<QLabel*>()) texts << label->text();
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) texts << button->text();
    for (const QGroupBox* box : window.findChildren<QGroupBox*>()) texts << box->title();
    for (const QComboBox* list : window.findChildren<QComboBox*>())
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
    for (const QAction* action : window.findChildren<QAction*>()) texts << action->text();
    return texts;
}

// The language: stored from the menu, else English for an English locale and Russian for
// any other, Russian's included.
TEST_F(MainWindow, TheLanguageIsTheMenusChoiceElseTheLocalesWhereItHasATranslation) {
    EXPECT_EQ(ChooseLanguage("", "ru_RU"), TLanguage::Russian);
    EXPECT_EQ(ChooseLanguage("", "en_GB"), TLanguage::English);
    EXPECT_EQ(ChooseLanguage("", "en_US"), TLanguage::English);
    EXPECT_EQ(ChooseLanguage("", "de_DE"), TLanguage::Russian) << "no German translation";
    EXPECT_EQ(ChooseLanguage("", "C"), TLanguage::Russian);
    EXPECT_EQ(ChooseLanguage("ru", "en_US"), TLanguage::Russian);
    EXPECT_EQ(ChooseLanguage("en", "ru_RU"), TLanguage::English);
}

// In English, nothing the main window, its menus and its dialogs show is left in Russian
// but the name of the Russian language itself; the engine's messages and the help follow.
TEST_F(MainWindow, TheEnglishInterfaceLeavesNoRussianText) {
    QTranslator* english = InstallInterfaceLanguage(*QCoreApplication::instance(), TLanguage::English);
    ASSERT_NE(english, nullptr) << "the English translation is built into the program";
    {
        TFormGl form;
        QStringList texts = ShownTexts(form);
        const std::vector<QWidget*> dialogs = {form.FormFormat(), form.FormName(), form.FormSize(), form.FormLogotip(), form.FormOutFolder(), form.FormAbaut()};
        for (QWidget* dialog : dialogs) texts << ShownTexts(*dialog);
        const QRegularExpression cyrillic(QString::fromUtf8("[А-Яа-яЁё]"));
        QStringList russian;
        for (const QString& text : texts)
            if (text.contains(cyrillic) && text != QString::fromUtf8("Русский")) russian << text;
        EXPECT_TRUE(russian.isEmpty()) << russian.join(" | ").toStdString();
        EXPECT_EQ(form.findChild<QPushButton*>("FlatButtonGo")->text(), "S  t  a  r  t");
        EXPECT_TRUE(texts.contains("Keep metadata")) << "the Extras menu's items";
        EXPECT_EQ(Say(TText::NothingToProcess), "There are no pictures to convert, or no output folder is chosen!");
        const QString help = FindHelpFile(QFileInfo(QString::fromUtf8(PICTORAND_HELP_FILE)).absolutePath() + "/..");
        EXPECT_TRUE(help.endsWith("index.en.html")) << help.toStdString();
    }
    QCoreApplication::removeTranslator(english);
    delete english;
    SetLanguage(TLanguage::Russian);
    EXPECT_EQ(Say(TText::NothingToProcess), "Нет изображений для обработки или не выбрана папка-получатель!");
}

// «Файл → Язык интерфейса» keeps the choice for the next start and says when it applies.
TEST_F(MainWindow, TheLanguageChosenInTheMenuIsKeptForTheNextStart) {
    const std::string file = WindowMemoryFilePath();
    std::filesystem::remove(file);
    {
        TFormGl form;
        auto* english = form.findChild<QAction*>("ActionLanguage_en");
        auto* russian = form.findChild<QAction*>("ActionLanguage_ru");
        ASSERT_TRUE(english && russian);
        EXPECT_TRUE(russian->isChecked());
        TBoxAnswerer ok(QMessageBox::Ok);
        english->trigger();
        EXPECT_EQ(ok.Texts(), QStringList{QString::fromUtf8("Язык интерфейса изменится при следующем запуске программы.")});
        form.WriteToFileSettings();
    }
    EXPECT_EQ(ReadWindowMemory(file).Language, "en");
    std::filesystem::remove(file);
}

// Without a mouse: every control of the main window and of each dialog is reached by Tab,
// and Delete takes the selected sources out of the list.
TEST_F(MainWindow, EveryControlIsReachedByTheKeyboard) {
    TFormGl form;
    const std::vector<QWidget*> windows = {&form, form.FormFormat(), form.FormName(), form.FormSize(), form.FormLogotip(), form.FormOutFolder(), form.FormAbaut()};
    for (QWidget* window : windows) {
        window->show();
        QSet<QWidget*> chain;
        for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus) chain.insert(w);
        QStringList unreachable;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            const bool interactive = qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
                                     qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractItemView*>(control);
            if (interactive && control->isVisibleTo(window) && control->isEnabled() && !chain.contains(control))
                unreachable << control->objectName() + " (" + control->metaObject()->className() + ")";
        }
        EXPECT_TRUE(unreachable.isEmpty()) << window->objectName().toStdString() << ": " << unreachable.join(", ").toStdString();
        window->hide();
    }

    testing::TTempDir dir;
    for (const char* name : {"a.bmp", "b.bmp"}) testing::PhotoLike(8, 8).SaveToFile(dir.File(name));
    form.SetSources({QString::fromStdString(dir.File("a.bmp")), QString::fromStdString(dir.File("b.bmp"))});
    auto* list = form.findChild<QListWidget*>("SourceList");
    list->setCurrentRow(0);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(list, &press);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "b.bmp");
}

// Lets the window's events run until the condition holds or ten seconds pass.
bool WaitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition() && std::chrono::steady_clock::now() < deadline) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// The list shows how many sources there are with a small picture of each; «Убрать» and
// «Очистить» take sources out of the next run; «Включая подпапки» walks the folders given
// again and the run mirrors their subfolders.
TEST_F(MainWindow, TheSourceListCountsDrawsRemovesAndDescends) {
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.Path() / "album" / "deeper");
    std::filesystem::create_directories(dir.Path() / "out");
    for (const char* name : {"album/a.bmp", "album/b.bmp", "album/deeper/c.bmp"}) testing::PhotoLike(96, 64).SaveToFile(dir.File(name));
    TFormGl form;
    form.findChild<QRadioButton*>("RadioButtonFBMP")->setChecked(true);
    form.FormOutFolder()->Tree()->SelectPath(QString::fromStdString((dir.Path() / "out").string()));
    form.FormOutFolder()->BitBtnSelectPolClick();
    form.SetSources({QString::fromStdString((dir.Path() / "album").string())});
    auto* list = form.findChild<QListWidget*>("SourceList");
    auto* count = form.findChild<QLabel*>("SourceCount");
    ASSERT_TRUE(list && count);
    EXPECT_EQ(count->text(), QString::fromUtf8("Файлов: 2"));
    ASSERT_TRUE(WaitUntil([&] { return !form.SourceList()->DrawingThumbnails(); }));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "a.bmp");
    EXPECT_EQ(list->item(0)->icon().availableSizes(), QList<QSize>{QSize(48, 48)});
    const QImage drawn = list->item(0)->icon().pixmap(48, 48).toImage();
    EXPECT_EQ(drawn.pixelColor(24, 4).alpha(), 0) << "a 96 x 64 picture fitted into 48 x 32, centred";
    EXPECT_EQ(drawn.pixelColor(24, 24).alpha(), 255);
    EXPECT_TRUE(list->item(0)->toolTip().contains(QString::fromUtf8("96 × 64")));

    // A photo that stands on its side is drawn turned, and drawn again as stored once the
    // menu no longer turns photos.
    testing::WriteFileBytes(dir.File("album/upright.jpg"), testing::MarkedJpeg(6));
    form.SetSources({QString::fromStdString((dir.Path() / "album").string())});
    ASSERT_TRUE(WaitUntil([&] { return !form.SourceList()->DrawingThumbnails(); }));
    auto standing = [&] { return list->item(2)->icon().pixmap(48, 48).toImage().pixelColor(24, 4).alpha() == 255; };
    EXPECT_TRUE(standing()) << "turned by its EXIF: 24 x 48";
    form.ExtrasMenu()->Action("auto_orient")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !form.SourceList()->DrawingThumbnails(); }));
    EXPECT_FALSE(standing()) << "as stored: 48 x 24";
    std::filesystem::remove(dir.File("album/upright.jpg"));

    form.findChild<QCheckBox*>("CheckBoxSubfolders")->setChecked(true);
    EXPECT_EQ(count->text(), QString::fromUtf8("Файлов: 3"));
    EXPECT_EQ(list->item(2)->text(), "deeper/c.bmp");
    list->setCurrentRow(1);
    form.findChild<QPushButton*>("SourceRemove")->click();
    EXPECT_EQ(count->text(), QString::fromUtf8("Файлов: 2"));
    form.FlatButtonGoClick();
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "out" / "a_thumb.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out" / "b_thumb.bmp")) << "removed from the list";
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "out" / "deeper" / "c_thumb.bmp")) << "the subfolder mirrored";
    if (auto* summary = form.RunSummary()) summary->close();

    form.findChild<QPushButton*>("SourceClear")->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(form.findChild<QLineEdit*>("EditInput")->text().isEmpty());
    TBoxAnswerer ok(QMessageBox::Ok);
    form.FlatButtonGoClick();
    EXPECT_EQ(ok.Texts(), QStringList{QString::fromUtf8("Нет изображений для обработки или не выбрана папка-получатель!")});
}

// The preview shows the current source as the run will write it: its size and the size of
// the file, which is the size of the file the run then writes; a source that cannot be
// read shows the reason.
TEST_F(MainWindow, ThePreviewTellsTheSizesTheRunWrites) {
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.Path() / "out");
    testing::PhotoLike(400, 300).SaveToFile(dir.File("photo.bmp"));
    testing::WriteFileBytes(dir.File("broken.bmp"), {'B', 'M', 0, 0});
    TFormGl form;
    form.findChild<QRadioButton*>("RadioButtonFJPG")->setChecked(true);
    form.FormOutFolder()->Tree()->SelectPath(QString::fromStdString((dir.Path() / "out").string()));
    form.FormOutFolder()->BitBtnSelectPolClick();
    form.SetSources({QString::fromStdString(dir.File("photo.bmp")), QString::fromStdString(dir.File("broken.bmp"))});
    auto* caption = form.findChild<QLabel*>("PreviewCaption");
    auto* picture = form.findChild<QLabel*>("PreviewPicture");
    ASSERT_TRUE(caption && picture);
    const QRegularExpression sizes(QString::fromUtf8("^100 × 75 пикс., файл около (\\d+) КБ$"));
    ASSERT_TRUE(WaitUntil([&] { return sizes.match(caption->text()).hasMatch(); })) << caption->text().toStdString();
    EXPECT_EQ(picture->pixmap().size(), QSize(100, 75)) << "shown as large as it is written";
    const int kilobytes = sizes.match(caption->text()).captured(1).toInt();

    form.SourceList()->findChild<QListWidget*>("SourceList")->setCurrentRow(1);
    ASSERT_TRUE(WaitUntil([&] { return !form.Preview()->Preparing() && caption->text() != QString::fromUtf8("Готовится…") && !sizes.match(caption->text()).hasMatch(); }));
    EXPECT_FALSE(caption->text().isEmpty());
    EXPECT_TRUE(picture->pixmap().isNull());

    const TBoxAnswerer goOn(QMessageBox::Yes);
    form.FlatButtonGoClick();
    const auto written = std::filesystem::file_size(dir.Path() / "out" / "photo_thumb.jpg");
    EXPECT_EQ(static_cast<int>((written + 512) / 1024), kilobytes);
}

// The replace question names the file; «Нет для всех» and «Да для всех» answer the rest
// of the run, and the next run asks again.
TEST_F(MainWindow, ReplaceQuestionNamesTheFileAndCanAnswerForAll) {
    testing::TTempDir dir;
    TFormGl form;
    EightSources(dir, form);
    form.FlatButtonGoClick();
    auto stamp = [&dir] {
        std::vector<std::filesystem::file_time_type> times;
        for (int i = 0; i < 8; ++i) times.push_back(std::filesystem::last_write_time(dir.Path() / "out" / ("photo" + std::to_string(i) + "_thumb.bmp")));
        return times;
    };
    const auto first = stamp();
    auto runAnswering = [&form](const char* button) {
        QStringList asked;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&asked, button] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    asked << box->text();
                    box->findChild<QPushButton*>(button)->click();
                }
        });
        timer.start(5);
        form.FlatButtonGoClick();
        return asked;
    };
    const QStringList askedNo = runAnswering("ReplaceNoToAll");
    ASSERT_EQ(askedNo.size(), 1);
    EXPECT_TRUE(askedNo[0].startsWith(QString::fromUtf8("Файл существует! Заменить?")));
    EXPECT_TRUE(askedNo[0].endsWith(QString::fromStdString((dir.Path() / "out" / "photo0_thumb.bmp").string()))) << askedNo[0].toStdString();
    EXPECT_EQ(stamp(), first) << "nothing replaced";

    std::filesystem::remove(dir.Path() / "out" / "photo3_thumb.bmp");
    EXPECT_EQ(runAnswering("ReplaceYesToAll").size(), 1) << "the next run asks again, once";
    const auto second = stamp();
    for (int i = 0; i < 8; ++i) EXPECT_NE(second[static_cast<std::size_t>(i)], first[static_cast<std::size_t>(i)]) << i;
}

// The bar says how far the run is, which file it is on and how long the rest should take;
// at the end a window counts the outcomes and lists what was not written, and why.
TEST_F(MainWindow, ProgressSaysCountNameAndTimeLeftAndASummaryFollows) {
    testing::TTempDir dir;
    TFormGl form;
    QStringList sources = EightSources(dir, form);
    testing::WriteFileBytes(dir.File("broken.bmp"), {'B', 'M', 1, 2});
    sources.insert(4, QString::fromStdString(dir.File("broken.bmp")));
    form.SetSources(sources);
    QStringList seen;
    QTimer sampler;
    auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (bar->isTextVisible() && !seen.contains(bar->format())) seen << bar->format();
    });
    sampler.start(0);
    TBoxAnswerer yes(QMessageBox::Yes);  // go on after the broken file
    form.FlatButtonGoClick();
    ASSERT_FALSE(seen.isEmpty());
    // The first text the events show depends on how soon the run lets them through.
    EXPECT_TRUE(QRegularExpression(QString::fromUtf8("^[0-9] из 9 — \\S+\\.bmp")).match(seen.first()).hasMatch()) << seen.first().toStdString();
    bool withTime = false;
    for (const QString& text : seen) withTime = withTime || QRegularExpression(QString::fromUtf8("^[1-8] из 9 — \\S+ — осталось \\d+:\\d\\d$")).match(text).hasMatch();
    EXPECT_TRUE(withTime) << seen.join(" | ").toStdString();
    EXPECT_FALSE(bar->isTextVisible()) << "the idle bar shows no text";

    TRunSummaryWindow* summary = form.RunSummary();
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->isVisible());
    EXPECT_EQ(summary->CountsLabel()->text(), QString::fromUtf8("Записано 8, пропущено 0, с ошибками 1"));
    EXPECT_TRUE(summary->Problems()->toPlainText().startsWith(QString::fromUtf8("broken.bmp — "))) << summary->Problems()->toPlainText().toStdString();
    EXPECT_NE(summary->findChild<QPushButton*>("SummaryOpenFolder"), nullptr);
}

TEST_F(MainWindow, LooksLikeADesktopProgram) {
    TFormGl form;
    EXPECT_FALSE(form.windowIcon().isNull()) << "the window icon travels inside the program";

    // The flat buttons rise while the pointer is over them.
    auto* button = form.findChild<QPushButton*>("FlatButtonFormat");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isFlat());
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(button, &enter);
    EXPECT_FALSE(button->isFlat());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_TRUE(button->isFlat());
    // And while it has the keyboard focus, where Enter presses it.
    TFlatButton focused("OK", nullptr);
    int pressed = 0;
    QObject::connect(&focused, &QPushButton::clicked, [&pressed] { ++pressed; });
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&focused, &focusIn);
    EXPECT_FALSE(focused.isFlat()) << "the focused button shows it";
    QKeyEvent enterKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&focused, &enterKey);
    EXPECT_EQ(pressed, 1);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&focused, &focusOut);
    EXPECT_TRUE(focused.isFlat());

    // The window opens in the middle of the screen, and a dialog in the middle of the
    // window each time it is shown.
    form.show();
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    EXPECT_LE((form.geometry().center() - screenCentre).manhattanLength(), 2);
    form.move(form.pos() + QPoint(-37, 23));
    TFormFormat* dialog = form.FormFormat();
    for (int showing = 0; showing < 2; ++showing) {
        dialog->show();
        EXPECT_LE((dialog->geometry().center() - form.geometry().center()).manhattanLength(), 2) << "showing " << showing;
        dialog->hide();
    }

    // The folder tree shows folder icons.
    TShellTreeView* tree = form.FormOutFolder()->Tree();
    const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
    ASSERT_NE(model, nullptr);
    const QModelIndex home = model->index(QDir::homePath());
    EXPECT_FALSE(model->data(home, Qt::DecorationRole).value<QIcon>().isNull());
}

TEST_F(MainWindow, HelpIsFoundBesideTheProgramOrInTheSharedFolderAndShownInRussian) {
    testing::TTempDir dir;
    const QString root = QString::fromStdString(dir.Path().string());
    QDir(root).mkpath("build/help");
    QDir(root).mkpath("prefix/bin");
    QDir(root).mkpath("prefix/share/pictorand/help");
    EXPECT_EQ(FindHelpFile(root + "/build"), QString()) << "a folder without the file";
    EXPECT_EQ(FindHelpFile(root + "/prefix/bin"), QString());
    for (const QString& file : {root + "/build/help/index.html", root + "/prefix/share/pictorand/help/index.html"}) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(FindHelpFile(root + "/build"), QFileInfo(root + "/build/help/index.html").canonicalFilePath());
    EXPECT_EQ(FindHelpFile(root + "/prefix/bin"), QFileInfo(root + "/prefix/share/pictorand/help/index.html").canonicalFilePath());

    // The help describes every item of the "Дополнительно" menu.
    TFormGl form;
    THelpWindow help(&form);
    help.ShowFile(QStringLiteral(PICTORAND_HELP_FILE));
    EXPECT_EQ(help.Browser()->documentTitle(), QString::fromUtf8("Pictorand — справка"));
    const QRect room = help.screen()->availableGeometry();
    EXPECT_TRUE(room.contains(help.geometry())) << "the help keeps within a small screen: " << help.width() << "x" << help.height();
    const QString text = help.Browser()->toPlainText();
    for (QAction* item : form.ExtrasMenu()->Menu()->actions())
        if (!item->isSeparator()) {
            EXPECT_TRUE(text.contains(item->text())) << item->text().toStdString();
        }
    EXPECT_TRUE(text.contains("pictorand-cli"));
}

TEST_F(MainWindow, QuitAndHelpHaveTheirKeysAndQtSpeaksRussian) {
    TFormGl form;
    QStringList shortcuts;
    for (QAction* menu : form.menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (!item->shortcut().isEmpty()) shortcuts << item->text() + "=" + item->shortcut().toString();
    EXPECT_TRUE(shortcuts.contains(QString::fromUtf8("Выход из программы=Ctrl+Q"))) << shortcuts.join(", ").toStdString();
    EXPECT_TRUE(shortcuts.contains(QString::fromUtf8("Помощь...=F1"))) << shortcuts.join(", ").toStdString();
    // Qt's own captions, such as the Yes of every prompt, come in Russian.
    if (!InstallInterfaceLanguage(*QCoreApplication::instance(), TLanguage::Russian)) GTEST_SKIP() << "Qt's Russian translations (qt6-translations-l10n) are not installed";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString::fromUtf8("&Да"));
}

}  // namespace
}  // namespace pictorand
