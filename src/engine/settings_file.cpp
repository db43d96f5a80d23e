#include "engine/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "graphics/cp1251.h"
#include "graphics/exceptions.h"

namespace pictorand {

namespace {

// Where each field lies in the record: one row per field, in file order.
struct TFlagField {
    std::size_t Offset;
    bool SettingsFileRecord::*Field;
};
struct TTextField {
    std::size_t Offset;
    std::size_t Capacity;
    std::string SettingsFileRecord::*Field;
};

constexpr std::size_t SizeTextCapacity = 10;
constexpr std::size_t NameTextCapacity = 15;
constexpr std::size_t FilterIndexOffset = 140;
constexpr std::size_t QualityIndexOffset = 144;

using R = SettingsFileRecord;
constexpr TFlagField FlagFields[] = {
    {0, &R::NoSize},       {1, &R::Prop},     {2, &R::User},   {3, &R::PropProc}, {4, &R::Sm},    {5, &R::Mm},
    {72, &R::AddTrumb},    {73, &R::AddNewWord}, {74, &R::NumAvt}, {75, &R::NumPol}, {76, &R::NoCh}, {77, &R::Pref},
    {126, &R::Pred},       {127, &R::NoPred},
    {128, &R::FJPG},       {129, &R::FGIF},   {130, &R::FBMP}, {131, &R::FTGA},   {132, &R::FTIFF}, {133, &R::FPNG},
    {134, &R::FPCX},       {135, &R::FICO},   {136, &R::FWMF},
    {148, &R::VP},         {149, &R::VL},     {150, &R::NP},   {151, &R::NL},
};
constexpr TTextField TextFields[] = {
    {6, SizeTextCapacity, &R::SMaks},     {17, SizeTextCapacity, &R::SWidth},  {28, SizeTextCapacity, &R::SHeight},
    {39, SizeTextCapacity, &R::SProc},    {50, SizeTextCapacity, &R::SmText},  {61, SizeTextCapacity, &R::MmText},
    {78, NameTextCapacity, &R::NewName},  {94, NameTextCapacity, &R::NewCifr}, {110, NameTextCapacity, &R::PrefText},
};

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
    for (const TFlagField& f : FlagFields) r.*f.Field = b[f.Offset] != 0;
    for (const TTextField& f : TextFields) r.*f.Field = ReadText(b, f.Offset, f.Capacity);
    r.FilterIndex = ReadInt32(b, FilterIndexOffset);
    r.QualityIndex = ReadInt32(b, QualityIndexOffset);
    return r;
}

std::array<std::uint8_t, SettingsRecordSize> SettingsFileRecord::Encode() const {
    std::array<std::uint8_t, SettingsRecordSize> b{};
    for (const TFlagField& f : FlagFields) b[f.Offset] = this->*f.Field ? 1 : 0;
    for (const TTextField& f : TextFields) WriteText(b, f.Offset, f.Capacity, this->*f.Field);
    WriteInt32(b, FilterIndexOffset, FilterIndex);
    WriteInt32(b, QualityIndexOffset, QualityIndex);
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
