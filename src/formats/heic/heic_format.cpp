#include "formats/heic/heic_format.h"

#include "formats/heic/heif_reader.h"

namespace pictorand {

namespace {

constexpr TFileExtension Extensions[] = {{"heic"}, {"heif"}, {"hif"}};
constexpr std::string_view MimeTypes[] = {"image/heif", "image/heic"};
// The file-type box's major brands of still HEVC pictures and of the generic image
// brands (mif1, msf1), which AVIF files may carry too; libheif reads both.
constexpr std::uint8_t Heic[] = {'f', 't', 'y', 'p', 'h', 'e', 'i', 'c'};
constexpr std::uint8_t Heix[] = {'f', 't', 'y', 'p', 'h', 'e', 'i', 'x'};
constexpr std::uint8_t Hevc[] = {'f', 't', 'y', 'p', 'h', 'e', 'v', 'c'};
constexpr std::uint8_t Heim[] = {'f', 't', 'y', 'p', 'h', 'e', 'i', 'm'};
constexpr std::uint8_t Heis[] = {'f', 't', 'y', 'p', 'h', 'e', 'i', 's'};
constexpr std::uint8_t Mif1[] = {'f', 't', 'y', 'p', 'm', 'i', 'f', '1'};
constexpr std::uint8_t Msf1[] = {'f', 't', 'y', 'p', 'm', 's', 'f', '1'};
constexpr TSignature Signatures[] = {{4, {Heic, 8}}, {4, {Heix, 8}}, {4, {Hevc, 8}}, {4, {Heim, 8}},
                                     {4, {Heis, 8}}, {4, {Mif1, 8}}, {4, {Msf1, 8}}};

TDecodedImage Decode(std::span<const std::uint8_t> file, const TDecodeRequest& request) { return DecodeHeif(file, request, "HEIF"); }

}  // namespace

const TFormatDescriptor HeicFormat{
    .Name = "heic",
    .Title = "HEIF",
    .Extensions = Extensions,
    .Signatures = Signatures,
    .MimeTypes = MimeTypes,
    .Probe = ProbeHeif,
    .Decode = Decode,
    .OrientsItself = true,
};

}  // namespace pictorand
