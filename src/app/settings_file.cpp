#include "app/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "graphics/cp1251.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

namespace offset {
constexpr std::size_t NoSize = 0, Prop = 1, User = 2, PropProc = 3, Sm = 4, Mm = 5;
constexpr std::size_t SMaks = 6, SWidth = 17, SHeight = 28, SProc = 39, SmText = 50, MmText = 61;
constexpr std::size_t AddTrumb = 72, AddNewWord = 73, NumAvt = 74, NumPol = 75, NoCh = 76, Pref = 77;
constexpr std::size_t NewName = 78, NewCifr = 94, PrefText = 110;
constexpr std::size_t Pred = 126, NoPred = 127;
constexpr std::size_t FJPG = 128, FGIF = 129, FBMP = 130, FTGA = 131, FTIFF = 132, FPNG = 133, FPCX = 134,
                      FICO = 135, FWMF = 136;
constexpr std::size_t FilterIndex = 140, QualityIndex = 144;
constexpr std::size_t VP = 148, VL = 149, NP = 150, NL = 151;
}  // namespace offset

constexpr std::size_t SizeTextCapacity = 10;
constexpr std::size_t NameTextCapacity = 15;

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
        case ENOTDIR: return std::string(messages::FileNotFound);
        case ENOSPC: return std::string(messages::DiskFull);
        default: return std::string(messages::FileAccessDenied);
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
    auto flag = [&](std::size_t at) { return b[at] != 0; };
    r.NoSize = flag(offset::NoSize);
    r.Prop = flag(offset::Prop);
    r.User = flag(offset::User);
    r.PropProc = flag(offset::PropProc);
    r.Sm = flag(offset::Sm);
    r.Mm = flag(offset::Mm);
    r.SMaks = ReadText(b, offset::SMaks, SizeTextCapacity);
    r.SWidth = ReadText(b, offset::SWidth, SizeTextCapacity);
    r.SHeight = ReadText(b, offset::SHeight, SizeTextCapacity);
    r.SProc = ReadText(b, offset::SProc, SizeTextCapacity);
    r.SmText = ReadText(b, offset::SmText, SizeTextCapacity);
    r.MmText = ReadText(b, offset::MmText, SizeTextCapacity);
    r.AddTrumb = flag(offset::AddTrumb);
    r.AddNewWord = flag(offset::AddNewWord);
    r.NumAvt = flag(offset::NumAvt);
    r.NumPol = flag(offset::NumPol);
    r.NoCh = flag(offset::NoCh);
    r.Pref = flag(offset::Pref);
    r.NewName = ReadText(b, offset::NewName, NameTextCapacity);
    r.NewCifr = ReadText(b, offset::NewCifr, NameTextCapacity);
    r.PrefText = ReadText(b, offset::PrefText, NameTextCapacity);
    r.Pred = flag(offset::Pred);
    r.NoPred = flag(offset::NoPred);
    r.FJPG = flag(offset::FJPG);
    r.FGIF = flag(offset::FGIF);
    r.FBMP = flag(offset::FBMP);
    r.FTGA = flag(offset::FTGA);
    r.FTIFF = flag(offset::FTIFF);
    r.FPNG = flag(offset::FPNG);
    r.FPCX = flag(offset::FPCX);
    r.FICO = flag(offset::FICO);
    r.FWMF = flag(offset::FWMF);
    r.FilterIndex = ReadInt32(b, offset::FilterIndex);
    r.QualityIndex = ReadInt32(b, offset::QualityIndex);
    r.VP = flag(offset::VP);
    r.VL = flag(offset::VL);
    r.NP = flag(offset::NP);
    r.NL = flag(offset::NL);
    return r;
}

std::array<std::uint8_t, SettingsRecordSize> SettingsFileRecord::Encode() const {
    std::array<std::uint8_t, SettingsRecordSize> b{};
    auto flag = [&](std::size_t at, bool value) { b[at] = value ? 1 : 0; };
    flag(offset::NoSize, NoSize);
    flag(offset::Prop, Prop);
    flag(offset::User, User);
    flag(offset::PropProc, PropProc);
    flag(offset::Sm, Sm);
    flag(offset::Mm, Mm);
    WriteText(b, offset::SMaks, SizeTextCapacity, SMaks);
    WriteText(b, offset::SWidth, SizeTextCapacity, SWidth);
    WriteText(b, offset::SHeight, SizeTextCapacity, SHeight);
    WriteText(b, offset::SProc, SizeTextCapacity, SProc);
    WriteText(b, offset::SmText, SizeTextCapacity, SmText);
    WriteText(b, offset::MmText, SizeTextCapacity, MmText);
    flag(offset::AddTrumb, AddTrumb);
    flag(offset::AddNewWord, AddNewWord);
    flag(offset::NumAvt, NumAvt);
    flag(offset::NumPol, NumPol);
    flag(offset::NoCh, NoCh);
    flag(offset::Pref, Pref);
    WriteText(b, offset::NewName, NameTextCapacity, NewName);
    WriteText(b, offset::NewCifr, NameTextCapacity, NewCifr);
    WriteText(b, offset::PrefText, NameTextCapacity, PrefText);
    flag(offset::Pred, Pred);
    flag(offset::NoPred, NoPred);
    flag(offset::FJPG, FJPG);
    flag(offset::FGIF, FGIF);
    flag(offset::FBMP, FBMP);
    flag(offset::FTGA, FTGA);
    flag(offset::FTIFF, FTIFF);
    flag(offset::FPNG, FPNG);
    flag(offset::FPCX, FPCX);
    flag(offset::FICO, FICO);
    flag(offset::FWMF, FWMF);
    WriteInt32(b, offset::FilterIndex, FilterIndex);
    WriteInt32(b, offset::QualityIndex, QualityIndex);
    flag(offset::VP, VP);
    flag(offset::VL, VL);
    flag(offset::NP, NP);
    flag(offset::NL, NL);
    return b;
}

SettingsFileRecord SettingsFileRecord::From(const ConversionSettings& s) {
    SettingsFileRecord r;
    r.NoSize = s.Size == SizeMode::NoResize;
    r.Prop = s.Size == SizeMode::FitPixels;
    r.User = s.Size == SizeMode::Custom;
    r.PropProc = s.Size == SizeMode::FitPercent;
    r.Sm = s.Size == SizeMode::FitCentimetres;
    r.Mm = s.Size == SizeMode::FitMillimetres;
    r.SMaks = s.MaxSideText;
    r.SWidth = s.CustomWidthText;
    r.SHeight = s.CustomHeightText;
    r.SProc = s.PercentText;
    r.SmText = s.CentimetresText;
    r.MmText = s.MillimetresText;
    r.AddTrumb = s.Naming == NamingMode::AddThumb;
    r.AddNewWord = s.Naming == NamingMode::AddWord;
    r.NumAvt = s.Naming == NamingMode::AutoNumber;
    r.NumPol = s.Naming == NamingMode::NumberFrom;
    r.NoCh = s.Naming == NamingMode::KeepName;
    r.Pref = s.Naming == NamingMode::FixedName;
    r.NewName = s.AddedWordText;
    r.NewCifr = s.StartNumberText;
    r.PrefText = s.FixedNameText;
    r.Pred = s.WarnOnExisting;
    r.NoPred = s.ReplaceSilently;
    r.FJPG = s.Format == OutputFormat::Jpg;
    r.FGIF = s.Format == OutputFormat::Gif;
    r.FBMP = s.Format == OutputFormat::Bmp;
    r.FTGA = s.Format == OutputFormat::Tga;
    r.FTIFF = s.Format == OutputFormat::Tiff;
    r.FPNG = s.Format == OutputFormat::Png;
    r.FPCX = s.Format == OutputFormat::Pcx;
    r.FICO = s.Format == OutputFormat::Ico;
    r.FWMF = s.Format == OutputFormat::Wmf;
    r.FilterIndex = s.Filter;
    r.QualityIndex = s.JpegQuality;
    r.VP = s.LogoPosition == LogoCorner::TopRight;
    r.VL = s.LogoPosition == LogoCorner::TopLeft;
    r.NP = s.LogoPosition == LogoCorner::BottomRight;
    r.NL = s.LogoPosition == LogoCorner::BottomLeft;
    return r;
}

void SettingsFileRecord::ApplyTo(ConversionSettings& s) const {
    s.SetFormatButton(OutputFormat::Bmp, FBMP);
    s.SetFormatButton(OutputFormat::Gif, FGIF);
    s.SetFormatButton(OutputFormat::Jpg, FJPG);
    s.SetFormatButton(OutputFormat::Tga, FTGA);
    s.SetFormatButton(OutputFormat::Tiff, FTIFF);
    s.SetFormatButton(OutputFormat::Png, FPNG);
    s.SetFormatButton(OutputFormat::Pcx, FPCX);
    s.SetFormatButton(OutputFormat::Ico, FICO);
    s.SetFormatButton(OutputFormat::Wmf, FWMF);
    s.Filter = ListIndex(FilterIndex, FilterItems.size());
    s.JpegQuality = ListIndex(QualityIndex, JpegQualityItems.size());
    s.SetNamingButton(NamingMode::KeepName, NoCh);
    s.SetNamingButton(NamingMode::AddWord, AddNewWord);
    s.SetNamingButton(NamingMode::AddThumb, AddTrumb);
    s.AddedWordText = NewName;
    s.SetNamingButton(NamingMode::AutoNumber, NumAvt);
    s.SetNamingButton(NamingMode::NumberFrom, NumPol);
    s.SetNamingButton(NamingMode::FixedName, Pref);
    s.StartNumberText = NewCifr;
    s.FixedNameText = PrefText;
    s.SetWarnOnExisting(Pred);
    s.SetReplaceSilently(NoPred);
    s.SetSizeButton(SizeMode::Custom, User);
    s.SetSizeButton(SizeMode::FitPixels, Prop);
    s.SetSizeButton(SizeMode::NoResize, NoSize);
    s.SetSizeButton(SizeMode::FitPercent, PropProc);
    s.SetSizeButton(SizeMode::FitCentimetres, Sm);
    s.SetSizeButton(SizeMode::FitMillimetres, Mm);
    s.MaxSideText = SMaks;
    s.CustomWidthText = SWidth;
    s.CustomHeightText = SHeight;
    s.PercentText = SProc;
    s.CentimetresText = SmText;
    s.MillimetresText = MmText;
    s.SetLogoButton(LogoCorner::TopRight, VP);
    s.SetLogoButton(LogoCorner::TopLeft, VL);
    s.SetLogoButton(LogoCorner::BottomRight, NP);
    s.SetLogoButton(LogoCorner::BottomLeft, NL);
}

std::string SettingsFilePath() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path folder = error ? std::filesystem::current_path() : executable.parent_path();
    return (folder / SettingsFileName).string();
}

bool ReadSettingsFile(const std::string& path, ConversionSettings& settings) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return false;
    std::array<std::uint8_t, SettingsRecordSize> bytes{};
    {
        TFileHandle file(std::fopen(path.c_str(), "r+b"));
        if (!file) throw EInOutError(InOutErrorText(errno));
        if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
            throw EInOutError(std::string(messages::ReadBeyondEnd));
        }
    }
    SettingsFileRecord::Decode(bytes).ApplyTo(settings);
    return true;
}

void WriteSettingsFile(const std::string& path, const ConversionSettings& settings) {
    const auto bytes = SettingsFileRecord::From(settings).Encode();
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
