// TFormSize, "Размер изображения": how the target size is chosen.
#pragma once

#include "engine/conversion_settings.h"
#include "gui/dialogs/option_dialog.h"
#include "gui/widgets/radio_group.h"

class QLineEdit;

namespace pictorand {

class TFormSize : public TOptionDialog {
    Q_OBJECT

public:
    TFormSize(TRunHost& host, QWidget* parent = nullptr);

    void Read(ConversionSettings& settings) const;
    void Show(const ConversionSettings& settings);

protected:
    bool CanClose() override;

private:
    TRadioGroup<SizeMode> sizes_;
    QLineEdit* editSMaks_;
    QLineEdit* editSProc_;
    QLineEdit* editSm_;
    QLineEdit* editMm_;
    QLineEdit* editSWidth_;
    QLineEdit* editSHeight_;
};

}  // namespace pictorand
