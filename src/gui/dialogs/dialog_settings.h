// The GUI's settings: read from the option dialogs' controls at the moment of use.
#pragma once

#include "engine/conversion_settings.h"
#include "engine/extra_options_file.h"

namespace pictorand {

class TFormFormat;
class TFormName;
class TFormSize;
class TFormLogotip;

class TDialogSettings : public TSettingsSource {
public:
    TDialogSettings(TFormFormat& format, TFormName& name, TFormSize& size, TFormLogotip& logotip)
        : format_(format), name_(name), size_(size), logotip_(logotip) {}

    ConversionSettings Current() const override;
    // Sets every control to the given settings.
    void Show(const ConversionSettings& settings);
    // The photo and resampling options, which the main window's menu holds rather than a dialog.
    void SetExtras(const TExtraOptions& extras) {
        extras_.Photo = extras.Photo;
        extras_.Resample = extras.Resample;
    }
    // Every option beyond the settings record: the menu's, and the format dialog's coding of
    // the web's formats together with the chosen format when the record has no button for it.
    TExtraOptions Extras() const;
    // The record to store: a format it has no button for is stored as the default, and
    // named by Extras().
    ConversionSettings Record() const;
    // Sets the controls to a stored record and the options stored beside it.
    void Show(ConversionSettings settings, const TExtraOptions& extras);

private:
    TFormFormat& format_;
    TFormName& name_;
    TFormSize& size_;
    TFormLogotip& logotip_;
    TExtraOptions extras_ = RecommendedOptions();
};

}  // namespace pictorand
