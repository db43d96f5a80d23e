#include "gui/dialogs/dialog_settings.h"

#include "gui/dialogs/form_format.h"
#include "gui/dialogs/form_logotip.h"
#include "gui/dialogs/form_name.h"
#include "gui/dialogs/form_size.h"

namespace pictorand {

ConversionSettings TDialogSettings::Current() const {
    ConversionSettings settings;
    format_.Read(settings);
    name_.Read(settings);
    size_.Read(settings);
    logotip_.Read(settings);
    settings.Photo = extras_.Photo;
    settings.Resample = extras_.Resample;
    return settings;
}

TExtraOptions TDialogSettings::Extras() const {
    const ConversionSettings settings = Current();
    TExtraOptions extras = extras_;
    extras.Encode = settings.Encode;
    if (settings.Format && !(*settings.Format)->Classic) extras.OutputFormat = (*settings.Format)->Name;
    return extras;
}

ConversionSettings TDialogSettings::Record() const {
    ConversionSettings settings = Current();
    if (settings.Format && !(*settings.Format)->Classic) settings.Format = DefaultOutputFormat();
    return settings;
}

void TDialogSettings::Show(ConversionSettings settings, const TExtraOptions& extras) {
    settings.Encode = extras.Encode;
    if (const auto format = FindOutputFormat(extras.OutputFormat); format && !(*format)->Classic) settings.Format = *format;
    Show(settings);
}

void TDialogSettings::Show(const ConversionSettings& settings) {
    format_.Show(settings);
    name_.Show(settings);
    size_.Show(settings);
    logotip_.Show(settings);
}

}  // namespace pictorand
