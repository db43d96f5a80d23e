// TTIFFGraphic: the first image of a TIFF file, strip by strip, in either byte order.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "graphics/zeroed_buffer.h"
#include "formats/common/decoders.h"
#include "formats/common/graphic_ex.h"

namespace pictorand {

class TTIFFGraphic : public TGraphicExGraphic {
public:
    std::string_view ClassName() const override { return "TTIFFGraphic"; }
    bool CanLoadStream(TStream& stream) override;
    bool ReadImageProperties(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override { TBitmap::SaveToStream(stream); }

    // Receives the JPEG decoder's warnings.
    std::function<void(std::string_view)> OnWarning;

private:
    struct TEntry {
        std::uint16_t Tag;
        std::uint16_t Type;
        std::uint32_t Count;
        std::uint32_t Value;  // the value field as a number (converted for big-endian files)
        std::size_t ValueAt;  // where the value field lies in the file
    };

    bool ParseProperties(int imageIndex);
    std::int64_t MaxExpansion() const;
    void SetUpColors();
    std::unique_ptr<TDecoder> CreateDecoder();
    void ReadStrips(TDecoder* decoder);
    bool ReadDirectory(std::uint32_t offset);
    const TEntry* Find(std::uint16_t tag) const;
    std::uint32_t ReadInteger(std::uint16_t tag, std::uint32_t fallback) const;
    double ReadReal(std::uint16_t tag, double fallback) const;
    std::vector<double> ReadValues(std::uint16_t tag) const;
    std::uint32_t U16(std::size_t at) const;
    std::uint32_t U32(std::size_t at) const;
    bool BigEndian() const { return (properties_.Options & image_options::BigEndian) != 0; }

    TByteBuffer file_;
    std::vector<TEntry> entries_;
};

}  // namespace pictorand
