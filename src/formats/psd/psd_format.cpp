#include "formats/psd/psd_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/psd/psd_graphic.h"
#include "formats/psd/psd_metadata.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"psd"}, {"pdd", true}};
constexpr std::string_view MimeTypes[] = {"image/vnd.adobe.photoshop", "image/x-psd"};
constexpr std::uint8_t Mark[] = {'8', 'B', 'P', 'S'};
constexpr TSignature Signatures[] = {{0, {Mark, sizeof Mark}}};

TImageInfo Probe(std::span<const std::uint8_t> file) {
    TImageInfo info = ProbeHeader<TPSDGraphic>(file);
    info.Metadata = ReadPsdMetadata(file);
    return info;
}

}  // namespace

const TFormatDescriptor PsdFormat{
    .Name = "psd",
    .Title = "Photoshop",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = Probe,
    .Decode = DecodeWithReader<TPSDGraphic>,
    .LogoOrder = 0,
};

}  // namespace pictorand
