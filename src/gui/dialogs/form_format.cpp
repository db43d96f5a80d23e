#include "gui/dialogs/form_format.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
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

}  // namespace

TFormFormat::TFormFormat(TRunHost& host, QWidget* parent) : TOptionDialog("FormFormat", tr("Формат файла"), host, parent) {
    auto* layout = new QVBoxLayout(this);

    groupBox1_ = new QGroupBox(tr("Форматы файлов"), this);
    groupBox1_->setObjectName("GroupBox1");
    auto* grid = new QGridLayout(groupBox1_);
    // Each format's button where its descriptor places it: the classic three-by-three grid.
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
    // The quality list can be used whenever the chosen format takes a quality, however it
    // was chosen: by mouse, by keyboard or from the settings file.
    auto enableQuality = [this] {
        const auto format = formats_.Checked();
        comboBoxQJPG_->setEnabled(format && (*format)->Quality != TQualityKind::None);
    };
    for (const OutputFormat format : OutputFormats()) connect(formats_.Button(format), &QRadioButton::toggled, this, enableQuality);
    enableQuality();
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
