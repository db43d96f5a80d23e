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
                     "*.TIFF *.tiff *.PCX *.pcx *.PNG *.png *.PSD *.psd *.PSP *.psp *.WMF *.wmf *.HEIC *.heic *.HEIF *.heif *.HIF *.hif "
                     "*.AVIF *.avif *.WEBP *.webp *.JXL *.jxl *.DNG *.dng *.CR2 *.cr2 *.CR3 *.cr3 *.NEF *.nef *.ARW *.arw "
                     "*.RAF *.raf *.ORF *.orf *.RW2 *.rw2 *.PEF *.pef *.SRW *.srw *.PDD *.pdd)",
                     "Файлы BMP (*.BMP *.bmp)", "Файлы JPG, JPEG (*.JPG *.jpg *.JPEG *.jpeg)", "Файлы GIF (*.GIF *.gif)",
                     "Файлы TGA (*.TGA *.tga)", "Файлы TIF, TIFF (*.TIF *.tif *.TIFF *.tiff)", "Файлы PCX (*.PCX *.pcx)",
                     "Файлы PNG (*.PNG *.png)", "Файлы PSD, PDD (*.PSD *.psd *.PDD *.pdd)", "Файлы PSP (*.PSP *.psp)",
                     "Файлы WMF (*.WMF *.wmf)",
                     "Файлы HEIC, HEIF, HIF (*.HEIC *.heic *.HEIF *.heif *.HIF *.hif)", "Файлы AVIF (*.AVIF *.avif)",
                     "Файлы WEBP (*.WEBP *.webp)", "Файлы JXL (*.JXL *.jxl)",
                     "Файлы DNG, CR2, CR3, NEF, ARW, RAF, ORF, RW2, PEF, SRW (*.DNG *.dng *.CR2 *.cr2 *.CR3 *.cr3 *.NEF *.nef "
                     "*.ARW *.arw *.RAF *.raf *.ORF *.orf *.RW2 *.rw2 *.PEF *.pef *.SRW *.srw)"}));
}

TEST(FileFilters, LogoDialogShowsTheLogoFormatsInItsOrder) {
    EXPECT_EQ(LogoFileFilters(),
              Texts({"Все поддерживаемые файлы логотипа (*.PSD *.PDD *.PSP *.PNG *.BMP *.PCX *.WEBP *.AVIF *.JXL "
                     "*.psd *.pdd *.psp *.png *.bmp *.pcx *.webp *.avif *.jxl)",
                     "Файлы логотипа PSD, PDD (*.PSD *.PDD *.psd *.pdd)", "Файлы логотипа PSP (*.PSP *.psp)",
                     "Файлы логотипа PNG (*.PNG *.png)", "Файлы логотипа BMP (*.BMP *.bmp)", "Файлы логотипа PCX (*.PCX *.pcx)",
                     "Файлы логотипа WEBP (*.WEBP *.webp)", "Файлы логотипа AVIF (*.AVIF *.avif)", "Файлы логотипа JXL (*.JXL *.jxl)"}));
}

}  // namespace
}  // namespace pictorand
