#include "gui/dialogs/form_size.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "gui/widgets/key_filter.h"

namespace pictorand {

namespace {

bool EmptyOrZero(const QLineEdit* edit) {
    const QString text = edit->text();
    return text.isEmpty() || text == "0" || text == "00" || text == "000" || text == "0000";
}
}  // namespace

TFormSize::TFormSize(TRunHost& host, QWidget* parent) : TOptionDialog("FormSize", tr("Размер изображения"), host, parent) {
    auto* grid = new QGridLayout(this);
    auto message = [this](std::string_view text) { ShowMessage(text); };
    int row = 0;
    auto radio = [&](SizeMode mode, const char* name, const char* caption) { sizes_.Add(mode, tr(caption), name, grid, row, 0); };
    auto edit = [&](const char* name, const char* text, int maxLength, int column) {
        auto* e = new QLineEdit(QString::fromUtf8(text), this);
        e->setObjectName(name);
        e->setMaxLength(maxLength);
        e->setFixedWidth(48);
        new TKeyFilter(e, TKeyRule::Size, message);
        grid->addWidget(e, row, column);
        return e;
    };
    radio(SizeMode::FitPixels, "RadioButtonProp", QT_TR_NOOP("С сохранением пропорций (размер в пикселях)"));
    editSMaks_ = edit("EditSMaks", "100", 4, 2);
    ++row;
    radio(SizeMode::FitPercent, "RadioButtonPropProc", QT_TR_NOOP("С сохранением пропорций (размер в процентах)"));
    editSProc_ = edit("EditSProc", "50", 3, 2);
    ++row;
    radio(SizeMode::FitCentimetres, "RadioButtonSm", QT_TR_NOOP("С сохранением пропорций (размер в сантиметрах)"));
    editSm_ = edit("EditSm", "10", 3, 2);
    ++row;
    radio(SizeMode::FitMillimetres, "RadioButtonMm", QT_TR_NOOP("С сохранением пропорций (размер в миллиметрах)"));
    editMm_ = edit("EditMm", "100", 4, 2);
    ++row;
    radio(SizeMode::Custom, "RadioButtonUser", QT_TR_NOOP("Пользовательский"));
    grid->addWidget(new QLabel(tr("Ширина:"), this), row, 1, Qt::AlignRight);
    editSWidth_ = edit("EditSWidth", "100", 4, 2);
    ++row;
    grid->addWidget(new QLabel(tr("Высота:"), this), row, 1, Qt::AlignRight);
    editSHeight_ = edit("EditSHeight", "100", 4, 2);
    ++row;
    radio(SizeMode::NoResize, "RadioButtonNoSize", QT_TR_NOOP("Без изменения размера (только преобразование)"));
    sizes_.SetChecked(SizeMode::FitPixels);
    FixSize();
}

bool TFormSize::CanClose() {
    std::vector<const QLineEdit*> tested;
    switch (sizes_.Checked().value_or(SizeMode::NoResize)) {
        case SizeMode::FitPixels: tested = {editSMaks_}; break;
        case SizeMode::Custom: tested = {editSHeight_, editSWidth_}; break;
        case SizeMode::FitPercent: tested = {editSProc_}; break;
        case SizeMode::FitCentimetres: tested = {editSm_}; break;
        case SizeMode::FitMillimetres: tested = {editMm_}; break;
        case SizeMode::NoResize: break;
    }
    for (const QLineEdit* edit : tested) {
        if (EmptyOrZero(edit)) {
            ShowMessage(tr("Поле не должно быть пустым или равно нулю!").toStdString());
            return false;
        }
    }
    return true;
}

void TFormSize::Read(ConversionSettings& s) const {
    s.Size = sizes_.Checked();
    s.MaxSideText = editSMaks_->text().toStdString();
    s.PercentText = editSProc_->text().toStdString();
    s.CentimetresText = editSm_->text().toStdString();
    s.MillimetresText = editMm_->text().toStdString();
    s.CustomWidthText = editSWidth_->text().toStdString();
    s.CustomHeightText = editSHeight_->text().toStdString();
}

void TFormSize::Show(const ConversionSettings& s) {
    sizes_.SetChecked(s.Size);
    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {editSMaks_, &s.MaxSideText}, {editSProc_, &s.PercentText}, {editSm_, &s.CentimetresText},
        {editMm_, &s.MillimetresText}, {editSWidth_, &s.CustomWidthText}, {editSHeight_, &s.CustomHeightText},
    };
    for (const auto& [edit, text] : texts) edit->setText(QString::fromStdString(*text));
}

}  // namespace pictorand
