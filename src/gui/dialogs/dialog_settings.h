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
    void SetExtras(const TExtraOptions& extras) { extras_ = extras; }
    const TExtraOptions& Extras() const { return extras_; }

private:
    TFormFormat& format_;
    TFormName& name_;
    TFormSize& size_;
    TFormLogotip& logotip_;
    TExtraOptions extras_ = RecommendedOptions();
};

}  // namespace pictorand
