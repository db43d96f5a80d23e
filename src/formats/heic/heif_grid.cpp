#include "formats/heic/heif_grid.h"

#include <string_view>
#include <vector>

#include "graphics/byte_reader.h"

namespace pictorand {

namespace {

using TReader = TByteReader<EReadError>;

// A big-endian value of 0, 1, 2, 4 or 8 bytes, as iloc sizes its fields.
std::uint64_t ReadSized(TReader& in, unsigned bytes) {
    if (bytes != 0 && bytes != 1 && bytes != 2 && bytes != 4 && bytes != 8) in.Fail();
    std::uint64_t value = 0;
    for (const std::uint8_t b : in.ReadBytes(bytes)) value = value << 8 | b;
    return value;
}

struct TBox {
    std::string_view Type;
    std::span<const std::uint8_t> Body;
};

// The boxes of a span, one after another; a box that runs past the span ends the list.
std::vector<TBox> Boxes(std::span<const std::uint8_t> data) {
    std::vector<TBox> boxes;
    TReader in(data);
    while (in.Remaining() >= 8) {
        const std::size_t start = in.Position();
        std::uint64_t size = in.ReadU32BE();
        const auto type = in.ReadBytes(4);
        if (size == 1) size = ReadSized(in, 8);
        else if (size == 0) size = in.Size() - start;
        const std::size_t header = in.Position() - start;
        if (size < header || size > in.Size() - start) break;
        boxes.push_back({std::string_view(reinterpret_cast<const char*>(type.data()), 4), data.subspan(in.Position(), size - header)});
        in.Seek(start + size);
    }
    return boxes;
}

const TBox* Find(const std::vector<TBox>& boxes, std::string_view type) {
    for (const TBox& box : boxes)
        if (box.Type == type) return &box;
    return nullptr;
}

struct TLocation {
    int Method = 0;  // 0 the file, 1 the idat box
    std::uint64_t Offset = 0, Length = 0;
};

}  // namespace

THeifGrid HeifGridCanvas(std::span<const std::uint8_t> file) {
    THeifGrid grid;
    try {
        const std::vector<TBox> top = Boxes(file);
        const TBox* meta = Find(top, "meta");
        if (!meta || meta->Body.size() < 4) return grid;
        const std::vector<TBox> boxes = Boxes(meta->Body.subspan(4));
        const TBox* pitm = Find(boxes, "pitm");
        const TBox* iinf = Find(boxes, "iinf");
        const TBox* iloc = Find(boxes, "iloc");
        if (!pitm || !iinf) return grid;

        TReader primaryIn(pitm->Body);
        const std::uint8_t pitmVersion = primaryIn.ReadU8();
        primaryIn.Skip(3);
        const std::uint32_t primary = pitmVersion == 0 ? primaryIn.ReadU16BE() : primaryIn.ReadU32BE();

        // The primary item's type, from its infe entry.
        TReader infoIn(iinf->Body);
        const std::uint8_t iinfVersion = infoIn.ReadU8();
        infoIn.Skip(3 + (iinfVersion == 0 ? 2 : 4));
        for (const TBox& infe : Boxes(iinf->Body.subspan(infoIn.Position()))) {
            if (infe.Type != "infe") continue;
            TReader in(infe.Body);
            const std::uint8_t version = in.ReadU8();
            in.Skip(3);
            if (version < 2) continue;
            const std::uint32_t id = version == 2 ? in.ReadU16BE() : in.ReadU32BE();
            in.Skip(2);
            const auto type = in.ReadBytes(4);
            if (id == primary) grid.PrimaryIsGrid = std::string_view(reinterpret_cast<const char*>(type.data()), 4) == "grid";
        }
        if (!grid.PrimaryIsGrid || !iloc) return grid;

        // Where its data is: the first extent is enough for the few bytes of a grid.
        TReader in(iloc->Body);
        const std::uint8_t version = in.ReadU8();
        in.Skip(3);
        const std::uint8_t sizes = in.ReadU8(), more = in.ReadU8();
        const unsigned offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = more >> 4, indexSize = version >= 1 ? more & 15 : 0;
        const std::uint32_t items = version < 2 ? in.ReadU16BE() : in.ReadU32BE();
        std::optional<TLocation> location;
        for (std::uint32_t i = 0; i < items && !location; ++i) {
            const std::uint32_t id = version < 2 ? in.ReadU16BE() : in.ReadU32BE();
            TLocation here;
            if (version >= 1) here.Method = in.ReadU16BE() & 15;
            in.Skip(2);
            const std::uint64_t base = ReadSized(in, baseSize);
            const std::uint16_t extents = in.ReadU16BE();
            for (std::uint16_t e = 0; e < extents; ++e) {
                ReadSized(in, indexSize);
                const std::uint64_t offset = ReadSized(in, offsetSize), length = ReadSized(in, lengthSize);
                if (e == 0) here.Offset = base + offset, here.Length = length;
            }
            if (id == primary && extents > 0) location = here;
        }
        if (!location || location->Method > 1) return grid;
        std::span<const std::uint8_t> source = file;
        if (location->Method == 1) {
            const TBox* idat = Find(boxes, "idat");
            if (!idat) return grid;
            source = idat->Body;
        }
        if (location->Offset > source.size()) return grid;
        TReader box(source.subspan(static_cast<std::size_t>(location->Offset)));
        box.Skip(1);
        const bool wide = (box.ReadU8() & 1) != 0;
        box.Skip(2);
        const std::uint32_t width = wide ? box.ReadU32BE() : box.ReadU16BE();
        const std::uint32_t height = wide ? box.ReadU32BE() : box.ReadU16BE();
        grid.Canvas = std::pair{width, height};
    } catch (const EReadError&) {
    }
    return grid;
}

}  // namespace pictorand
