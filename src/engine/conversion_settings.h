// ConversionSettings: every choice that governs a run, as the option dialogs hold it.
// A radio group can end up with no button chosen (a settings file whose booleans of a
// group are all 0), so each group is optional; the setters follow the controls' rules.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/encode_options.h"
#include "engine/photo_options.h"
#include "engine/resample_options.h"
#include "formats/format_table.h"

namespace pictorand {

enum class ResampleFilter : std::int32_t { Box, Hermite, Triangle, Bell, BSpline, Lanczos3, Mitchell };
enum class NamingMode : std::uint8_t { AddThumb, AutoNumber, NumberFrom, AddWord, FixedName, KeepName };
enum class SizeMode : std::uint8_t { FitPixels, FitPercent, FitCentimetres, FitMillimetres, Custom, NoResize };
enum class LogoCorner : std::uint8_t { TopRight, TopLeft, BottomRight, BottomLeft };

// Items of the filter list, index = ResampleFilter.
inline constexpr std::array<std::string_view, 7> FilterItems = {
    "BOX Filter",      "Hermite Filter",   "Triangle Filter", "Bell Filter",
    "B-Spline Filter", "Lanczos 3 Filter", "Mitchell Filter",
};

// Items of the JPEG quality list; the writer uses the chosen item's text as the quality.
inline constexpr std::array<std::string_view, 17> JpegQualityItems = {
    "10", "20", "30", "35", "40", "45", "50", "55", "60", "65", "70", "75", "80", "85", "90", "95", "100",
};
inline constexpr std::int32_t DefaultJpegQualityIndex = 8;

struct ConversionSettings {
    std::optional<OutputFormat> Format = DefaultOutputFormat();
    // Item indexes as the lists hold them; an index outside the list means no selection.
    std::int32_t Filter = static_cast<std::int32_t>(ResampleFilter::Lanczos3);
    std::int32_t JpegQuality = DefaultJpegQualityIndex;

    std::optional<NamingMode> Naming = NamingMode::AddThumb;
    std::string AddedWordText;
    std::string StartNumberText;
    std::string FixedNameText;
    bool WarnOnExisting = true;
    bool ReplaceSilently = false;

    std::optional<SizeMode> Size = SizeMode::FitPixels;
    std::string MaxSideText = "100";
    std::string CustomWidthText = "100";
    std::string CustomHeightText = "100";
    std::string PercentText = "50";
    std::string CentimetresText = "10";
    std::string MillimetresText = "100";

    bool LogoEnabled = false;
    std::string LogoFileText;
    std::optional<LogoCorner> LogoPosition = LogoCorner::BottomLeft;

    // Kept outside the settings record, in a file of their own.
    TPhotoOptions Photo;
    TResampleOptions Resample;
    TEncodeOptions Encode;

    // A radio button set to true chooses its value; set to false it clears the group
    // only when it was the chosen one.
    void SetFormatButton(OutputFormat button, bool checked) { SetRadio(Format, button, checked); }
    void SetNamingButton(NamingMode button, bool checked) { SetRadio(Naming, button, checked); }
    void SetSizeButton(SizeMode button, bool checked) { SetRadio(Size, button, checked); }
    void SetLogoButton(LogoCorner button, bool checked) { SetRadio(LogoPosition, button, checked); }

    // The two warning check boxes form a pair of which exactly one is checked: a change
    // of one sets the other to the opposite state.
    void SetWarnOnExisting(bool checked);
    void SetReplaceSilently(bool checked);

    // The selected JPEG quality item's text, or empty when there is no selection.
    std::string_view JpegQualityText() const;
    // The selected filter, or nothing when the index is outside the list.
    std::optional<ResampleFilter> SelectedFilter() const;
    // Whether the chosen format writes icons, which are fitted to 32 pixels and never
    // stamped with a logo.
    bool WritesIcons() const { return Format && (*Format)->Icon; }

    friend bool operator==(const ConversionSettings&, const ConversionSettings&) = default;

    // The rule of a radio group's buttons: checked, a button chooses its value; unchecked,
    // it clears the group only when it was the chosen one.
    template <class E>
    static void SetRadio(std::optional<E>& group, E button, bool checked) {
        if (checked) {
            group = button;
        } else if (group == button) {
            group.reset();
        }
    }
};

// The source of the settings a run reads at the moment of use: the GUI reads its
// dialogs' controls, the command line and the tests hold a plain value.
class TSettingsSource {
public:
    virtual ~TSettingsSource() = default;
    virtual ConversionSettings Current() const = 0;
};

class TFixedSettings : public TSettingsSource {
public:
    explicit TFixedSettings(ConversionSettings settings = {}) : settings_(std::move(settings)) {}
    ConversionSettings Current() const override { return settings_; }
    ConversionSettings& Settings() { return settings_; }

private:
    ConversionSettings settings_;
};

}  // namespace pictorand
