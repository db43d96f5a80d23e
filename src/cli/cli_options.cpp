#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <utility>

#include "engine/batch_run.h"
#include "engine/integer_text.h"
#include "engine/option_table.h"
#include "engine/text_catalogue.h"
#include "engine/extra_options_file.h"
#include "engine/preset_file.h"
#include "engine/settings_file.h"
#include "formats/format_table.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

// The writable formats' names as the help lists them, "bmp|jpg|...".
std::string FormatNameList() {
    std::string list;
    for (const OutputFormat format : OutputFormats()) list += (list.empty() ? "" : "|") + std::string(format->Name);
    return list;
}

// The logo formats' extensions as the help lists them, "psd, pdd, ... or webp".
std::string LogoExtensionList() {
    std::vector<std::string_view> extensions;
    for (const TFormatDescriptor* format : LogoFormats())
        for (const std::string_view e : ExtensionsOf(*format)) extensions.push_back(e);
    std::string list;
    for (std::size_t i = 0; i < extensions.size(); ++i)
        list += std::string(i == 0 ? "" : i + 1 == extensions.size() ? " or " : ", ") + std::string(extensions[i]);
    return list;
}

// The formats whose quality is a range, and their defaults: "webp, avif and jxl any
// number from 1 to 100 (default 80, 60 and 90)".
std::string RangeQualityHelp() {
    std::vector<OutputFormat> formats;
    for (const OutputFormat format : OutputFormats())
        if (format->Quality == TQualityKind::Range) formats.push_back(format);
    std::string names, defaults;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const std::string_view joint = i == 0 ? "" : i + 1 == formats.size() ? " and " : ", ";
        names += std::string(joint) + std::string(formats[i]->Name);
        defaults += std::string(joint) + std::to_string(formats[i]->DefaultQuality);
    }
    return "                          for " + names + " any number from 1 to 100\n"
           "                          (default " + defaults + ")\n";
}

// The options of a group, one flag a line with its help beside it.
std::string OptionHelp(TOptionGroup group) {
    constexpr std::size_t HelpColumn = 26;
    std::string text;
    for (const TOptionRow& row : OptionTable()) {
        if (row.Group != group || row.Flag.empty()) continue;
        std::string flag = "      " + std::string(row.Flag) + (row.Argument.empty() ? "" : " " + std::string(row.Argument));
        flag.resize(std::max(HelpColumn, flag.size() + 2), ' ');
        std::string_view help = row.Help;
        for (bool first = true; !help.empty(); first = false) {
            const std::size_t end = help.find('\n');
            text += (first ? flag : std::string(HelpColumn, ' ')) + std::string(help.substr(0, end)) + "\n";
            help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
        }
    }
    return text;
}

}  // namespace

std::string CliUsage() {
    return "Usage: pictorand-cli [options] FILE|FOLDER...\n"
           "Converts every source into the output folder. Defaults are those of a first start\n"
           "of the program.\n"
           "  -o, --output-dir DIR    folder for the output files (required)\n"
           "  -f, --format F          " + FormatNameList() + " (default jpg)\n"
           "  -s, --size S            pixels:N      longer side N pixels (default pixels:100)\n"
           "                          percent:N     N percent of the picture\n"
           "                          cm:N, mm:N    longer side in centimetres or millimetres, 28.4 pixels a cm\n"
           "                          custom:WxH    exactly W x H pixels\n"
           "                          none          the picture's own size (ICO is always fitted to 32)\n"
           "      --filter F          box|triangle|hermite|bell|b-spline|lanczos3|mitchell (default lanczos3)\n"
           "  -q, --quality N         JPEG quality, one of 10 20 30 35 40 45 50 55 60 65 70 75 80 85 90 95 100\n"
           "                          (default 60);\n" + RangeQualityHelp() +
           "  -n, --naming N          how outputs are named, for a source photo.png written as jpg\n"
           "                          (default thumb):\n"
           "                          thumb         photo_thumb.jpg\n"
           "                          number        1.jpg, 2.jpg, ... in list order\n"
           "                          from:N        N.jpg, N+1.jpg, ... (from:100 gives 100.jpg first)\n"
           "                          word:TEXT     photo_TEXT.jpg\n"
           "                          fixed:TEXT    TEXT_1.jpg, TEXT_2.jpg, ...\n"
           "                          keep          photo.jpg\n"
           "                          TEXT may hold neither \"/\" nor \"..\".\n"
           "      --overwrite P       an output that already exists: never (default) keeps it,\n"
           "                          always replaces it, ask asks on a terminal (never elsewhere)\n"
           "      --logo FILE         stamp this logo into every picture\n"
           "                          (" + LogoExtensionList() + ")\n"
           "      --logo-corner C     top-left|top-right|bottom-left|bottom-right (default bottom-left)\n"
           "      --settings FILE     start from the values of a settings file (Setting.dat) or a\n"
           "                          saved set of settings (.pictorand)\n"
           "      --files-from FILE   read source paths from FILE, one a line (- for standard input)\n"
           "      --null              the --files-from list is separated by NUL bytes instead\n"
           "      --report FILE       one JSON line per source to FILE (- for standard output)\n"
           "      --max-megapixels N  largest picture a file may hold (default 400)\n"
           "      --memory-budget M   megabytes the files prepared ahead may take together\n"
           "                          (default half the machine's memory)\n"
           "  -j, --jobs N            files prepared in parallel (default: the number of cores)\n"
           "  -r, --recursive         descend into folders given as sources, mirroring them\n"
           "Photos are shown as their authors saw them unless told otherwise:\n" +
           OptionHelp(TOptionGroup::Photo) +
           "Faster or closer scaling, off by default:\n" +
           OptionHelp(TOptionGroup::Scaling) +
           "One file's work within bounds unless told otherwise:\n" +
           OptionHelp(TOptionGroup::Bounds) +
           "Writing WebP, AVIF and JPEG XL:\n" +
           OptionHelp(TOptionGroup::Writing) +
           "      --exact             none of the above: the classic output, byte for byte\n"
           "                          (of the classic formats only)\n"
           "  -h, --help, --version\n"
           "Every source ends as written, skipped or failed, one line each on stderr, then a\n"
           "summary line. Exit status: 0 when every source was written or kept, 1 when any\n"
           "failed or lost its name to another source, 2 for a bad command line, 128 + the\n"
           "signal when interrupted (130 for Ctrl-C).\n";
}

namespace {

const TOptionRow* OptionFlagged(std::string_view flag) {
    for (const TOptionRow& row : OptionTable())
        if (row.Flag == flag) return &row;
    return nullptr;
}

// Whether a word of the "a|b" list is the given one.
bool ListHolds(std::string_view list, std::string_view word) {
    while (!list.empty()) {
        const std::size_t bar = list.find('|');
        if (list.substr(0, bar) == word) return true;
        list = bar == std::string_view::npos ? std::string_view() : list.substr(bar + 1);
    }
    return false;
}

bool WordValue(const TOptionRow& row, const std::string& word) {
    if (ListHolds(row.OnWords, word)) return true;
    if (ListHolds(row.OffWords, word)) return false;
    throw TUsageError(Say(TText::UnknownValue, {word, row.Flag}));
}

// #RRGGBB or one of a few colour names.
TColor ColourNamed(const std::string& text) {
    static constexpr std::pair<std::string_view, TColor> Names[] = {
        {"white", RGBColor(255, 255, 255)}, {"black", RGBColor(0, 0, 0)},     {"grey", RGBColor(128, 128, 128)},
        {"gray", RGBColor(128, 128, 128)},  {"red", RGBColor(255, 0, 0)},     {"green", RGBColor(0, 128, 0)},
        {"blue", RGBColor(0, 0, 255)},      {"yellow", RGBColor(255, 255, 0)}, {"cyan", RGBColor(0, 255, 255)},
        {"magenta", RGBColor(255, 0, 255)},
    };
    for (const auto& [name, colour] : Names)
        if (text == name) return colour;
    TColor colour = clWhite;
    if (!ParseColourText(text, colour)) throw TUsageError(Say(TText::BackgroundNeedsColour, {text}));
    return colour;
}

OutputFormat FormatNamed(std::string_view name) {
    const auto format = FindOutputFormat(name);
    if (!format) throw TUsageError(Say(TText::UnknownValue, {name, "--format"}));
    return *format;
}

// The kernel actually used by each list item: the Hermite and Triangle items swap kernels,
// so the name given here chooses the item whose kernel it is.
const std::pair<std::string_view, ResampleFilter> FilterNames[] = {
    {"box", ResampleFilter::Box},         {"triangle", ResampleFilter::Hermite},
    {"hermite", ResampleFilter::Triangle}, {"bell", ResampleFilter::Bell},
    {"b-spline", ResampleFilter::BSpline}, {"lanczos3", ResampleFilter::Lanczos3},
    {"mitchell", ResampleFilter::Mitchell},
};

const std::pair<std::string_view, LogoCorner> CornerNames[] = {
    {"top-left", LogoCorner::TopLeft}, {"top-right", LogoCorner::TopRight},
    {"bottom-left", LogoCorner::BottomLeft}, {"bottom-right", LogoCorner::BottomRight},
};

template <class E, std::size_t N>
E Lookup(const std::pair<std::string_view, E> (&names)[N], std::string_view value, std::string_view option) {
    for (const auto& [name, e] : names) {
        if (name == value) return e;
    }
    throw TUsageError(Say(TText::UnknownValue, {value, option}));
}

std::string CheckedNumber(std::string_view text, std::string_view option) {
    if (!TryStrToInt(text)) throw TUsageError(Say(TText::NotANumber, {text, option}));
    return std::string(text);
}

// The proportional size rules and the setting each one's number goes to.
struct TSizeKind {
    std::string_view Name;
    SizeMode Mode;
    std::string ConversionSettings::*Number;
};
const TSizeKind SizeKinds[] = {
    {"pixels", SizeMode::FitPixels, &ConversionSettings::MaxSideText},
    {"percent", SizeMode::FitPercent, &ConversionSettings::PercentText},
    {"cm", SizeMode::FitCentimetres, &ConversionSettings::CentimetresText},
    {"mm", SizeMode::FitMillimetres, &ConversionSettings::MillimetresText},
};

void ApplySize(ConversionSettings& s, std::string_view value) {
    const std::size_t colon = value.find(':');
    const std::string_view kind = value.substr(0, colon);
    const std::string_view number = colon == std::string_view::npos ? std::string_view() : value.substr(colon + 1);
    if (kind == "none" && colon == std::string_view::npos) {
        s.Size = SizeMode::NoResize;
        return;
    }
    if (kind == "custom") {
        const std::size_t x = number.find('x');
        if (x == std::string_view::npos) throw TUsageError(Say(TText::CustomSizeNeedsWxH));
        s.Size = SizeMode::Custom;
        s.CustomWidthText = CheckedNumber(number.substr(0, x), "--size");
        s.CustomHeightText = CheckedNumber(number.substr(x + 1), "--size");
        return;
    }
    for (const TSizeKind& k : SizeKinds) {
        if (k.Name != kind) continue;
        s.Size = k.Mode;
        s.*k.Number = CheckedNumber(number, "--size");
        return;
    }
    throw TUsageError(Say(TText::UnknownValue, {value, "--size"}));
}

void ApplyNaming(ConversionSettings& s, std::string_view value) {
    const std::size_t colon = value.find(':');
    const std::string_view kind = value.substr(0, colon);
    const std::string text = colon == std::string_view::npos ? std::string() : std::string(value.substr(colon + 1));
    const bool hasText = colon != std::string_view::npos;
    if (kind == "thumb" && !hasText) s.Naming = NamingMode::AddThumb;
    else if (kind == "number" && !hasText) s.Naming = NamingMode::AutoNumber;
    else if (kind == "keep" && !hasText) s.Naming = NamingMode::KeepName;
    else if (kind == "from" && hasText) {
        s.Naming = NamingMode::NumberFrom;
        s.StartNumberText = CheckedNumber(text, "--naming");
    } else if (kind == "word" && hasText) {
        s.Naming = NamingMode::AddWord;
        s.AddedWordText = text;
    } else if (kind == "fixed" && hasText) {
        s.Naming = NamingMode::FixedName;
        s.FixedNameText = text;
    } else {
        throw TUsageError(Say(TText::UnknownValue, {value, "--naming"}));
    }
}

// A number row's value, within the row's range.
int NumberInRange(const TOptionRow& row, const std::string& text) {
    const auto n = TryStrToInt(text);
    if (!n || *n < row.Low || *n > row.High)
        throw TUsageError(Say(TText::NumberOutOfRange, {row.Flag, std::to_string(row.Low), std::to_string(row.High)}));
    return *n;
}

// --quality: any number from 1 to 100 for a format whose quality is a range, else one of
// the classic list's items.
void ApplyQuality(ConversionSettings& s, TExtraOptions& extras, const std::string& text) {
    if (s.Format && (*s.Format)->Quality == TQualityKind::Range) {
        const auto n = TryStrToInt(text);
        if (!n || *n < 1 || *n > 100) throw TUsageError(Say(TText::QualityOutOfRange, {(*s.Format)->Name}));
        extras.Encode.Quality = *n;
        return;
    }
    const auto found = std::find(JpegQualityItems.begin(), JpegQualityItems.end(), text);
    if (found == JpegQualityItems.end()) throw TUsageError(Say(TText::QualityNotAnItem));
    s.JpegQuality = static_cast<std::int32_t>(found - JpegQualityItems.begin());
}

// --lossless and --effort for a writer that has no use for them are said, not ignored.
void CheckEncodeOptions(const ConversionSettings& s, const TExtraOptions& extras) {
    if (!s.Format) return;
    const TFormatDescriptor& format = s.Format->Descriptor();
    if (extras.Encode.Lossless && !format.Lossless) throw TUsageError(Say(TText::NoLosslessCoding, {format.Name}));
    if (extras.Encode.Effort != 0 && !format.TakesEffort) throw TUsageError(Say(TText::NoEffort, {format.Name}));
}

}  // namespace

TCliOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    TCliOptions options;
    ConversionSettings& s = options.Settings;
    TExtraOptions extras = RecommendedOptions();
    std::optional<TEncodeOptions> storedCoding;
    // The settings file comes first so that every other option overrides it; a saved set
    // of settings carries the photo options and a format the record has no button for.
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] != "--settings") continue;
        try {
            if (!ReadSettingsFile(arguments[i + 1], s)) throw TUsageError(Say(TText::SettingsNotFound, {arguments[i + 1]}));
            if (const auto stored = ReadPresetOptions(arguments[i + 1])) {
                extras = *stored;
                storedCoding = stored->Encode;
                if (const auto format = FindOutputFormat(stored->OutputFormat)) s.Format = *format;
            }
        } catch (const Exception& error) {
            throw TUsageError(Say(TText::SettingsUnreadable, {arguments[i + 1], error.what()}));
        }
    }
    bool exact = false;
    std::optional<std::string> quality;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= arguments.size()) throw TUsageError(Say(TText::NeedsValue, {arg}));
            return arguments[++i];
        };
        if (arg == "--help" || arg == "-h") options.ShowHelp = true;
        else if (arg == "--version") options.ShowVersion = true;
        else if (arg == "--output-dir" || arg == "-o") options.OutputDir = value();
        else if (arg == "--format" || arg == "-f") s.Format = FormatNamed(value());
        else if (arg == "--size" || arg == "-s") ApplySize(s, value());
        else if (arg == "--filter") s.Filter = static_cast<std::int32_t>(Lookup(FilterNames, value(), "--filter"));
        else if (arg == "--quality" || arg == "-q") quality = value();
        else if (arg == "--naming" || arg == "-n") ApplyNaming(s, value());
        else if (arg == "--overwrite") {
            const std::string p = value();
            options.OverwriteGiven = true;
            if (p == "ask") options.Overwrite = TOverwritePolicy::Ask;
            else if (p == "always") options.Overwrite = TOverwritePolicy::Always;
            else if (p == "never") options.Overwrite = TOverwritePolicy::Never;
            else throw TUsageError(Say(TText::UnknownValue, {p, "--overwrite"}));
        } else if (arg == "--logo") {
            options.LogoFile = value();
            s.LogoEnabled = true;
            s.LogoFileText = options.LogoFile;
        } else if (arg == "--max-megapixels") {
            const std::string text = value();
            const auto n = TryStrToInt(text);
            if (!n || *n < 1 || *n > LargestRasterPixels / 1'000'000)
                throw TUsageError(Say(TText::MegapixelsRange, {std::to_string(LargestRasterPixels / 1'000'000)}));
            options.MaxMegapixels = *n;
        } else if (arg == "--memory-budget") {
            const auto n = TryStrToInt(value());
            if (!n || *n < 1) throw TUsageError(Say(TText::PositiveNumber, {arg}));
            options.MemoryBudgetMegabytes = *n;
        } else if (arg == "--jobs" || arg == "-j") {
            const std::string text = value();
            const auto n = TryStrToInt(text);
            if (!n || *n < 1) throw TUsageError(Say(TText::PositiveNumber, {"--jobs"}));
            options.Jobs = *n;
        } else if (arg == "--recursive" || arg == "-r") {
            options.Recursive = true;
        } else if (arg == "--files-from") {
            options.FilesFrom = value();
        } else if (arg == "--null") {
            options.NullSeparated = true;
        } else if (arg == "--report") {
            options.ReportFile = value();
        } else if (const TOptionRow* row = OptionFlagged(arg)) {
            if (row->Colour) row->Colour(extras) = ColourNamed(value());
            else if (row->Number) row->Number(extras) = NumberInRange(*row, value());
            else if (row->OnWords.empty()) SetSwitch(*row, extras, row->FlagSets);
            else SetSwitch(*row, extras, WordValue(*row, value()));
        } else if (arg == "--exact") exact = true;
        else if (arg == "--logo-corner") s.LogoPosition = Lookup(CornerNames, value(), "--logo-corner");
        else if (arg == "--settings") ++i;
        else if (arg.size() > 1 && arg[0] == '-' && arg != "--") throw TUsageError(Say(TText::UnknownOption, {arg}));
        else if (arg == "--") {
            options.Files.insert(options.Files.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i + 1), arguments.end());
            break;
        } else options.Files.push_back(arg);
    }
    if (exact && s.Format && !(*s.Format)->Classic) throw TUsageError(Say(TText::ExactNeedsClassic, {(*s.Format)->Name}));
    if (quality) ApplyQuality(s, extras, *quality);
    // A saved set's coding is for its own format: what another format chosen here cannot
    // do is left out, as the flags are refused.
    if (storedCoding && s.Format) {
        const TFormatDescriptor& format = s.Format->Descriptor();
        if (extras.Encode.Lossless == storedCoding->Lossless && !format.Lossless) extras.Encode.Lossless = false;
        if (extras.Encode.Effort == storedCoding->Effort && !format.TakesEffort) extras.Encode.Effort = 0;
    }
    CheckEncodeOptions(s, extras);
    if (exact) extras = ClassicOptions();
    s.Photo = extras.Photo;
    s.Resample = extras.Resample;
    s.Encode = extras.Encode;
    if (options.ShowHelp || options.ShowVersion) return options;
    if (options.OutputDir.empty()) throw TUsageError(Say(TText::OutputDirRequired));
    if (options.Files.empty() && options.FilesFrom.empty()) throw TUsageError(Say(TText::NoInputFiles));
    if (const std::string refused = RefusedNameText(s); !refused.empty()) throw TUsageError(refused);
    // The overwrite policy maps onto the warning pair: "always" replaces silently.
    if (options.Overwrite == TOverwritePolicy::Always) s.SetReplaceSilently(true);
    else s.SetWarnOnExisting(true);
    return options;
}

}  // namespace pictorand
