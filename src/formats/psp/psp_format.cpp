#include "formats/psp/psp_format.h"

#include "formats/common/graphic_ex_format.h"
#include "formats/psp/psp_graphic.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"psp"}};
constexpr std::uint8_t Mark[] = {'P', 'a', 'i', 'n', 't', ' ', 'S', 'h', 'o', 'p', ' ', 'P', 'r', 'o', ' ', 'I', 'm', 'a', 'g', 'e'};
constexpr TSignature Signatures[] = {{0, {Mark, sizeof Mark}}};

}  // namespace

const TFormatDescriptor PspFormat{
    .Name = "psp",
    .Title = "Paint Shop Pro",
    .Extensions = Extensions,
    .Signatures = Signatures,
    // No media type is registered for Paint Shop Pro files; a file manager offers the
    // program for them only through "open with another application".
    .Probe = ProbeHeader<TPSPGraphic>,
    .Decode = DecodeWithReader<TPSPGraphic>,
    .LogoOrder = 1,
};

}  // namespace pictorand
