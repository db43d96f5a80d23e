#include "formats/foreign/foreign_formats.h"

namespace pictorand {

namespace {

template <std::size_t N>
constexpr std::basic_string_view<std::uint8_t> Mark(const std::uint8_t (&bytes)[N]) {
    return {bytes, N};
}

constexpr TFileExtension PsbNames[] = {{"psb"}};
constexpr std::uint8_t PsbMark[] = {'8', 'B', 'P', 'S', 0, 2};
constexpr TSignature PsbMarks[] = {{0, Mark(PsbMark)}};
constexpr TFormatDescriptor Psb{.Name = "psb", .Title = "PSB", .Extensions = PsbNames, .Signatures = PsbMarks};

constexpr TFileExtension ExrNames[] = {{"exr"}};
constexpr std::uint8_t ExrMark[] = {0x76, 0x2F, 0x31, 0x01};
constexpr TSignature ExrMarks[] = {{0, Mark(ExrMark)}};
constexpr TFormatDescriptor Exr{.Name = "exr", .Title = "OpenEXR", .Extensions = ExrNames, .Signatures = ExrMarks};

constexpr TFileExtension Jp2Names[] = {{"jp2"}, {"j2k"}, {"j2c"}, {"jpf"}, {"jpx"}, {"jpm"}};
constexpr std::uint8_t Jp2Box[] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
constexpr std::uint8_t J2kStream[] = {0xFF, 0x4F, 0xFF, 0x51};
constexpr TSignature Jp2Marks[] = {{0, Mark(Jp2Box)}, {0, Mark(J2kStream)}};
constexpr TFormatDescriptor Jp2{.Name = "jp2", .Title = "JPEG 2000", .Extensions = Jp2Names, .Signatures = Jp2Marks};

constexpr TFileExtension SvgNames[] = {{"svg"}, {"svgz"}};
constexpr TFormatDescriptor Svg{.Name = "svg", .Title = "SVG", .Extensions = SvgNames};

constexpr TFileExtension NetpbmNames[] = {{"ppm"}, {"pgm"}, {"pbm"}, {"pnm"}, {"pam"}};
constexpr TFormatDescriptor Netpbm{.Name = "pnm", .Title = "Netpbm", .Extensions = NetpbmNames};

// ICO is written, never read.
constexpr TFileExtension IconNames[] = {{"ico"}, {"cur"}};
constexpr TFormatDescriptor Icon{.Name = "ico", .Title = "ICO", .Extensions = IconNames};

constexpr TFileExtension XcfNames[] = {{"xcf"}};
constexpr std::uint8_t XcfMark[] = {'g', 'i', 'm', 'p', ' ', 'x', 'c', 'f'};
constexpr TSignature XcfMarks[] = {{0, Mark(XcfMark)}};
constexpr TFormatDescriptor Xcf{.Name = "xcf", .Title = "GIMP XCF", .Extensions = XcfNames, .Signatures = XcfMarks};

constexpr TFileExtension DdsNames[] = {{"dds"}};
constexpr std::uint8_t DdsMark[] = {'D', 'D', 'S', ' ', 124, 0, 0, 0};
constexpr TSignature DdsMarks[] = {{0, Mark(DdsMark)}};
constexpr TFormatDescriptor Dds{.Name = "dds", .Title = "DDS", .Extensions = DdsNames, .Signatures = DdsMarks};

constexpr TFileExtension HdrNames[] = {{"hdr"}};
constexpr std::uint8_t RadianceMark[] = {'#', '?', 'R', 'A', 'D', 'I', 'A', 'N', 'C', 'E'};
constexpr std::uint8_t RgbeMark[] = {'#', '?', 'R', 'G', 'B', 'E'};
constexpr TSignature HdrMarks[] = {{0, Mark(RadianceMark)}, {0, Mark(RgbeMark)}};
constexpr TFormatDescriptor Hdr{.Name = "hdr", .Title = "Radiance HDR", .Extensions = HdrNames, .Signatures = HdrMarks};

constexpr TFileExtension QoiNames[] = {{"qoi"}};
constexpr std::uint8_t QoiMark[] = {'q', 'o', 'i', 'f'};
constexpr TSignature QoiMarks[] = {{0, Mark(QoiMark)}};
constexpr TFormatDescriptor Qoi{.Name = "qoi", .Title = "QOI", .Extensions = QoiNames, .Signatures = QoiMarks};

constexpr TFileExtension EmfNames[] = {{"emf"}};
constexpr std::uint8_t EmfMark[] = {' ', 'E', 'M', 'F'};
constexpr TSignature EmfMarks[] = {{40, Mark(EmfMark)}};
constexpr TFormatDescriptor Emf{.Name = "emf", .Title = "EMF", .Extensions = EmfNames, .Signatures = EmfMarks};

constexpr TFileExtension EpsNames[] = {{"eps"}, {"epsf"}};
constexpr std::uint8_t EpsText[] = {'%', '!', 'P', 'S', '-', 'A', 'd', 'o', 'b', 'e'};
constexpr std::uint8_t EpsBinary[] = {0xC5, 0xD0, 0xD3, 0xC6};
constexpr TSignature EpsMarks[] = {{0, Mark(EpsText)}, {0, Mark(EpsBinary)}};
constexpr TFormatDescriptor Eps{.Name = "eps", .Title = "EPS", .Extensions = EpsNames, .Signatures = EpsMarks};

constexpr TFileExtension SunNames[] = {{"ras"}, {"sun"}};
constexpr std::uint8_t SunMark[] = {0x59, 0xA6, 0x6A, 0x95};
constexpr TSignature SunMarks[] = {{0, Mark(SunMark)}};
constexpr TFormatDescriptor Sun{.Name = "ras", .Title = "Sun raster", .Extensions = SunNames, .Signatures = SunMarks};

constexpr TFileExtension FitsNames[] = {{"fits"}, {"fit"}, {"fts"}};
constexpr std::uint8_t FitsMark[] = {'S', 'I', 'M', 'P', 'L', 'E', ' ', ' ', '='};
constexpr TSignature FitsMarks[] = {{0, Mark(FitsMark)}};
constexpr TFormatDescriptor Fits{.Name = "fits", .Title = "FITS", .Extensions = FitsNames, .Signatures = FitsMarks};

// Formats known only by their names: zip archives and text, without a mark of their own.
constexpr TFileExtension KritaNames[] = {{"kra"}};
constexpr TFormatDescriptor Krita{.Name = "kra", .Title = "Krita", .Extensions = KritaNames};
constexpr TFileExtension OpenRasterNames[] = {{"ora"}};
constexpr TFormatDescriptor OpenRaster{.Name = "ora", .Title = "OpenRaster", .Extensions = OpenRasterNames};
constexpr TFileExtension XpmNames[] = {{"xpm"}, {"xbm"}};
constexpr TFormatDescriptor Xpm{.Name = "xpm", .Title = "X bitmap", .Extensions = XpmNames};
constexpr TFileExtension PictNames[] = {{"pict"}, {"pct"}};
constexpr TFormatDescriptor Pict{.Name = "pict", .Title = "PICT", .Extensions = PictNames};
constexpr TFileExtension SgiNames[] = {{"sgi"}};
constexpr TFormatDescriptor Sgi{.Name = "sgi", .Title = "SGI", .Extensions = SgiNames};
constexpr TFileExtension DicomNames[] = {{"dcm"}};
constexpr TFormatDescriptor Dicom{.Name = "dcm", .Title = "DICOM", .Extensions = DicomNames};

constexpr const TFormatDescriptor* Formats[] = {&Psb, &Exr, &Jp2,   &Svg,        &Netpbm, &Icon, &Xcf,  &Dds,   &Hdr,
                                                &Qoi, &Emf, &Eps,   &Sun,        &Fits,   &Krita, &OpenRaster, &Xpm, &Pict,
                                                &Sgi, &Dicom};

}  // namespace

std::span<const TFormatDescriptor* const> ForeignFormats() { return Formats; }

}  // namespace pictorand
