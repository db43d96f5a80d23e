#include "gui/dialogs/form_logotip.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/widgets/file_filters.h"

namespace pictorand {

TFormLogotip::TFormLogotip(TRunHost& host, QWidget* parent) : TOptionDialog("FormLogotip", tr("Логотип"), host, parent) {
    auto* layout = new QVBoxLayout(this);

    auto* groupBox1 = new QGroupBox(tr("Логотип"), this);
    groupBox1->setObjectName("GroupBox1");
    checkBoxLogotip_ = new QCheckBox(tr("Наносить логотип на изображения"), groupBox1);
    checkBoxLogotip_->setObjectName("CheckBoxLogotip");
    (new QVBoxLayout(groupBox1))->addWidget(checkBoxLogotip_);
    layout->addWidget(groupBox1);

    auto* groupBox2 = new QGroupBox(tr("Выбор логотипа"), this);
    groupBox2->setObjectName("GroupBox2");
    auto* row = new QHBoxLayout(groupBox2);
    editLogotip_ = new QLineEdit(groupBox2);
    editLogotip_->setObjectName("EditLogotip");
    editLogotip_->setMinimumWidth(260);
    auto* browse = new QToolButton(groupBox2);
    browse->setObjectName("SpeedButtonBrLogotip");
    browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(browse, &QToolButton::clicked, this, &TFormLogotip::SpeedButtonBrLogotipClick);
    row->addWidget(editLogotip_);
    row->addWidget(browse);
    layout->addWidget(groupBox2);

    auto* groupBox3 = new QGroupBox(tr("Местоположение логотипа"), this);
    groupBox3->setObjectName("GroupBox3");
    auto* grid = new QGridLayout(groupBox3);
    // Two columns: top right above top left, bottom right above bottom left.
    const struct { LogoCorner corner; const char* name; const char* caption; int row, column; } corners[] = {
        {LogoCorner::TopRight, "RadioButtonVP", QT_TR_NOOP("Вверху справа"), 0, 0},
        {LogoCorner::TopLeft, "RadioButtonVL", QT_TR_NOOP("Вверху слева"), 1, 0},
        {LogoCorner::BottomRight, "RadioButtonNP", QT_TR_NOOP("Внизу справа"), 0, 1},
        {LogoCorner::BottomLeft, "RadioButtonNL", QT_TR_NOOP("Внизу слева"), 1, 1},
    };
    for (const auto& c : corners) corners_.Add(c.corner, tr(c.caption), c.name, grid, c.row, c.column);
    corners_.SetChecked(LogoCorner::BottomLeft);
    layout->addWidget(groupBox3);
    FixSize();
}

QString TFormLogotip::ShowChooser() {
    if (RunChooser) return RunChooser();
    // Qt's dialog leaves the process's current folder as it is.
    QFileDialog dialog(this, tr("Выберите файл логотипа"), QFileInfo(chooserFileName_).absolutePath());
    dialog.setObjectName("OpenDialogLogotip");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(LogoFileFilters());
    if (!chooserFileName_.isEmpty()) dialog.selectFile(chooserFileName_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

void TFormLogotip::SpeedButtonBrLogotipClick() {
    const QString chosen = ShowChooser();
    if (!chosen.isEmpty()) {
        chooserFileName_ = chosen;
        chosenThisRun_ = true;
    }
    editLogotip_->setText(chooserFileName_);
}

bool TFormLogotip::CanClose() {
    if (checkBoxLogotip_->isChecked() && !chosenThisRun_ && !QFileInfo::exists(chooserFileName_)) {
        ShowMessage(tr("Вы не выбрали файл логотипа!").toStdString());
        return false;
    }
    return true;
}

void TFormLogotip::Read(ConversionSettings& s) const {
    s.LogoEnabled = checkBoxLogotip_->isChecked();
    s.LogoFileText = editLogotip_->text().toStdString();
    s.LogoPosition = corners_.Checked();
}

void TFormLogotip::Show(const ConversionSettings& s) { corners_.SetChecked(s.LogoPosition); }

}  // namespace pictorand
