#include "engine/settings_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <variant>

#include "graphics/cp1251.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

using R = SettingsFileRecord;
using C = ConversionSettings;

constexpr std::size_t SizeTextCapacity = 10;
constexpr std::size_t NameTextCapacity = 15;

// A radio button's flag: set, it chooses its value in the group.
template <class E>
struct TRadio {
    std::optional<E> C::*Group;
    E Value;
};
// A format button's flag, naming the format it chooses.
struct TFormatRadio {
    std::optional<OutputFormat> C::*Group;
    std::string_view Name;
};

template <class E>
E RadioValue(const TRadio<E>& radio) {
    return radio.Value;
}
OutputFormat RadioValue(const TFormatRadio& radio) { return OutputFormatNamed(radio.Name); }
// One of the two warning check boxes, whose setters keep the pair opposite.
struct TCheck {
    bool C::*Field;
    void (C::*Set)(bool);
};
// A list's item index; an index outside the list means no selection.
struct TList {
    std::int32_t C::*Field;
    std::size_t ItemCount;
};
// A text stored in Windows-1251 behind a length byte, cut to its capacity.
struct TText {
    std::string R::*Field;
    std::size_t Capacity;
};

using TRecordSide = std::variant<bool R::*, TText, std::int32_t R::*>;
using TSettingsSide = std::variant<TFormatRadio, TRadio<NamingMode>, TRadio<SizeMode>, TRadio<LogoCorner>, TCheck,
                                   TList, std::string C::*>;

struct TRecordField {
    std::size_t Offset;
    TRecordSide Record;
    TSettingsSide Setting;
};

// Every field of the record once: where it lies, and the setting it holds. The rows
// are in the order the dialogs' controls are set on start-up, which decides a radio
// group whose record has several flags set.
constexpr TRecordField Fields[] = {
    {130, &R::FBMP, TFormatRadio{&C::Format, "bmp"}},
    {129, &R::FGIF, TFormatRadio{&C::Format, "gif"}},
    {128, &R::FJPG, TFormatRadio{&C::Format, "jpg"}},
    {131, &R::FTGA, TFormatRadio{&C::Format, "tga"}},
    {132, &R::FTIFF, TFormatRadio{&C::Format, "tif"}},
    {133, &R::FPNG, TFormatRadio{&C::Format, "png"}},
    {134, &R::FPCX, TFormatRadio{&C::Format, "pcx"}},
    {135, &R::FICO, TFormatRadio{&C::Format, "ico"}},
    {136, &R::FWMF, TFormatRadio{&C::Format, "wmf"}},
    {140, &R::FilterIndex, TList{&C::Filter, FilterItems.size()}},
    {144, &R::QualityIndex, TList{&C::JpegQuality, JpegQualityItems.size()}},
    {76, &R::NoCh, TRadio<NamingMode>{&C::Naming, NamingMode::KeepName}},
    {73, &R::AddNewWord, TRadio<NamingMode>{&C::Naming, NamingMode::AddWord}},
    {72, &R::AddTrumb, TRadio<NamingMode>{&C::Naming, NamingMode::AddThumb}},
    {78, TText{&R::NewName, NameTextCapacity}, &C::AddedWordText},
    {74, &R::NumAvt, TRadio<NamingMode>{&C::Naming, NamingMode::AutoNumber}},
    {75, &R::NumPol, TRadio<NamingMode>{&C::Naming, NamingMode::NumberFrom}},
    {77, &R::Pref, TRadio<NamingMode>{&C::Naming, NamingMode::FixedName}},
    {94, TText{&R::NewCifr, NameTextCapacity}, &C::StartNumberText},
    {110, TText{&R::PrefText, NameTextCapacity}, &C::FixedNameText},
    {126, &R::Pred, TCheck{&C::WarnOnExisting, &C::SetWarnOnExisting}},
    {127, &R::NoPred, TCheck{&C::ReplaceSilently, &C::SetReplaceSilently}},
    {2, &R::User, TRadio<SizeMode>{&C::Size, SizeMode::Custom}},
    {1, &R::Prop, TRadio<SizeMode>{&C::Size, SizeMode::FitPixels}},
    {0, &R::NoSize, TRadio<SizeMode>{&C::Size, SizeMode::NoResize}},
    {3, &R::PropProc, TRadio<SizeMode>{&C::Size, SizeMode::FitPercent}},
    {4, &R::Sm, TRadio<SizeMode>{&C::Size, SizeMode::FitCentimetres}},
    {5, &R::Mm, TRadio<SizeMode>{&C::Size, SizeMode::FitMillimetres}},
    {6, TText{&R::SMaks, SizeTextCapacity}, &C::MaxSideText},
    {17, TText{&R::SWidth, SizeTextCapacity}, &C::CustomWidthText},
    {28, TText{&R::SHeight, SizeTextCapacity}, &C::CustomHeightText},
    {39, TText{&R::SProc, SizeTextCapacity}, &C::PercentText},
    {50, TText{&R::SmText, SizeTextCapacity}, &C::CentimetresText},
    {61, TText{&R::MmText, SizeTextCapacity}, &C::MillimetresText},
    {148, &R::VP, TRadio<LogoCorner>{&C::LogoPosition, LogoCorner::TopRight}},
    {149, &R::VL, TRadio<LogoCorner>{&C::LogoPosition, LogoCorner::TopLeft}},
    {150, &R::NP, TRadio<LogoCorner>{&C::LogoPosition, LogoCorner::BottomRight}},
    {151, &R::NL, TRadio<LogoCorner>{&C::LogoPosition, LogoCorner::BottomLeft}},
};

template <class... F>
struct TOverloaded : F... {
    using F::operator()...;
};
template <class... F>
TOverloaded(F...) -> TOverloaded<F...>;

using TRecordBytes = std::span<const std::uint8_t, SettingsRecordSize>;

std::string ReadText(TRecordBytes bytes, std::size_t at, std::size_t capacity) {
    // A damaged length byte is held to the field's capacity.
    const std::size_t length = std::min<std::size_t>(bytes[at], capacity);
    return Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data() + at + 1), length));
}

void WriteText(std::array<std::uint8_t, SettingsRecordSize>& bytes, std::size_t at, std::size_t capacity,
               const std::string& text) {
    const std::string encoded = Utf8ToCp1251(text).substr(0, capacity);
    bytes[at] = static_cast<std::uint8_t>(encoded.size());
    std::copy(encoded.begin(), encoded.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + 1));
}

std::int32_t ReadInt32(TRecordBytes bytes, std::size_t at) {
    const std::uint32_t v = static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
                            static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
    return static_cast<std::int32_t>(v);
}

void WriteInt32(std::array<std::uint8_t, SettingsRecordSize>& bytes, std::size_t at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The runtime's text for a failed open, read or write.
std::string InOutErrorText(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return std::string(runtime_texts::FileNotFound);
        case ENOSPC: return std::string(runtime_texts::DiskFull);
        default: return std::string(runtime_texts::FileAccessDenied);
    }
}

struct TFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

std::int32_t ListIndex(std::int32_t index, std::size_t itemCount) {
    return index >= 0 && index < static_cast<std::int32_t>(itemCount) ? index : -1;
}

}  // namespace

SettingsFileRecord SettingsFileRecord::Decode(TRecordBytes b) {
    SettingsFileRecord r;
    for (const TRecordField& f : Fields) {
        std::visit(TOverloaded{[&](bool R::*flag) { r.*flag = b[f.Offset] != 0; },
                               [&](const TText& text) { r.*text.Field = ReadText(b, f.Offset, text.Capacity); },
                               [&](std::int32_t R::*index) { r.*index = ReadInt32(b, f.Offset); }},
                   f.Record);
    }
    return r;
}

std::array<std::uint8_t, SettingsRecordSize> SettingsFileRecord::Encode() const {
    std::array<std::uint8_t, SettingsRecordSize> b{};
    for (const TRecordField& f : Fields) {
        std::visit(TOverloaded{[&](bool R::*flag) { b[f.Offset] = this->*flag ? 1 : 0; },
                               [&](const TText& text) { WriteText(b, f.Offset, text.Capacity, this->*text.Field); },
                               [&](std::int32_t R::*index) { WriteInt32(b, f.Offset, this->*index); }},
                   f.Record);
    }
    return b;
}

SettingsFileRecord SettingsFileRecord::From(const ConversionSettings& s) {
    SettingsFileRecord r;
    for (const TRecordField& f : Fields) {
        std::visit(TOverloaded{[&](const auto& radio) { r.*std::get<bool R::*>(f.Record) = s.*radio.Group == RadioValue(radio); },
                               [&](const TCheck& check) { r.*std::get<bool R::*>(f.Record) = s.*check.Field; },
                               [&](const TList& list) { r.*std::get<std::int32_t R::*>(f.Record) = s.*list.Field; },
                               [&](std::string C::*text) { r.*std::get<TText>(f.Record).Field = s.*text; }},
                   f.Setting);
    }
    return r;
}

void SettingsFileRecord::ApplyTo(ConversionSettings& s) const {
    for (const TRecordField& f : Fields) {
        std::visit(TOverloaded{[&](const auto& radio) { C::SetRadio(s.*radio.Group, RadioValue(radio), this->*std::get<bool R::*>(f.Record)); },
                               [&](const TCheck& check) { (s.*check.Set)(this->*std::get<bool R::*>(f.Record)); },
                               [&](const TList& list) {
                                   s.*list.Field = ListIndex(this->*std::get<std::int32_t R::*>(f.Record), list.ItemCount);
                               },
                               [&](std::string C::*text) { s.*text = this->*std::get<TText>(f.Record).Field; }},
                   f.Setting);
    }
}

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::current_path() : executable.parent_path()).string();
}

std::string SettingsFolderFor(const std::string& executableFolder, const char* xdgConfigHome, const char* home) {
    std::error_code error;
    const bool installed = std::filesystem::is_directory(std::filesystem::path(executableFolder) / ".." / "share" / "pictorand", error);
    if (!installed && access(executableFolder.c_str(), W_OK) == 0) return executableFolder;
    // The configuration folder as the desktop specifications name it; a relative value
    // of XDG_CONFIG_HOME is to be ignored.
    if (xdgConfigHome && xdgConfigHome[0] == '/') return (std::filesystem::path(xdgConfigHome) / "pictorand").string();
    if (home && home[0] != '\0') return (std::filesystem::path(home) / ".config" / "pictorand").string();
    return executableFolder;
}

std::string SettingsFilePath() {
    const std::string folder = SettingsFolderFor(ExecutableFolder(), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    return (std::filesystem::path(folder) / SettingsFileName).string();
}

bool ReadSettingsFile(const std::string& path, ConversionSettings& settings) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return false;
    std::array<std::uint8_t, SettingsRecordSize> bytes{};
    {
        // Read only: a settings file the user may not change still gives its settings.
        TFileHandle file(std::fopen(path.c_str(), "rb"));
        if (!file) throw EInOutError(InOutErrorText(errno));
        if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
            throw EInOutError(std::string(runtime_texts::ReadBeyondEnd));
        }
    }
    SettingsFileRecord::Decode(bytes).ApplyTo(settings);
    return true;
}

void WriteSettingsFile(const std::string& path, const ConversionSettings& settings) {
    const auto bytes = SettingsFileRecord::From(settings).Encode();
    // The configuration folder may not exist yet; a failure shows when the file is opened.
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    TFileHandle file(std::fopen(path.c_str(), "r+b"));
    if (!file && errno == ENOENT) file.reset(std::fopen(path.c_str(), "w+b"));
    if (!file) throw EInOutError(InOutErrorText(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                         std::fflush(file.get()) == 0;
    const int error = errno;
    std::FILE* raw = file.release();
    if (std::fclose(raw) != 0 || !written) throw EInOutError(InOutErrorText(written ? errno : error));
}

}  // namespace pictorand
