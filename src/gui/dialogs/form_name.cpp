#include "gui/dialogs/form_name.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/widgets/key_filter.h"

namespace pictorand {

namespace {
}  // namespace

TFormName::TFormName(TRunHost& host, QWidget* parent) : TOptionDialog("FormName", tr("Имя файла при выводе"), host, parent) {
    auto* layout = new QVBoxLayout(this);
    auto* groupBox1 = new QGroupBox(tr("Выберите способ изменения имени файла"), this);
    groupBox1->setObjectName("GroupBox1");
    auto* grid = new QGridLayout(groupBox1);
    auto message = [this](std::string_view text) { ShowMessage(text); };

    int row = 0;
    auto radio = [&](NamingMode mode, const char* name, const char* caption) { naming_.Add(mode, tr(caption), name, grid, row, 0); };
    auto edit = [&](const char* name, TKeyRule rule) {
        auto* e = new QLineEdit(groupBox1);
        e->setObjectName(name);
        new TKeyFilter(e, rule, message);
        grid->addWidget(e, row, 1);
        return e;
    };
    radio(NamingMode::AddThumb, "RadioButtonAddTrumb", QT_TR_NOOP("Автоматически добавлять к имени файла слово trumb"));
    ++row;
    radio(NamingMode::AutoNumber, "RadioButtonNumAvt", QT_TR_NOOP("Автоматически заменять имена файлов порядковым номером"));
    ++row;
    radio(NamingMode::NumberFrom, "RadioButtonNumPol", QT_TR_NOOP("Начинать заменять имена файлов с  цифры:"));
    editNewCifr_ = edit("EditNewCifr", TKeyRule::Number);
    ++row;
    radio(NamingMode::AddWord, "RadioButtonAddNewWord", QT_TR_NOOP("Автоматически добавлять к имени слово:"));
    editNNewName_ = edit("EditNNewName", TKeyRule::FileName);
    ++row;
    radio(NamingMode::FixedName, "RadioButtonPref", QT_TR_NOOP("Заменять имя файла этим именем"));
    editPref_ = edit("EditPref", TKeyRule::FileName);
    ++row;
    auto* label1 = new QLabel(tr("и автоматически добавлять к нему порядковый номер"), groupBox1);
    label1->setObjectName("Label1");
    grid->addWidget(label1, row++, 0, 1, 2);
    radio(NamingMode::KeepName, "RadioButtonNoCh", QT_TR_NOOP("Не изменять название файла "));
    naming_.SetChecked(NamingMode::AddThumb);
    layout->addWidget(groupBox1);

    auto* groupBox2 = new QGroupBox(tr("Предупреждения"), this);
    groupBox2->setObjectName("GroupBox2");
    auto* warnings = new QVBoxLayout(groupBox2);
    checkBoxPred_ = new QCheckBox(tr("Выводить предупреждение при совпадении имён файлов"), groupBox2);
    checkBoxPred_->setObjectName("CheckBoxPred");
    checkBoxPred_->setChecked(true);
    checkBoxNoPred_ = new QCheckBox(tr("Заменять файлы при совпадении имён без предупреждения"), groupBox2);
    checkBoxNoPred_->setObjectName("CheckBoxNoPred");
    warnings->addWidget(checkBoxPred_);
    warnings->addWidget(checkBoxNoPred_);
    // The pair keeps exactly one box checked.
    connect(checkBoxPred_, &QCheckBox::toggled, this, [this](bool checked) { checkBoxNoPred_->setChecked(!checked); });
    connect(checkBoxNoPred_, &QCheckBox::toggled, this, [this](bool checked) { checkBoxPred_->setChecked(!checked); });
    layout->addWidget(groupBox2);
    FixSize();
}

bool TFormName::CanClose() {
    const auto mode = naming_.Checked();
    if ((mode == NamingMode::AddWord && editNNewName_->text().isEmpty()) ||
        (mode == NamingMode::NumberFrom && editNewCifr_->text().isEmpty()) ||
        (mode == NamingMode::FixedName && editPref_->text().isEmpty())) {
        ShowMessage(tr("Поле не должно быть пустым!").toStdString());
        return false;
    }
    return true;
}

void TFormName::Read(ConversionSettings& s) const {
    s.Naming = naming_.Checked();
    s.StartNumberText = editNewCifr_->text().toStdString();
    s.AddedWordText = editNNewName_->text().toStdString();
    s.FixedNameText = editPref_->text().toStdString();
    s.WarnOnExisting = checkBoxPred_->isChecked();
    s.ReplaceSilently = checkBoxNoPred_->isChecked();
}

void TFormName::Show(const ConversionSettings& s) {
    naming_.SetChecked(s.Naming);
    editNewCifr_->setText(QString::fromStdString(s.StartNumberText));
    editNNewName_->setText(QString::fromStdString(s.AddedWordText));
    editPref_->setText(QString::fromStdString(s.FixedNameText));
    const QSignalBlocker blockPred(checkBoxPred_), blockNoPred(checkBoxNoPred_);
    checkBoxPred_->setChecked(s.WarnOnExisting);
    checkBoxNoPred_->setChecked(s.ReplaceSilently);
}

}  // namespace pictorand
