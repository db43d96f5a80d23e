// TFormName, "Имя файла при выводе": how output files are named and what happens when
// a name is taken.
#pragma once

#include "engine/conversion_settings.h"
#include "gui/dialogs/option_dialog.h"
#include "gui/widgets/radio_group.h"

class QCheckBox;
class QLineEdit;

namespace pictorand {

class TFormName : public TOptionDialog {
    Q_OBJECT

public:
    TFormName(TRunHost& host, QWidget* parent = nullptr);

    void Read(ConversionSettings& settings) const;
    void Show(const ConversionSettings& settings);

protected:
    bool CanClose() override;

private:
    TRadioGroup<NamingMode> naming_;
    QLineEdit* editNewCifr_;
    QLineEdit* editNNewName_;
    QLineEdit* editPref_;
    QCheckBox* checkBoxPred_;
    QCheckBox* checkBoxNoPred_;
};

}  // namespace pictorand
