#include "engine/text_catalogue.h"

#include <algorithm>
#include <array>
#include <atomic>

namespace pictorand {

namespace {

struct TEntry {
    TText Id;
    std::string_view Text;
    // The window's texts in English; the others are English already.
    std::string_view English = {};
};

constexpr TEntry Catalogue[] = {
    {TText::ContinueProcessing, "Продолжить обработку других файлов?", "Go on with the other files?"},
    // The carriage return alone is the classic prompt's line break.
    {TText::ResizeFailedContinue, "Ошибка изменения размера файла %1! \rПродолжить обработку других файлов?", "The size of %1 could not be changed! \rGo on with the other files?"},
    {TText::CannotLoadFile, "Невозможно загрузить файл %1!", "Cannot load the file %1!"},
    {TText::CannotLoadLogo, "Невозможно загрузить файл логотипа!", "Cannot load the logo file!"},
    {TText::FileExistsReplace, "Файл существует! Заменить?", "The file exists! Replace it?"},
    {TText::NothingToProcess, "Нет изображений для обработки или не выбрана папка-получатель!", "There are no pictures to convert, or no output folder is chosen!"},
    {TText::HelpFileNotFound, "Файл справки не найден!", "The help file is not found!"},
    {TText::CannotWriteFile, "Невозможно записать файл %1!", "Cannot write the file %1!"},
    {TText::NameTextLeavesFolder, "Текст «%1» в имени файла вывел бы файлы за пределы папки-получателя: в нём не может быть «/» и «..»!", "The text “%1” in the file name would put files outside the output folder: it may hold neither “/” nor “..”!"},

    {TText::OutputKept, "the output exists and was kept"},
    {TText::NameTaken, "another source of this run already wrote this output"},
    {TText::NoFormatChosen, "no output format is chosen"},
    {TText::CannotWrite, "cannot write: %1"},
    {TText::CannotResize, "cannot resize: %1"},
    {TText::CannotLoadLogoFile, "cannot load the logo %1: %2"},
    {TText::RunEnded, "not converted: the run ended before this file"},
    {TText::Interrupted, "not converted: the run was interrupted"},
    {TText::OutputFolderUnusable, "not converted: the output folder cannot be used: %1"},
    {TText::OutputFolderLost, "The output folder %1 is gone or cannot be written; the run ends"},
    {TText::OutputFolderLostBefore, "not converted: the output folder %1 is gone or cannot be written"},
    {TText::NoExtension, "the file name has no extension to choose a reader by"},
    {TText::UnknownExtension, "no reader takes the extension %1"},
    {TText::EmptyPicture, "the file holds no picture that can be read"},
    {TText::TooManyPixels, "%1 × %2 is %3 MP, above the limit of %4 MP (--max-megapixels)"},
    {TText::CannotListFolder, "cannot read the folder: %1"},
    {TText::LinkToNothing, "a link to nothing"},
    {TText::LinkLoop, "a link that leads round in a loop"},
    {TText::NotRegular, "not a regular file"},
    {TText::FormatNotRead, "%1 picture: not a format we read"},
    {TText::GreyProfileOnColour, "its grey colour profile does not fit its colour pixels and is ignored"},

    {TText::NoFilterChosen, "No resampling filter is chosen"},
    {TText::NoSizeChosen, "No size rule is chosen"},
    {TText::InvalidFloatingPoint, "Invalid floating point operation"},
    {TText::DestinationTooSmall, "Destination bitmap too small"},
    {TText::OptionsFileUnreadable, "Cannot read %1: %2"},
    {TText::OptionsFileNoObject, "Cannot read %1: it is not a JSON object of options"},
    {TText::OptionsFileUnwritable, "Cannot write %1"},

    {TText::TryHelp, "Try 'pictorand-cli --help' for more information."},
    {TText::UnknownOption, "unknown option %1"},
    {TText::NeedsValue, "%1 needs a value"},
    {TText::UnknownValue, "unknown value '%1' for %2"},
    {TText::NotANumber, "'%1' is not a number for %2"},
    {TText::PositiveNumber, "%1 needs a positive number"},
    {TText::MegapixelsRange, "--max-megapixels takes a number from 1 to %1"},
    {TText::BackgroundNeedsColour, "--background needs #RRGGBB or a colour name, not '%1'"},
    {TText::CustomSizeNeedsWxH, "--size custom needs WxH"},
    {TText::QualityNotAnItem, "--quality must be one of the 17 quality items"},
    {TText::QualityOutOfRange, "--quality for %1 takes a number from 1 to 100"},
    {TText::NumberOutOfRange, "%1 takes a number from %2 to %3"},
    {TText::NoLosslessCoding, "--lossless: %1 has no lossless coding (webp and jxl have)"},
    {TText::NoEffort, "--effort: the %1 writer takes no effort (webp, avif and jxl do)"},
    {TText::ExactNeedsClassic, "--exact gives the classic output, and the classic program never wrote %1"},
    {TText::SettingsNotFound, "settings file not found: %1"},
    {TText::SettingsUnreadable, "cannot read settings file %1: %2"},
    {TText::OutputDirRequired, "--output-dir is required"},
    {TText::NoInputFiles, "no input files"},
    {TText::NameTextRefused, "The name text \"%1\" would put files outside the output folder: it may hold neither \"/\" nor \"..\""},
    {TText::CannotReadList, "cannot read the file list %1: %2"},
    {TText::CannotCreateFolder, "cannot create %1: %2"},
    {TText::NoSources, "no sources"},
    {TText::CannotWriteReport, "cannot write the report %1: %2"},
    {TText::ReportIsFolder, "the report %1 is a folder"},
    {TText::ReportIsSource, "the report %1 is one of the sources; name a new file for it"},
    {TText::ReportNotOurs, "the report %1 exists and is not a report of pictorand-cli; name a new file or remove it"},
};

// The table indexed by the identifiers, checked when it is built.
constexpr auto Indexed = [] {
    std::array<TEntry, std::size(Catalogue)> texts{};
    for (std::size_t i = 0; i < std::size(Catalogue); ++i) {
        if (static_cast<std::size_t>(Catalogue[i].Id) != i) throw "the catalogue lists its texts in the order of TText";
        texts[i] = Catalogue[i];
    }
    return texts;
}();

std::atomic<TLanguage> ChosenLanguage = TLanguage::Russian;

}  // namespace

void SetLanguage(TLanguage language) { ChosenLanguage = language; }

TLanguage Language() { return ChosenLanguage; }

std::string Say(TText text, std::initializer_list<std::string_view> arguments) {
    const TEntry& entry = Indexed[static_cast<std::size_t>(text)];
    const std::string_view pattern = ChosenLanguage == TLanguage::English && !entry.English.empty() ? entry.English : entry.Text;
    std::string out;
    out.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const bool placeholder = c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9';
        const std::size_t index = placeholder ? static_cast<std::size_t>(pattern[i + 1] - '1') : 0;
        if (placeholder && index < arguments.size()) {
            out += *(arguments.begin() + index);
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string WithArticle(std::string_view name) {
    const std::string_view word = name.substr(0, name.find_first_of(" 0123456789"));
    const bool spelt = !word.empty() && word.size() <= 3 &&
                       std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    const std::string_view vowels = spelt ? "AEFHILMNORSX" : "AEIOUaeiou";
    const bool an = !word.empty() && vowels.find(word.front()) != std::string_view::npos;
    return (an ? "an " : "a ") + std::string(name);
}

}  // namespace pictorand
