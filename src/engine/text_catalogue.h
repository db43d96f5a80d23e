// Every text the engine and the command line show or report, each a whole sentence with
// %1, %2, ... where the names and numbers go, so that a translation can reorder them.
// The window's own texts go through Qt's tr(); these are the texts without Qt.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pictorand {

enum class TText : std::uint8_t {
    // Messages and questions of the batch run, in the window's language.
    ContinueProcessing,
    ResizeFailedContinue,
    CannotLoadFile,
    CannotLoadLogo,
    FileExistsReplace,
    NothingToProcess,
    HelpFileNotFound,
    CannotWriteFile,
    NameTextLeavesFolder,
    // Why a source failed or was skipped, for outcome lines and reports.
    OutputKept,
    NameTaken,
    NoFormatChosen,
    CannotWrite,
    CannotResize,
    CannotLoadLogoFile,
    RunEnded,
    Interrupted,
    OutputFolderUnusable,
    OutputFolderLost,
    OutputFolderLostBefore,
    NoExtension,
    UnknownExtension,
    EmptyPicture,
    TooManyPixels,
    CannotListFolder,
    LinkToNothing,
    LinkLoop,
    NotRegular,
    FormatNotRead,
    GreyProfileOnColour,
    // Errors of the stages.
    NoFilterChosen,
    NoSizeChosen,
    InvalidFloatingPoint,
    DestinationTooSmall,
    OptionsFileUnreadable,
    OptionsFileNoObject,
    OptionsFileUnwritable,
    // The command line's own.
    TryHelp,
    UnknownOption,
    NeedsValue,
    UnknownValue,
    NotANumber,
    PositiveNumber,
    MegapixelsRange,
    BackgroundNeedsColour,
    CustomSizeNeedsWxH,
    QualityNotAnItem,
    QualityOutOfRange,
    NumberOutOfRange,
    NoLosslessCoding,
    NoEffort,
    ExactNeedsClassic,
    SettingsNotFound,
    SettingsUnreadable,
    OutputDirRequired,
    NoInputFiles,
    NameTextRefused,
    CannotReadList,
    CannotCreateFolder,
    NoSources,
    CannotWriteReport,
    ReportIsFolder,
    ReportIsSource,
    ReportNotOurs,
};

// The language of the window's texts; the texts that are not the window's are English in both.
enum class TLanguage : std::uint8_t { Russian, English };
// Chosen once, before any run starts; Russian until then.
void SetLanguage(TLanguage language);
TLanguage Language();

// The text with %1, %2, ... replaced by the arguments in order, in the chosen language.
std::string Say(TText text, std::initializer_list<std::string_view> arguments = {});

// "a" or "an" and the name: "a PSB", "an OpenEXR", "an SVG" (short initialisms are
// spelt out, longer capitals read as words).
std::string WithArticle(std::string_view name);

}  // namespace pictorand
