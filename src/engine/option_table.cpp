#include "engine/option_table.h"

namespace pictorand {

namespace {

using O = TExtraOptions;

constexpr TOptionRow Rows[] = {
    {
        .Key = "auto_orient",
        .Flag = "--no-auto-orient",
        .FlagSets = false,
        .Help = "keep the stored orientation instead of the EXIF one",
        .Menu = "Поворачивать по EXIF",
        .MenuEnglish = "Turn by EXIF",
        .MenuHelp = "снимок поворачивается так, как его показывает камера (все восемь положений EXIF), до нанесения логотипа.",
        .MenuHelpEnglish = "the photo is turned the way the camera shows it (all eight EXIF orientations), before the logo is stamped.",
        .Switch = [](O& o) -> bool& { return o.Photo.AutoOrient; },
        .Recommended = true,
    },
    {
        .Key = "convert_to_srgb",
        .Flag = "--no-icc",
        .FlagSets = false,
        .Help = "keep the colours of an embedded ICC profile unconverted\n(JPEG, PNG, TIFF, WebP, AVIF and JPEG XL output then carry the profile)",
        .Menu = "Преобразовывать цвета в sRGB",
        .MenuEnglish = "Convert colours to sRGB",
        .MenuHelp = "встроенный цветовой профиль ICC (RGB, серый или CMYK) переводится в sRGB.",
        .MenuHelpEnglish = "an embedded ICC colour profile (RGB, grey or CMYK) is converted to sRGB.",
        .Switch = [](O& o) -> bool& { return o.Photo.ConvertToSrgb; },
        .Recommended = true,
    },
    {
        .Key = "transparency",
        .Flag = "--no-alpha",
        .FlagSets = false,
        .Help = "ignore transparency; by default PNG, TGA, TIFF, ICO, WebP, AVIF and\nJPEG XL keep it and other formats are flattened onto the background",
        .Menu = "Учитывать прозрачность",
        .MenuEnglish = "Keep transparency",
        .MenuHelp = "PNG, TGA, TIF, ICO, WebP, AVIF и JPEG XL сохраняют прозрачность, остальные форматы накладываются на цвет фона.",
        .MenuHelpEnglish = "PNG, TGA, TIF, ICO, WebP, AVIF and JPEG XL keep transparency; the other formats are laid on the background colour.",
        .Switch = [](O& o) -> bool& { return o.Photo.Transparency; },
        .Recommended = true,
    },
    {
        .Key = "carry_profile",
        .Flag = "--no-profile",
        .FlagSets = false,
        .Help = "write no colour profile into outputs whose pixels keep the source's\ncolours (with --no-icc, or a profile that cannot be converted)",
        .Menu = "Встраивать цветовой профиль",
        .MenuEnglish = "Embed the colour profile",
        .MenuHelp = "если цвета снимка не переводятся в sRGB, его профиль встраивается в JPG, PNG, TIF, WebP, AVIF и JPEG XL, чтобы цвета показывались верно.",
        .MenuHelpEnglish = "when the colours are not converted to sRGB, the photo's profile is embedded in JPG, PNG, TIF, WebP, AVIF and JPEG XL so that its colours show right.",
        .Switch = [](O& o) -> bool& { return o.Photo.CarryProfile; },
        .Recommended = true,
    },
    {
        .Key = "keep_metadata",
        .Flag = "--keep-metadata",
        .Help = "carry EXIF, XMP and IPTC into JPEG output, EXIF and XMP into WebP,\nAVIF and JPEG XL, EXIF into PNG, and an unconverted RGB profile\ninto JPEG, PNG, TIFF, WebP, AVIF and JPEG XL",
        .Menu = "Сохранять метаданные",
        .MenuEnglish = "Keep metadata",
        .MenuHelp = "EXIF, XMP и IPTC переносятся в JPG, EXIF и XMP — в WebP, AVIF и JPEG XL, EXIF — в PNG.",
        .MenuHelpEnglish = "EXIF, XMP and IPTC are carried into JPG; EXIF and XMP into WebP, AVIF and JPEG XL; EXIF into PNG.",
        .Switch = [](O& o) -> bool& { return o.Photo.KeepMetadata; },
    },
    {
        .Key = "background",
        .Flag = "--background",
        .Argument = "C",
        .Help = "#RRGGBB or white, black, grey, red, green, blue, yellow,\ncyan, magenta (default white)",
        .Menu = "Цвет фона...",
        .MenuEnglish = "Background colour...",
        .MenuHelp = "цвет под прозрачными местами для форматов без прозрачности; по умолчанию белый.",
        .MenuHelpEnglish = "the colour under transparent parts for formats without transparency; white by default.",
        .MenuSection = 1,
        .Colour = [](O& o) -> TColor& { return o.Photo.Background; },
    },
    {
        .Key = "shrink_on_load",
        .Flag = "--shrink-on-load",
        .Help = "decode JPEG sources at 1/2, 1/4 or 1/8 size, and camera raw\nat half size, when the target is that much smaller (not with a logo)",
        .Menu = "Быстрое уменьшение JPEG",
        .MenuEnglish = "Fast JPEG reduction",
        .MenuHelp = "JPEG читается сразу в 1/2, 1/4 или 1/8 размера, а снимки RAW — в половинном, когда результат намного меньше. Быстрее, почти без потери качества.",
        .MenuHelpEnglish = "JPEG is read at once at 1/2, 1/4 or 1/8 of its size, and RAW photos at half, when the result is much smaller. Faster, with almost no loss of quality.",
        .Group = TOptionGroup::Scaling,
        .MenuSection = 2,
        .Switch = [](O& o) -> bool& { return o.Resample.ShrinkOnLoad; },
    },
    {
        .Key = "centre_sampling",
        .Flag = "--sampling",
        .OnWords = "centre|center",
        .OffWords = "corners",
        .Argument = "G",
        .Help = "corners (default) or centre: output samples on the\npixel-centre grid, as ImageMagick and libvips place them",
        .Menu = "Сетка по центрам пикселей",
        .MenuEnglish = "Sample at pixel centres",
        .MenuHelp = "отсчёты ставятся по центрам пикселей, как в ImageMagick и libvips; чуть точнее.",
        .MenuHelpEnglish = "samples are placed at pixel centres, as ImageMagick and libvips place them; slightly more accurate.",
        .Group = TOptionGroup::Scaling,
        .MenuSection = 2,
        .Switch = [](O& o) -> bool& { return o.Resample.CentreGrid; },
    },
    {
        .Key = "linear_light",
        .Flag = "--linear",
        .Help = "scale in linear light: fine light and dark detail\naverages to the grey of its light, not of its code values",
        .Menu = "Линейный свет",
        .MenuEnglish = "Linear light",
        .MenuHelp = "пересчёт в линейном свете: мелкий узор из светлого и тёмного усредняется по количеству света, а не по кодам.",
        .MenuHelpEnglish = "scaling in linear light: a fine pattern of light and dark is averaged by the amount of light, not by the codes.",
        .Group = TOptionGroup::Scaling,
        .MenuSection = 2,
        .Switch = [](O& o) -> bool& { return o.Resample.LinearLight; },
    },
    {
        .Key = "metafiles_at_output_size",
        .Flag = "--full-size-metafiles",
        .FlagSets = false,
        .Help = "draw metafiles at their own size, however much larger than\nthe output (by default at twice the output's size)",
        .Menu = "Рисовать метафайлы в размере результата",
        .MenuEnglish = "Draw metafiles at the output size",
        .MenuHelp = "WMF рисуется сразу в двойном размере результата, а не в своём, который может быть огромным. Быстрее и без лишней памяти.",
        .MenuHelpEnglish = "WMF is drawn at once at twice the output size rather than at its own, which may be huge. Faster, and without needless memory.",
        .Group = TOptionGroup::Bounds,
        .MenuSection = 3,
        .Switch = [](O& o) -> bool& { return o.Resample.DrawAtOutputSize; },
        .Recommended = true,
    },
    {
        // Set by --quality, whose classic list holds for JPEG; shown by the quality list.
        .Key = "quality",
        .Group = TOptionGroup::Writing,
        .Number = [](O& o) -> int& { return o.Encode.Quality; },
        .Low = 1,
        .High = 100,
    },
    {
        .Key = "lossless",
        .Flag = "--lossless",
        .Help = "code WebP and JPEG XL output losslessly (the quality is then unused)",
        .Group = TOptionGroup::Writing,
        .Switch = [](O& o) -> bool& { return o.Encode.Lossless; },
    },
    {
        .Key = "effort",
        .Flag = "--effort",
        .Argument = "N",
        .Help = "how hard the encoders work, 1 (fastest) to 10 (smallest files):\nWebP methods 0 to 6 (default 4), AVIF speeds 9 to 0 (default 7),\nJPEG XL efforts 1 to 9 (default 7)",
        .Group = TOptionGroup::Writing,
        .Number = [](O& o) -> int& { return o.Encode.Effort; },
        .Low = 1,
        .High = 10,
    },
};

TExtraOptions Filled(bool recommended) {
    TExtraOptions options;
    for (const TOptionRow& row : Rows) {
        if (row.Switch) row.Switch(options) = recommended ? row.Recommended : row.Classic;
        if (row.Colour) row.Colour(options) = recommended ? row.RecommendedColour : row.ClassicColour;
        if (row.Number) row.Number(options) = 0;
    }
    return options;
}

}  // namespace

std::span<const TOptionRow> OptionTable() { return Rows; }

const TOptionRow* FindOption(std::string_view key) {
    for (const TOptionRow& row : Rows)
        if (row.Key == key) return &row;
    return nullptr;
}

TExtraOptions RecommendedOptions() { return Filled(true); }
TExtraOptions ClassicOptions() { return Filled(false); }

// The accessors hand out references for setting; reading through them changes nothing.
bool SwitchValue(const TOptionRow& row, const TExtraOptions& options) { return row.Switch(const_cast<TExtraOptions&>(options)); }
TColor ColourValue(const TOptionRow& row, const TExtraOptions& options) { return row.Colour(const_cast<TExtraOptions&>(options)); }
int NumberValue(const TOptionRow& row, const TExtraOptions& options) { return row.Number(const_cast<TExtraOptions&>(options)); }

void SetSwitch(const TOptionRow& row, TExtraOptions& options, bool value) { row.Switch(options) = value; }

}  // namespace pictorand
