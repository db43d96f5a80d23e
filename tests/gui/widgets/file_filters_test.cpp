#include "gui/widgets/file_filters.h"

#include <gtest/gtest.h>

namespace pictorand {
namespace {

QStringList Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts) list << QString::fromUtf8(t);
    return list;
}

TEST(FileFilters, SourceDialogShowsEveryReadableFormat) {
    EXPECT_EQ(SourceFileFilters(),
              Texts({"Все поддерживаемые файлы (*.BMP *.bmp *.JPG *.jpg *.JPEG *.jpeg *.GIF *.gif *.TGA *.tga *.TIF *.tif "
                     "*.TIFF *.tiff *.PCX *.pcx *.PNG *.png *.PSD *.psd *.PSP *.psp *.WMF *.wmf *.PDD *.pdd)",
                     "Файлы BMP (*.BMP *.bmp)", "Файлы JPG, JPEG (*.JPG *.jpg *.JPEG *.jpeg)", "Файлы GIF (*.GIF *.gif)",
                     "Файлы TGA (*.TGA *.tga)", "Файлы TIF, TIFF (*.TIF *.tif *.TIFF *.tiff)", "Файлы PCX (*.PCX *.pcx)",
                     "Файлы PNG (*.PNG *.png)", "Файлы PSD, PDD (*.PSD *.psd *.PDD *.pdd)", "Файлы PSP (*.PSP *.psp)",
                     "Файлы WMF (*.WMF *.wmf)"}));
}

TEST(FileFilters, LogoDialogShowsTheLogoFormatsInItsOrder) {
    EXPECT_EQ(LogoFileFilters(),
              Texts({"Все поддерживаемые файлы логотипа (*.PSD *.PDD *.PSP *.PNG *.BMP *.PCX *.psd *.pdd *.psp *.png *.bmp *.pcx)",
                     "Файлы логотипа PSD, PDD (*.PSD *.PDD *.psd *.pdd)", "Файлы логотипа PSP (*.PSP *.psp)",
                     "Файлы логотипа PNG (*.PNG *.png)", "Файлы логотипа BMP (*.BMP *.bmp)", "Файлы логотипа PCX (*.PCX *.pcx)"}));
}

}  // namespace
}  // namespace pictorand
