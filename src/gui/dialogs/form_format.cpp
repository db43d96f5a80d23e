#include "gui/dialogs/form_format.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace pictorand {

namespace {

struct TFormatButton {
    OutputFormat Format;
    const char* Name;
    const char* Caption;
    int Row;
    int Column;
};

// The three-by-three grid: BMP, TGA, JPG; GIF, TIF, PNG; PCX, ICO, WMF.
constexpr TFormatButton FormatButtons[] = {
    {OutputFormat::Bmp, "RadioButtonFBMP", "Файл BMP", 0, 0}, {OutputFormat::Tga, "RadioButtonFTGA", "Файл TGA", 0, 1},
    {OutputFormat::Jpg, "RadioButtonFJPG", "Файл JPG", 0, 2}, {OutputFormat::Gif, "RadioButtonFGIF", "Файл GIF", 1, 0},
    {OutputFormat::Tiff, "RadioButtonFTIFF", "Файл TIF", 1, 1}, {OutputFormat::Png, "RadioButtonFPNG", "Файл PNG", 1, 2},
    {OutputFormat::Pcx, "RadioButtonFPCX", "Файл PCX", 2, 0}, {OutputFormat::Ico, "RadioButtonFICO", "Файл ICO", 2, 1},
    {OutputFormat::Wmf, "RadioButtonFWMF", "Файл WMF", 2, 2},
};

QComboBox* FixedList(QWidget* parent, const char* name, auto items, int index) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (std::string_view item : items) combo->addItem(Utf8(item));
    combo->setCurrentIndex(index);
    return combo;
}

}  // namespace

TFormFormat::TFormFormat(TRunHost& host, QWidget* parent) : TOptionDialog("FormFormat", "Формат файла", host, parent) {
    auto* layout = new QVBoxLayout(this);

    groupBox1_ = new QGroupBox(QString::fromUtf8("Форматы файлов"), this);
    groupBox1_->setObjectName("GroupBox1");
    auto* grid = new QGridLayout(groupBox1_);
    for (const TFormatButton& b : FormatButtons) {
        auto* button = new QRadioButton(QString::fromUtf8(b.Caption), groupBox1_);
        button->setObjectName(b.Name);
        grid->addWidget(button, b.Row, b.Column);
        formats_.Add(b.Format, button);
    }
    formats_.SetChecked(OutputFormat::Jpg);
    layout->addWidget(groupBox1_);

    auto* groupBox2 = new QGroupBox(QString::fromUtf8("Выберите фильтр"), this);
    groupBox2->setObjectName("GroupBox2");
    comboBoxFilter_ = FixedList(groupBox2, "ComboBoxFilter", FilterItems, static_cast<int>(ResampleFilter::Lanczos3));
    (new QVBoxLayout(groupBox2))->addWidget(comboBoxFilter_);
    layout->addWidget(groupBox2);

    auto* groupBox3 = new QGroupBox(QString::fromUtf8("Качество JPG"), this);
    groupBox3->setObjectName("GroupBox3");
    comboBoxQJPG_ = FixedList(groupBox3, "ComboBoxQJPG", JpegQualityItems, DefaultJpegQualityIndex);
    // The quality list can be used whenever JPG is the chosen format, however it was
    // chosen: by mouse, by keyboard or from the settings file.
    QRadioButton* jpg = formats_.Button(OutputFormat::Jpg);
    comboBoxQJPG_->setEnabled(jpg->isChecked());
    connect(jpg, &QRadioButton::toggled, comboBoxQJPG_, &QComboBox::setEnabled);
    (new QVBoxLayout(groupBox3))->addWidget(comboBoxQJPG_);
    layout->addWidget(groupBox3);
    FixSize();
}

void TFormFormat::Read(ConversionSettings& s) const {
    s.Format = formats_.Checked();
    s.Filter = comboBoxFilter_->currentIndex();
    s.JpegQuality = comboBoxQJPG_->currentIndex();
}

void TFormFormat::Show(const ConversionSettings& s) {
    formats_.SetChecked(s.Format);
    comboBoxFilter_->setCurrentIndex(s.Filter);
    comboBoxQJPG_->setCurrentIndex(s.JpegQuality);
}

}  // namespace pictorand
