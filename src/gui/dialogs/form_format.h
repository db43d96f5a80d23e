// TFormFormat, "Формат файла": the output format, the resampling filter and the JPEG
// quality.
#pragma once

#include "engine/conversion_settings.h"
#include "gui/dialogs/option_dialog.h"
#include "gui/widgets/radio_group.h"

class QComboBox;
class QGroupBox;

namespace pictorand {

class TFormFormat : public TOptionDialog {
    Q_OBJECT

public:
    TFormFormat(TRunHost& host, QWidget* parent = nullptr);

    // Copies the controls' states into settings, or the settings into the controls.
    void Read(ConversionSettings& settings) const;
    void Show(const ConversionSettings& settings);

private:
    QGroupBox* groupBox1_;
    QComboBox* comboBoxFilter_;
    QComboBox* comboBoxQJPG_;
    TRadioGroup<OutputFormat> formats_;
};

}  // namespace pictorand
