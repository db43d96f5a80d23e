// TFormLogotip, "Логотип": whether a logo is stamped, the logo file and its corner.
#pragma once

#include "engine/conversion_settings.h"
#include <functional>

#include "gui/dialogs/option_dialog.h"
#include "gui/widgets/radio_group.h"

class QCheckBox;
class QLineEdit;
class QToolButton;

namespace pictorand {

class TFormLogotip : public TOptionDialog {
    Q_OBJECT

public:
    TFormLogotip(TRunHost& host, QWidget* parent = nullptr);

    void Read(ConversionSettings& settings) const;
    void Show(const ConversionSettings& settings);
    // The logo file: the chooser's file name, not the edit's text.
    QString ChooserFileName() const { return chooserFileName_; }

    void SpeedButtonBrLogotipClick();
    // Replaces the chooser for tests: answers the chosen file, or empty for a cancel.
    std::function<QString()> RunChooser;

protected:
    bool CanClose() override;

private:
    QString ShowChooser();

    QCheckBox* checkBoxLogotip_;
    QLineEdit* editLogotip_;
    TRadioGroup<LogoCorner> corners_;
    QString chooserFileName_;
    bool chosenThisRun_ = false;
};

}  // namespace pictorand
