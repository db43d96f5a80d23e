#include "formats/pcx/pcx_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/pcx/pcx_graphic.h"
#include "formats/pcx/pcx_writer.h"

namespace pictorand {

namespace {

// PCX files carry no reliable signature: they are only ever read by their extension.
constexpr TFileExtension Extensions[] = {{"pcx"}};
constexpr std::string_view MimeTypes[] = {"image/vnd.zbrush.pcx", "image/x-pcx"};

// Layout 4: three 8-bit planes, red, green and blue.
void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions&) { WritePcxStream(stream, raster, 4); }

}  // namespace

const TFormatDescriptor PcxFormat{
    .Name = "pcx",
    .Title = "PCX",
    .Extensions = Extensions,
    .MimeTypes = MimeTypes,
    .Probe = ProbeHeader<TPCXGraphic>,
    .Decode = DecodeWithReader<TPCXGraphic>,
    .DecodeRows = DecodeRowsWithReader<TPCXGraphic>,
    .Encode = Encode,
    .Classic = true,
    .Dialog = {"PCX", "RadioButtonFPCX", 2, 0},
    .LogoOrder = 4,
};

}  // namespace pictorand
