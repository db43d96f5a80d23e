#include "formats/psd/psd_resources.h"

#include <algorithm>

#include "graphics/byte_reader.h"

namespace pictorand {

std::span<const std::uint8_t> PsdResourceSection(std::span<const std::uint8_t> file) {
    constexpr std::size_t HeaderSize = 26;
    TByteReader<EReadError> in(file);
    try {
        in.Skip(HeaderSize);
        in.Skip(in.ReadU32BE());  // the colour mode data
        return in.ReadBytes(in.ReadU32BE());
    } catch (const EReadError&) {
        return {};
    }
}

void ForEachPsdResource(std::span<const std::uint8_t> resources,
                        const std::function<bool(std::uint16_t, std::span<const std::uint8_t>, std::span<const std::uint8_t>)>& visit) {
    TByteReader<EReadError> in(resources);
    try {
        while (in.Remaining() >= 12) {
            const std::size_t start = in.Position();
            in.Skip(4);  // "8BIM"
            const auto id = static_cast<std::uint16_t>(in.ReadU16BE());
            const std::uint8_t nameLength = in.ReadU8();
            in.Skip(nameLength + ((nameLength + 1) % 2));  // the name is padded to an even size
            const std::uint32_t size = in.ReadU32BE();
            const auto data = in.ReadBytes(size);
            in.Skip(std::min<std::size_t>(size % 2, in.Remaining()));
            if (!visit(id, data, resources.subspan(start, in.Position() - start))) return;
        }
    } catch (const EReadError&) {
    }
}

}  // namespace pictorand
