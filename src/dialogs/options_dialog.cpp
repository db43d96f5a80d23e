#include "dialogs/options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace pictorand {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

template <class E>
QComboBox* EnumCombo(QWidget* parent, std::initializer_list<const char*> captions, const std::optional<E>& value) {
    auto* combo = new QComboBox(parent);
    for (const char* caption : captions) combo->addItem(QString::fromUtf8(caption));
    combo->setCurrentIndex(value ? static_cast<int>(*value) : -1);
    return combo;
}

template <class E>
void BindEnum(QComboBox* combo, std::optional<E>& target) {
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [&target](int index) {
        if (index >= 0) target = static_cast<E>(index);
    });
}

QLineEdit* TextEdit(QWidget* parent, std::string& target, int maxLength = 0) {
    auto* edit = new QLineEdit(QString::fromStdString(target), parent);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [&target](const QString& text) { target = text.toStdString(); });
    return edit;
}

}  // namespace

TOptionsDialog::TOptionsDialog(const QString& title, ConversionSettings& s, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    setModal(true);
    auto* form = new QFormLayout(this);

    auto* format = EnumCombo(this, {"Файл BMP", "Файл JPG", "Файл TGA", "Файл GIF", "Файл TIF", "Файл PNG", "Файл PCX", "Файл ICO", "Файл WMF"}, s.Format);
    BindEnum(format, s.Format);
    form->addRow(QString::fromUtf8("Форматы файлов"), format);

    auto* filter = new QComboBox(this);
    for (auto item : FilterItems) filter->addItem(Text(item));
    filter->setCurrentIndex(s.Filter);
    connect(filter, &QComboBox::currentIndexChanged, this, [&s](int index) { s.Filter = index; });
    form->addRow(QString::fromUtf8("Выберите фильтр"), filter);

    auto* quality = new QComboBox(this);
    for (auto item : JpegQualityItems) quality->addItem(Text(item));
    quality->setCurrentIndex(s.JpegQuality);
    connect(quality, &QComboBox::currentIndexChanged, this, [&s](int index) { s.JpegQuality = index; });
    form->addRow(QString::fromUtf8("Качество JPG"), quality);

    auto* naming = EnumCombo(this, {"Автоматически добавлять к имени файла слово trumb",
                                    "Автоматически заменять имена файлов порядковым номером",
                                    "Начинать заменять имена файлов с  цифры:",
                                    "Автоматически добавлять к имени слово:", "Заменять имя файла этим именем",
                                    "Не изменять название файла "},
                             s.Naming);
    BindEnum(naming, s.Naming);
    form->addRow(QString::fromUtf8("Имя файла"), naming);
    form->addRow(QString::fromUtf8("Слово"), TextEdit(this, s.AddedWordText));
    form->addRow(QString::fromUtf8("Начальная цифра"), TextEdit(this, s.StartNumberText));
    form->addRow(QString::fromUtf8("Имя"), TextEdit(this, s.FixedNameText));

    auto* replace = new QCheckBox(QString::fromUtf8("Заменять файлы при совпадении имён без предупреждения"), this);
    replace->setChecked(s.ReplaceSilently);
    connect(replace, &QCheckBox::toggled, this, [&s](bool checked) { s.SetReplaceSilently(checked); });
    form->addRow(replace);

    auto* size = EnumCombo(this, {"С сохранением пропорций (размер в пикселях)", "С сохранением пропорций (размер в процентах)",
                                  "С сохранением пропорций (размер в сантиметрах)", "С сохранением пропорций (размер в миллиметрах)",
                                  "Пользовательский", "Без изменения размера (только преобразование)"},
                           s.Size);
    BindEnum(size, s.Size);
    form->addRow(QString::fromUtf8("Размер"), size);
    form->addRow(QString::fromUtf8("Пиксели"), TextEdit(this, s.MaxSideText, 4));
    form->addRow(QString::fromUtf8("Проценты"), TextEdit(this, s.PercentText, 3));
    form->addRow(QString::fromUtf8("Сантиметры"), TextEdit(this, s.CentimetresText, 3));
    form->addRow(QString::fromUtf8("Миллиметры"), TextEdit(this, s.MillimetresText, 4));
    form->addRow(QString::fromUtf8("Ширина"), TextEdit(this, s.CustomWidthText, 4));
    form->addRow(QString::fromUtf8("Высота"), TextEdit(this, s.CustomHeightText, 4));

    auto* logo = new QCheckBox(QString::fromUtf8("Наносить логотип на изображения"), this);
    logo->setChecked(s.LogoEnabled);
    connect(logo, &QCheckBox::toggled, this, [&s](bool checked) { s.LogoEnabled = checked; });
    form->addRow(logo);
    auto* logoFile = TextEdit(this, s.LogoFileText);
    form->addRow(QString::fromUtf8("Файл логотипа"), logoFile);
    auto* corner = EnumCombo(this, {"Вверху справа", "Вверху слева", "Внизу справа", "Внизу слева"}, s.LogoPosition);
    BindEnum(corner, s.LogoPosition);
    form->addRow(QString::fromUtf8("Местоположение логотипа"), corner);

    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::accept);
    form->addRow(close);
}

}  // namespace pictorand
