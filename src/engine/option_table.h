// The options beyond the settings record (photo, scaling and encoding options), described once: the
// key of the second settings file, the command line's flag and help, the caption and
// help of the "Дополнительно" menu, the value the front ends start from and the value
// of the classic output (--exact). The settings file, the command line, the menu and the
// documentation all read this table; an option is one row plus its stage.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/encode_options.h"
#include "engine/photo_options.h"
#include "engine/resample_options.h"

namespace pictorand {

struct TExtraOptions {
    TPhotoOptions Photo;
    TResampleOptions Resample;
    TEncodeOptions Encode;
    // The output format's name when the settings record has no button for it ("webp");
    // empty when the record's choice holds.
    std::string OutputFormat;
    friend bool operator==(const TExtraOptions&, const TExtraOptions&) = default;
};

// The headings options are listed under in --help, the manual page and the help window.
enum class TOptionGroup : std::uint8_t {
    Photo,    // on by default: photos shown as their authors saw them
    Scaling,  // off by default: faster or closer scaling
    Bounds,   // on by default: one file's work kept within bounds
    Writing,  // how today's formats are coded
};

struct TOptionRow {
    std::string_view Key;   // in PhotoOptions.json
    std::string_view Flag;  // on the command line
    // For a flag that takes a word: the words that turn the option on and off, each list
    // separated by "|" ("centre|center", "corners"); the first of each is the one shown.
    std::string_view OnWords;
    std::string_view OffWords;
    // The value a flag without a word sets.
    bool FlagSets = true;
    std::string_view Argument;  // the name --help gives a flag's value ("G", "C")
    std::string_view Help;      // --help and the manual page; "\n" breaks its lines
    std::string_view Menu;      // the menu item's caption, a Russian source text
    std::string_view MenuEnglish;  // the caption of the English interface
    std::string_view MenuHelp;  // what the help window says of the item, in Russian
    std::string_view MenuHelpEnglish;  // and in the English help
    TOptionGroup Group = TOptionGroup::Photo;
    // Items of one section stand together; sections are parted by separators.
    int MenuSection = 0;
    // A switch holds a flag of the options, a colour row the background colour, a number
    // row a whole number from Low to High (or 0, for the default).
    bool& (*Switch)(TExtraOptions&) = nullptr;
    TColor& (*Colour)(TExtraOptions&) = nullptr;
    int& (*Number)(TExtraOptions&) = nullptr;
    int Low = 0, High = 0;
    bool Recommended = false;  // what the front ends start from
    bool Classic = false;      // what --exact and the classic output hold
    TColor RecommendedColour = clWhite;
    TColor ClassicColour = clWhite;
};

std::span<const TOptionRow> OptionTable();
// The row of a key, or null.
const TOptionRow* FindOption(std::string_view key);

// Every option at the value the front ends start from, or at the classic output's.
TExtraOptions RecommendedOptions();
TExtraOptions ClassicOptions();

// A switch row's value, and setting it; a colour row's value.
bool SwitchValue(const TOptionRow& row, const TExtraOptions& options);
void SetSwitch(const TOptionRow& row, TExtraOptions& options, bool value);
TColor ColourValue(const TOptionRow& row, const TExtraOptions& options);
int NumberValue(const TOptionRow& row, const TExtraOptions& options);

}  // namespace pictorand
