#include "formats/common/graphic_ex.h"

#include "graphics/raster_limits.h"

namespace pictorand {

std::string ReaderMessage(std::string_view pattern, std::string_view first, std::string_view second) {
    std::string text = FormatMessage(pattern, first);
    return second.empty() ? text : FormatMessage(text, second);
}

bool TGraphicExGraphic::ReadImageProperties(TStream&, int) {
    properties_ = TImageProperties{};
    return false;
}

void TGraphicExGraphic::Assign(const TGraphic& source) {
    if (const auto* reader = dynamic_cast<const TGraphicExGraphic*>(&source)) properties_ = reader->properties_;
    TBitmap::Assign(source);
}

void TGraphicExGraphic::BeginLoad(TStream& stream) {
    Clear();
    SetTransparent(false);
    colorManager_.CmykToBgr = CmykToBgr;
    colorManager_.LabToBgr = LabToBgr;
    colorManager_.Rgb16ToBgr = Rgb16ToBgr;
    basePosition_ = stream.Position();
}

void TGraphicExGraphic::BeginLoadWithHeader(TStream& stream, std::string_view formatName) {
    BeginLoad(stream);
    bool understood = false;
    try {
        understood = ReadImageProperties(stream, 0);
    } catch (const EReadError&) {
        understood = false;
    }
    stream.SetPosition(basePosition_);
    if (!understood) throw EInvalidGraphic(ReaderMessage(reader_messages::InvalidFormat, formatName));
}

void TGraphicExGraphic::MarkConvertedAlpha() {
    const TColorScheme target = colorManager_.TargetColorScheme();
    SetHasAlpha(PixelFormat() == TPixelFormat::pf32bit && (target == TColorScheme::Bgra || target == TColorScheme::Rgba));
}

void TGraphicExGraphic::CheckDataCanFill(std::int64_t neededBytes, std::int64_t dataBytes, std::int64_t expansion,
                                         std::string_view formatName) {
    if (!DataCanFill(neededBytes, dataBytes, expansion)) {
        throw EInvalidGraphic(ReaderMessage(reader_messages::TooLittleData, formatName));
    }
}

TByteBuffer TGraphicExGraphic::PeekRemaining(TStream& stream, std::size_t limit) {
    const std::int64_t position = stream.Position();
    TByteBuffer bytes = stream.ReadRemaining(limit);
    stream.SetPosition(position);
    return bytes;
}

void TGraphicExGraphic::ReportRow(int row) {
    if (Height() > 0) Progress(TProgressStage::Running, row * 100 / Height(), {});
    progressRect_.Top += 1;
    progressRect_.Bottom += 1;
}

void UndoDifferencing(std::uint8_t* row, std::size_t bytes, std::size_t bytesPerPixel) {
    for (std::size_t i = bytesPerPixel; i < bytes; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - bytesPerPixel]);
}

void UndoDifferencing16(std::uint8_t* row, std::size_t samples, std::size_t samplesPerPixel, bool bigEndian) {
    auto at = [&](std::size_t i) -> std::uint16_t {
        return bigEndian ? static_cast<std::uint16_t>(row[2 * i] << 8 | row[2 * i + 1]) : static_cast<std::uint16_t>(row[2 * i] | row[2 * i + 1] << 8);
    };
    for (std::size_t i = samplesPerPixel; i < samples; ++i) {
        const auto sum = static_cast<std::uint16_t>(at(i) + at(i - samplesPerPixel));
        row[2 * i] = static_cast<std::uint8_t>(bigEndian ? sum >> 8 : sum);
        row[2 * i + 1] = static_cast<std::uint8_t>(bigEndian ? sum : sum >> 8);
    }
}

void SwapBytes16(std::span<std::uint8_t> data) {
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) std::swap(data[i], data[i + 1]);
}

void SwapBytes32(std::span<std::uint8_t> data) {
    for (std::size_t i = 0; i + 3 < data.size(); i += 4) {
        std::swap(data[i], data[i + 3]);
        std::swap(data[i + 1], data[i + 2]);
    }
}

std::uint32_t SwapBytes32(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

}  // namespace pictorand
