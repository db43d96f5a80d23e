// TFormFormat, "Формат файла": the output format, the resampling filter, the JPEG
// quality and how the web's formats are coded.
#pragma once

#include "engine/conversion_settings.h"
#include "gui/dialogs/option_dialog.h"
#include "gui/widgets/radio_group.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QSpinBox;

namespace pictorand {

class TFormFormat : public TOptionDialog {
    Q_OBJECT

public:
    TFormFormat(TRunHost& host, QWidget* parent = nullptr);

    // Copies the controls' states into settings, or the settings into the controls.
    void Read(ConversionSettings& settings) const;
    void Show(const ConversionSettings& settings);

private:
    // Each control usable only while the checked format takes what it sets.
    void EnableForFormat();

    QGroupBox* groupBox1_;
    QComboBox* comboBoxFilter_;
    QComboBox* comboBoxQJPG_;
    QSpinBox* spinQuality_;
    QCheckBox* checkLossless_;
    QSpinBox* spinEffort_;
    TRadioGroup<OutputFormat> formats_;
};

}  // namespace pictorand
