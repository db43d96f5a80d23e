// The golden set: a few generated sources converted to every output format under a few
// size, filter and naming settings, each output compared by size and hash with the
// results recorded in golden_outputs.txt. Any change of output bytes shows here; a change
// made on purpose records the new results with PICTORAND_UPDATE_GOLDEN=1 and says why.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/batch_run.h"
#include "formats/format_table.h"
#include "formats/gif/gif_image.h"
#include "formats/png/png_object.h"
#include "formats/tga/targa_graphic.h"
#include "scripted_host.h"
#include "temp_dir.h"

namespace pictorand {
namespace {

const std::string GoldenFile = std::string(PICTORAND_SOURCE_DIR) + "/tests/engine/golden_outputs.txt";

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v & 255); }

// A smooth photo-like picture with a few hard edges.
TBitmap Photo(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool edge = (x / 7 + y / 5) % 4 == 0;
            bitmap.SetPixel(x, y, RGBColor(Byte(x * 255 / width), Byte(edge ? 240 : y * 200 / height), Byte((x * y) % 97 + 60)));
        }
    return bitmap;
}

// A picture of few colours, as a palette raster.
TBitmap Indexed(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    bitmap.SetSize(width, height);
    TPalette palette(256);
    for (int i = 0; i < 256; ++i) palette[static_cast<std::size_t>(i)] = {Byte(i * 3), Byte(255 - i), Byte(i * 7), 0};
    bitmap.SetPalette(palette);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.ScanLine(y)[x] = Byte((x / 3) * 16 + y % 11);
    return bitmap;
}

template <class T>
void SaveAs(const TBitmap& picture, const std::string& path) {
    T image;
    image.Assign(picture);
    image.SaveToFile(path);
}

std::vector<std::string> MakeSources(const testing::TTempDir& dir) {
    Photo(61, 47).SaveToFile(dir.File("photo.bmp"));
    SaveAs<TGIFImage>(Indexed(33, 21), dir.File("palette.gif"));
    SaveAs<TPNGObject>(Photo(40, 40), dir.File("art.png"));
    SaveAs<TTargaGraphic>(Photo(17, 31), dir.File("tall.tga"));
    return {dir.File("photo.bmp"), dir.File("palette.gif"), dir.File("art.png"), dir.File("tall.tga")};
}

struct TGoldenSetting {
    const char* Name;
    void (*Apply)(ConversionSettings&);
};

const TGoldenSetting Settings[] = {
    {"fit32-lanczos-thumb",
     [](ConversionSettings& s) {
         s.Size = SizeMode::FitPixels;
         s.MaxSideText = "32";
         s.Filter = static_cast<std::int32_t>(ResampleFilter::Lanczos3);
         s.Naming = NamingMode::AddThumb;
         s.JpegQuality = 13;  // "85"
     }},
    {"half-mitchell-number",
     [](ConversionSettings& s) {
         s.Size = SizeMode::FitPercent;
         s.PercentText = "50";
         s.Filter = static_cast<std::int32_t>(ResampleFilter::Mitchell);
         s.Naming = NamingMode::AutoNumber;
     }},
    {"unchanged-keep",
     [](ConversionSettings& s) {
         s.Size = SizeMode::NoResize;
         s.Naming = NamingMode::KeepName;
     }},
    {"custom-box-word",
     [](ConversionSettings& s) {
         s.Size = SizeMode::Custom;
         s.CustomWidthText = "20";
         s.CustomHeightText = "9";
         s.Filter = static_cast<std::int32_t>(ResampleFilter::Box);
         s.Naming = NamingMode::AddWord;
         s.AddedWordText = "w";
     }},
};

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ULL;
    return hash;
}

// One line per output: setting, format, file name, size in bytes and hash.
std::vector<std::string> ConvertGoldenSet() {
    testing::TTempDir dir;
    const std::vector<std::string> sources = MakeSources(dir);
    std::vector<std::string> lines;
    for (const TGoldenSetting& setting : Settings) {
        // The classic order of the writers.
        for (const char* name : {"bmp", "jpg", "gif", "tga", "tif", "png", "pcx", "ico", "wmf"}) {
            const OutputFormat format = OutputFormatNamed(name);
            const std::string formatName(name);
            const std::filesystem::path out = dir.Path() / setting.Name / formatName;
            std::filesystem::create_directories(out);
            TFixedSettings settings;
            setting.Apply(settings.Settings());
            settings.Settings().Format = format;
            testing::TScriptedHost host;
            TBatchRun run(host, settings);
            run.OutputFolder = [out] { return out.string(); };
            const TRunSummary summary = run.ResizeImage(sources);
            EXPECT_EQ(summary.Written, static_cast<int>(sources.size())) << setting.Name << " " << formatName;
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(out)) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                const auto bytes = testing::ReadFileBytes(file);
                std::ostringstream line;
                line << setting.Name << ' ' << formatName << ' ' << file.filename().string() << ' ' << bytes.size() << ' '
                     << std::hex << Fnv1a(bytes);
                lines.push_back(line.str());
            }
        }
    }
    return lines;
}

TEST(GoldenOutput, EveryFormatAndSettingGivesTheRecordedBytes) {
    const std::vector<std::string> lines = ConvertGoldenSet();
    if (std::getenv("PICTORAND_UPDATE_GOLDEN")) {
        std::ofstream out(GoldenFile);
        for (const std::string& line : lines) out << line << '\n';
        GTEST_SKIP() << "recorded " << lines.size() << " results in " << GoldenFile;
    }
    std::ifstream in(GoldenFile);
    ASSERT_TRUE(in) << GoldenFile;
    std::vector<std::string> recorded;
    for (std::string line; std::getline(in, line);) recorded.push_back(line);
    ASSERT_EQ(lines.size(), recorded.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], recorded[i]);
}

}  // namespace
}  // namespace pictorand
