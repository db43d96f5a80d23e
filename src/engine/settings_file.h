// The settings file "Setting.dat": one 152-byte record, beside the executable or in the
// user's configuration folder, that keeps the option dialogs' choices from one start of
// the program to the next.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "engine/conversion_settings.h"

namespace pictorand {

inline constexpr std::size_t SettingsRecordSize = 152;
inline constexpr std::string_view SettingsFileName = "Setting.dat";

// The record as stored: one boolean per radio button, texts in Windows-1251 (held here
// as UTF-8), the two list indexes.
struct SettingsFileRecord {
    // Size group, offsets 0..5.
    bool NoSize = false, Prop = true, User = false, PropProc = false, Sm = false, Mm = false;
    // Size texts, capacity 10 each, offsets 6..71.
    std::string SMaks = "100", SWidth = "100", SHeight = "100", SProc = "50", SmText = "10", MmText = "100";
    // Naming group, offsets 72..77.
    bool AddTrumb = true, AddNewWord = false, NumAvt = false, NumPol = false, NoCh = false, Pref = false;
    // Naming texts, capacity 15 each, offsets 78..125.
    std::string NewName, NewCifr, PrefText;
    bool Pred = true, NoPred = false;
    // Format group, offsets 128..136.
    bool FJPG = true, FGIF = false, FBMP = false, FTGA = false, FTIFF = false, FPNG = false, FPCX = false,
         FICO = false, FWMF = false;
    std::int32_t FilterIndex = 5;
    std::int32_t QualityIndex = 8;
    // Logo corner group, offsets 148..151.
    bool VP = false, VL = false, NP = false, NL = true;

    static SettingsFileRecord Decode(std::span<const std::uint8_t, SettingsRecordSize> bytes);
    std::array<std::uint8_t, SettingsRecordSize> Encode() const;

    static SettingsFileRecord From(const ConversionSettings& settings);
    // Applies the record to the settings in the order the dialogs' controls are set on
    // start-up, with the controls' radio and check-box rules.
    void ApplyTo(ConversionSettings& settings) const;
};

// The folder of the running executable.
std::string ExecutableFolder();
// Where the settings file lives: beside the executable when that folder can be written,
// as it always was, unless it is an installed copy's (with share/pictorand beside its
// bin folder), whose folder is shared by every user; otherwise $XDG_CONFIG_HOME/pictorand,
// else ~/.config/pictorand.
std::string SettingsFolderFor(const std::string& executableFolder, const char* xdgConfigHome, const char* home);
// "Setting.dat" in that folder for the running executable.
std::string SettingsFilePath();

// Reads the record into settings. Answers false (settings untouched) when there is no
// file; raises EInOutError with the runtime's text when the file cannot be opened for
// reading or is shorter than a record, before changing anything.
bool ReadSettingsFile(const std::string& path, ConversionSettings& settings);

// Writes the record at offset 0, creating the file or keeping what follows the record.
// Raises EInOutError when the file cannot be created or written.
void WriteSettingsFile(const std::string& path, const ConversionSettings& settings);

}  // namespace pictorand
