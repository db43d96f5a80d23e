#include "formats/tga/targa_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/tga/targa_graphic.h"

namespace pictorand {

namespace {
// Targa files carry no signature: they are only ever read by their extension.
constexpr TFileExtension Extensions[] = {{"tga"}};
constexpr std::string_view MimeTypes[] = {"image/x-tga", "image/x-targa"};
}  // namespace

const TFormatDescriptor TargaFormat{
    .Name = "tga",
    .Title = "Targa",
    .Extensions = Extensions,
    .MimeTypes = MimeTypes,
    .Probe = ProbeHeader<TTargaGraphic>,
    .Decode = DecodeWithReader<TTargaGraphic>,
    .DecodeRows = DecodeRowsWithReader<TTargaGraphic>,
    .Encode = EncodeAssigned<TTargaGraphic>,
    .Carries = {.Alpha = true},
    .Classic = true,
    .Dialog = {"TGA", "RadioButtonFTGA", 0, 1},
};

}  // namespace pictorand
