#include <gtest/gtest.h>

#include <QDir>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "engine/extra_options_file.h"
#include "engine/settings_file.h"
#include "gui/dialogs/dialog_settings.h"
#include "gui/dialogs/form_abaut.h"
#include "gui/dialogs/form_format.h"
#include "gui/dialogs/form_logotip.h"
#include "gui/dialogs/form_name.h"
#include "gui/dialogs/form_out_folder.h"
#include "gui/dialogs/form_size.h"
#include "qt_application.h"
#include "scripted_host.h"
#include "temp_dir.h"
#include "gui/widgets/shell_tree_view.h"

namespace pictorand {
namespace {

class Dialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::EnsureApplication(); }

    template <class W>
    static W* Find(QWidget* dialog, const char* name) {
        W* widget = dialog->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Asks the dialog to close as the close box does; answers whether it closed.
    static bool TryClose(QDialog& dialog) {
        dialog.show();
        dialog.close();
        return !dialog.isVisible();
    }

    testing::TScriptedHost host_;
};

// Types text into a widget one character at a time, as the keyboard would.
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c == ' ' ? Qt::Key_Space : Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

constexpr const char* NameMessage = "Имя файла не должно содержать: | \\ / * \" <>!";

TEST_F(Dialogs, KeyFiltersRefuseAndClearTheWholeEdit) {
    TFormName name(host_);
    QLineEdit* word = Find<QLineEdit>(&name, "EditNNewName");
    Type(word, QString::fromUtf8("ab_Жя-9."));
    EXPECT_EQ(word->text(), QString::fromUtf8("ab_Жя-9."));
    QTest::keyClick(word, Qt::Key_Space);
    EXPECT_EQ(word->text(), "") << "a space clears the edit";
    EXPECT_EQ(host_.Messages, (std::vector<std::string>{NameMessage}));
    Type(word, "x");
    Type(word, QString::fromUtf8("Ё"));
    EXPECT_EQ(word->text(), "");
    EXPECT_EQ(host_.Messages.size(), 2u);

    QLineEdit* number = Find<QLineEdit>(&name, "EditNewCifr");
    Type(number, "-1_2.");
    EXPECT_EQ(number->text(), "-1_2.");
    Type(number, "a");
    EXPECT_EQ(number->text(), "");
    EXPECT_EQ(host_.Messages.back(), "В этом поле могу быть только цифры и _ -!");

    TFormSize size(host_);
    QLineEdit* maks = Find<QLineEdit>(&size, "EditSMaks");
    maks->clear();
    Type(maks, "1.5");
    EXPECT_EQ(maks->text(), "1.5");
    Type(maks, "-");
    EXPECT_EQ(maks->text(), "");
    EXPECT_EQ(host_.Messages.back(), "В этом поле должны быть только цифры!");
    EXPECT_EQ(Find<QLineEdit>(&size, "EditSProc")->maxLength(), 3);
    EXPECT_EQ(Find<QLineEdit>(&size, "EditMm")->maxLength(), 4);
}

TEST_F(Dialogs, PastedTextIsFilteredAndEditingKeysPassThrough) {
    TFormName name(host_);
    QLineEdit* word = Find<QLineEdit>(&name, "EditNNewName");
    Type(word, "photo");
    // Editing keys and shortcuts never count as refused characters.
    for (const auto& [key, modifiers] : std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>{
             {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}, {Qt::Key_Left, Qt::NoModifier},
             {Qt::Key_Home, Qt::NoModifier}, {Qt::Key_End, Qt::NoModifier}, {Qt::Key_A, Qt::ControlModifier},
             {Qt::Key_C, Qt::ControlModifier}}) {
        QTest::keyClick(word, key, modifiers);
    }
    EXPECT_EQ(word->text(), "photo");
    EXPECT_TRUE(host_.Messages.empty());

    // A pasted path is refused whole with the typing message; what was there stays.
    QApplication::clipboard()->setText("/tmp/in.jpg");
    word->end(false);
    QTest::keyClick(word, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(word->text(), "photo");
    EXPECT_EQ(host_.Messages, (std::vector<std::string>{NameMessage}));
    // A clean paste goes in, and undo works.
    QApplication::clipboard()->setText(QString::fromUtf8("_2024"));
    QTest::keyClick(word, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(word->text(), "photo_2024");
    QTest::keyClick(word, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(word->text(), "photo");
    EXPECT_EQ(host_.Messages.size(), 1u);

    // Text dropped or put in through the edit's own operations is looked at the same way.
    QLineEdit* number = Find<QLineEdit>(&name, "EditNewCifr");
    number->setText("12");
    number->selectAll();
    number->insert("3x");
    EXPECT_EQ(number->text(), "12");
    EXPECT_EQ(host_.Messages.back(), "В этом поле могу быть только цифры и _ -!");
}

TEST_F(Dialogs, SizeCloseCheck) {
    TFormSize size(host_);
    QLineEdit* maks = Find<QLineEdit>(&size, "EditSMaks");
    for (const char* text : {"007", "1.5", "."}) {
        maks->setText(text);
        EXPECT_TRUE(TryClose(size)) << text;
    }
    for (const char* text : {"0000", "0", ""}) {
        maks->setText(text);
        EXPECT_FALSE(TryClose(size)) << text;
    }
    EXPECT_EQ(host_.Messages.back(), "Поле не должно быть пустым или равно нулю!");
    maks->setText("100");
    Find<QRadioButton>(&size, "RadioButtonUser")->setChecked(true);
    Find<QLineEdit>(&size, "EditSHeight")->setText("0");
    EXPECT_FALSE(TryClose(size)) << "a zero height with a valid width";
    Find<QRadioButton>(&size, "RadioButtonNoSize")->setChecked(true);
    EXPECT_TRUE(TryClose(size));
}

TEST_F(Dialogs, NameCloseCheckAndWarningPair) {
    TFormName name(host_);
    EXPECT_TRUE(TryClose(name)) << "an empty word is fine while the word is not chosen";
    Find<QRadioButton>(&name, "RadioButtonAddNewWord")->setChecked(true);
    EXPECT_FALSE(TryClose(name));
    EXPECT_EQ(host_.Messages.back(), "Поле не должно быть пустым!");
    Find<QLineEdit>(&name, "EditNNewName")->setText("small");
    EXPECT_TRUE(TryClose(name));

    auto* pred = Find<QCheckBox>(&name, "CheckBoxPred");
    auto* noPred = Find<QCheckBox>(&name, "CheckBoxNoPred");
    name.show();
    QTest::mouseClick(noPred, Qt::LeftButton);
    EXPECT_TRUE(noPred->isChecked());
    EXPECT_FALSE(pred->isChecked());
    QTest::mouseClick(noPred, Qt::LeftButton);
    EXPECT_TRUE(pred->isChecked()) << "unchecking one checks the other";
    name.hide();
}

TEST_F(Dialogs, QualityListFollowsTheFormatFromTheFirstShowing) {
    TFormFormat format(host_);
    auto* quality = Find<QComboBox>(&format, "ComboBoxQJPG");
    EXPECT_TRUE(quality->isEnabled()) << "JPG is chosen when the dialog first shows";
    auto* bmp = Find<QRadioButton>(&format, "RadioButtonFBMP");
    bmp->setFocus();
    QTest::keyClick(bmp, Qt::Key_Space);
    EXPECT_TRUE(bmp->isChecked()) << "chosen by keyboard";
    EXPECT_FALSE(quality->isEnabled());
    ConversionSettings jpeg;
    jpeg.Format = OutputFormatNamed("jpg");
    format.Show(jpeg);
    EXPECT_TRUE(quality->isEnabled()) << "chosen by the settings file";
    EXPECT_EQ(Find<QComboBox>(&format, "ComboBoxFilter")->currentText(), "Lanczos 3 Filter");
    EXPECT_EQ(quality->currentText(), "60");
}

TEST_F(Dialogs, SettingsLiveInTheControlsAndSurviveARestart) {
    testing::TTempDir dir;
    const std::string path = dir.File("Setting.dat");
    {
        TFormFormat format(host_);
        TFormName name(host_);
        TFormSize size(host_);
        TFormLogotip logotip(host_);
        TDialogSettings settings(format, name, size, logotip);
        ConversionSettings defaults;
        defaults.Photo = RecommendedOptions().Photo;
        defaults.Resample = RecommendedOptions().Resample;
        EXPECT_EQ(settings.Current(), defaults) << "the controls start at the defaults, the photo options recommended";
        Find<QRadioButton>(&name, "RadioButtonAddNewWord")->setChecked(true);
        Find<QLineEdit>(&name, "EditNNewName")->setText("abcdefghijklmnopqrst");
        Find<QRadioButton>(&format, "RadioButtonFPNG")->setChecked(true);
        Find<QRadioButton>(&logotip, "RadioButtonVP")->setChecked(true);
        EXPECT_EQ(settings.Current().AddedWordText, "abcdefghijklmnopqrst") << "used in full until the program ends";
        WriteSettingsFile(path, settings.Current());
    }
    TFormFormat format(host_);
    TFormName name(host_);
    TFormSize size(host_);
    TFormLogotip logotip(host_);
    TDialogSettings settings(format, name, size, logotip);
    ConversionSettings restored = settings.Current();
    ASSERT_TRUE(ReadSettingsFile(path, restored));
    settings.Show(restored);
    EXPECT_EQ(Find<QLineEdit>(&name, "EditNNewName")->text(), "abcdefghijklmno");
    EXPECT_TRUE(Find<QRadioButton>(&format, "RadioButtonFPNG")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(&name, "RadioButtonAddNewWord")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(&logotip, "RadioButtonVP")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>(&logotip, "RadioButtonNL")->isChecked());
}

// The web's formats: their quality, lossless tick and effort can be used only while a format
// that takes them is chosen; the choice is kept beside the classic record, which keeps a
// format of its own.
TEST_F(Dialogs, WebFormatsTakeTheirCodingAndSurviveARestart) {
    testing::TTempDir dir;
    const std::string record = dir.File("Setting.dat"), extras = dir.File("PhotoOptions.json");
    {
        TFormFormat format(host_);
        TFormName name(host_);
        TFormSize size(host_);
        TFormLogotip logotip(host_);
        TDialogSettings settings(format, name, size, logotip);
        auto* quality = Find<QSpinBox>(&format, "SpinQuality");
        auto* lossless = Find<QCheckBox>(&format, "CheckLossless");
        auto* effort = Find<QSpinBox>(&format, "SpinEffort");
        EXPECT_FALSE(quality->isEnabled() || lossless->isEnabled() || effort->isEnabled()) << "JPG takes none of them";
        Find<QRadioButton>(&format, "RadioButtonFAVIF")->setChecked(true);
        EXPECT_TRUE(quality->isEnabled() && effort->isEnabled());
        EXPECT_FALSE(lossless->isEnabled()) << "AVIF has no lossless coding here";
        EXPECT_FALSE(Find<QComboBox>(&format, "ComboBoxQJPG")->isEnabled());
        Find<QRadioButton>(&format, "RadioButtonFWEBP")->setChecked(true);
        ASSERT_TRUE(lossless->isEnabled());
        quality->setValue(70);
        effort->setValue(8);
        EXPECT_EQ(settings.Current().Encode, (TEncodeOptions{.Quality = 70, .Effort = 8}));
        lossless->setChecked(true);
        EXPECT_FALSE(quality->isEnabled()) << "a lossless file has no quality";
        lossless->setChecked(false);
        EXPECT_EQ(settings.Current().Format, OutputFormatNamed("webp"));
        EXPECT_EQ(settings.Record().Format, OutputFormatNamed("jpg")) << "the record has no WebP button";
        EXPECT_EQ(settings.Extras().OutputFormat, "webp");
        WriteSettingsFile(record, settings.Record());
        WriteExtraOptionsFile(extras, settings.Extras());
    }
    TFormFormat format(host_);
    TFormName name(host_);
    TFormSize size(host_);
    TFormLogotip logotip(host_);
    TDialogSettings settings(format, name, size, logotip);
    ConversionSettings restored = settings.Current();
    ASSERT_TRUE(ReadSettingsFile(record, restored));
    settings.Show(restored, ReadExtraOptionsFile(extras));
    EXPECT_TRUE(Find<QRadioButton>(&format, "RadioButtonFWEBP")->isChecked());
    EXPECT_EQ(settings.Current().Encode, (TEncodeOptions{.Quality = 70, .Effort = 8}));
    Find<QRadioButton>(&format, "RadioButtonFPNG")->setChecked(true);
    EXPECT_EQ(settings.Extras().OutputFormat, "") << "a classic format is the record's own";
}

TEST_F(Dialogs, LogoChooserAndCloseCheck) {
    testing::TTempDir dir;
    testing::WriteFileBytes(dir.File("logo.png"), {1});
    TFormLogotip logotip(host_);
    Find<QCheckBox>(&logotip, "CheckBoxLogotip")->setChecked(true);
    EXPECT_FALSE(TryClose(logotip));
    EXPECT_EQ(host_.Messages.back(), "Вы не выбрали файл логотипа!");

    QString answer = QString::fromStdString(dir.File("logo.png"));
    logotip.RunChooser = [&answer] { return answer; };
    logotip.SpeedButtonBrLogotipClick();
    answer.clear();  // the second visit is cancelled
    logotip.SpeedButtonBrLogotipClick();
    EXPECT_EQ(Find<QLineEdit>(&logotip, "EditLogotip")->text(), QString::fromStdString(dir.File("logo.png")));
    Find<QLineEdit>(&logotip, "EditLogotip")->setText("/somewhere/else.png");
    EXPECT_EQ(logotip.ChooserFileName(), QString::fromStdString(dir.File("logo.png"))) << "typed text is not the logo";
    EXPECT_TRUE(TryClose(logotip));
}

TEST_F(Dialogs, FolderTreeSelectionIsTheOutputFolder) {
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.Path() / "a");
    std::filesystem::create_directories(dir.Path() / "b");
    TFormOutFolder folders(host_);
    QString confirmed;
    folders.OnSelect = [&confirmed](const QString& folder) { confirmed = folder; };
    const QString a = QString::fromStdString((dir.Path() / "a").string());
    const QString b = QString::fromStdString((dir.Path() / "b").string());
    folders.show();
    folders.Tree()->SelectPath(a);
    folders.BitBtnSelectPolClick();
    EXPECT_EQ(confirmed, a);
    folders.show();
    folders.Tree()->SelectPath(b);
    Find<QPushButton>(&folders, "BitBtnSelectClose")->click();
    EXPECT_EQ(confirmed, a) << "Закрыть leaves the confirmed folder";
    EXPECT_EQ(folders.SelectedFolder(), b) << "but the next run writes into the tree's selection";
}

// The window opens where the run writes (home when that is unset or gone), its path field
// follows the tree and selects what is typed into it, and «Создать папку» makes one
// folder inside the selected one.
TEST_F(Dialogs, FolderWindowStartsAtTheOutputFolderAndCreatesFolders) {
    testing::TTempDir dir;
    std::filesystem::create_directories(dir.Path() / "a");
    const QString root = QString::fromStdString(dir.Path().string());
    const QString a = root + "/a";
    TFormOutFolder folders(host_);
    folders.ShowAt(a);
    EXPECT_EQ(folders.SelectedFolder(), a);
    EXPECT_EQ(folders.PathField()->text(), a);
    folders.ShowAt("");
    EXPECT_EQ(folders.SelectedFolder(), QDir::homePath());
    folders.ShowAt(root + "/gone");
    EXPECT_EQ(folders.SelectedFolder(), QDir::homePath());

    folders.PathField()->setText(a);
    Q_EMIT folders.PathField()->returnPressed();
    EXPECT_EQ(folders.SelectedFolder(), a);
    EXPECT_TRUE(folders.CreateFolder(QString::fromUtf8("новая")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "a" / "новая"));
    EXPECT_EQ(folders.SelectedFolder(), a + QString::fromUtf8("/новая"));
    EXPECT_FALSE(folders.CreateFolder("x/../../y"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "y"));
    ASSERT_FALSE(host_.Messages.empty());
    EXPECT_EQ(host_.Messages.back().rfind("Не удалось создать папку ", 0), 0u) << host_.Messages.back();
}

TEST_F(Dialogs, AboutLinksOpenMailAndSite) {
    TFormAbaut about(host_);
    std::vector<QString> opened;
    about.OpenAddress = [&opened](const QString& address) { opened.push_back(address); };
    Q_EMIT Find<QLabel>(&about, "Label3")->linkActivated("#");
    Q_EMIT Find<QLabel>(&about, "Label4")->linkActivated("#");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_TRUE(opened[0].startsWith("mailto:"));
    EXPECT_TRUE(opened[0].endsWith("?subject=Pictorand v4.1"));
    EXPECT_EQ(opened[1], TFormAbaut::SiteAddress());
    EXPECT_EQ(Find<QLabel>(&about, "Label1")->text(), "Pictorand v4.3");
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("О программе"));
}

}  // namespace
}  // namespace pictorand
