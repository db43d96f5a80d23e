#include "gui/dialogs/form_format.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>

namespace pictorand {

namespace {

QComboBox* FixedList(QWidget* parent, const char* name, auto items, int index) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (std::string_view item : items) combo->addItem(Utf8(item));
    combo->setCurrentIndex(index);
    return combo;
}

// A number from low to high, or 0 shown as the format's own default.
QSpinBox* NumberBox(QWidget* parent, const char* name, int high, const QString& defaultText) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, high);
    box->setSpecialValueText(defaultText);
    return box;
}

}  // namespace

TFormFormat::TFormFormat(TRunHost& host, QWidget* parent) : TOptionDialog("FormFormat", tr("Формат файла"), host, parent) {
    auto* layout = new QVBoxLayout(this);

    groupBox1_ = new QGroupBox(tr("Форматы файлов"), this);
    groupBox1_->setObjectName("GroupBox1");
    auto* grid = new QGridLayout(groupBox1_);
    // Each format's button where its descriptor places it: the classic three-by-three grid
    // and a row of the web's formats below it.
    for (const OutputFormat format : OutputFormats()) {
        const TDialogPlace& place = format->Dialog;
        formats_.Add(format, tr("Файл %1").arg(Utf8(place.Caption)), Utf8(place.ControlName), grid, place.Row, place.Column);
    }
    formats_.SetChecked(DefaultOutputFormat());
    layout->addWidget(groupBox1_);

    auto* groupBox2 = new QGroupBox(tr("Выберите фильтр"), this);
    groupBox2->setObjectName("GroupBox2");
    comboBoxFilter_ = FixedList(groupBox2, "ComboBoxFilter", FilterItems, static_cast<int>(ResampleFilter::Lanczos3));
    (new QVBoxLayout(groupBox2))->addWidget(comboBoxFilter_);
    layout->addWidget(groupBox2);

    auto* groupBox3 = new QGroupBox(tr("Качество JPG"), this);
    groupBox3->setObjectName("GroupBox3");
    comboBoxQJPG_ = FixedList(groupBox3, "ComboBoxQJPG", JpegQualityItems, DefaultJpegQualityIndex);
    (new QVBoxLayout(groupBox3))->addWidget(comboBoxQJPG_);
    layout->addWidget(groupBox3);

    auto* groupBox4 = new QGroupBox(tr("WebP, AVIF, JPEG XL"), this);
    groupBox4->setObjectName("GroupBox4");
    auto* web = new QFormLayout(groupBox4);
    spinQuality_ = NumberBox(groupBox4, "SpinQuality", 100, tr("по умолчанию"));
    web->addRow(tr("Качество (1–100):"), spinQuality_);
    checkLossless_ = new QCheckBox(tr("Без потерь"), groupBox4);
    checkLossless_->setObjectName("CheckLossless");
    web->addRow(checkLossless_);
    spinEffort_ = NumberBox(groupBox4, "SpinEffort", 10, tr("по умолчанию"));
    web->addRow(tr("Усилие сжатия (1–10):"), spinEffort_);
    layout->addWidget(groupBox4);

    // The controls follow the chosen format however it was chosen: by mouse, by keyboard or
    // from the settings file.
    for (const OutputFormat format : OutputFormats()) connect(formats_.Button(format), &QRadioButton::toggled, this, &TFormFormat::EnableForFormat);
    connect(checkLossless_, &QCheckBox::toggled, this, &TFormFormat::EnableForFormat);
    EnableForFormat();
    FixSize();
}

void TFormFormat::EnableForFormat() {
    const auto format = formats_.Checked();
    const bool lossless = format && (*format)->Lossless;
    comboBoxQJPG_->setEnabled(format && (*format)->Quality == TQualityKind::ClassicList);
    checkLossless_->setEnabled(lossless);
    spinQuality_->setEnabled(format && (*format)->Quality == TQualityKind::Range && !(lossless && checkLossless_->isChecked()));
    spinEffort_->setEnabled(format && (*format)->TakesEffort);
}

void TFormFormat::Read(ConversionSettings& s) const {
    s.Format = formats_.Checked();
    s.Filter = comboBoxFilter_->currentIndex();
    s.JpegQuality = comboBoxQJPG_->currentIndex();
    s.Encode = {.Quality = spinQuality_->value(), .Lossless = checkLossless_->isChecked(), .Effort = spinEffort_->value()};
}

void TFormFormat::Show(const ConversionSettings& s) {
    formats_.SetChecked(s.Format);
    comboBoxFilter_->setCurrentIndex(s.Filter);
    comboBoxQJPG_->setCurrentIndex(s.JpegQuality);
    spinQuality_->setValue(s.Encode.Quality);
    checkLossless_->setChecked(s.Encode.Lossless);
    spinEffort_->setValue(s.Encode.Effort);
}

}  // namespace pictorand
