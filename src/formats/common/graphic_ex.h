// TGraphicExGraphic: the base of the file readers. A reader is a TBitmap that parses a
// header into TImageProperties and converts decoded rows into itself with its
// TColorManager.
#pragma once

#include <string>
#include <string_view>

#include "graphics/bitmap.h"
#include "graphics/stream.h"
#include "formats/common/color_manager.h"
#include "formats/common/image_properties.h"

namespace pictorand {

namespace reader_messages {
inline constexpr std::string_view NotSupported = "Cannot load image. %s not supported for %s files.";
inline constexpr std::string_view CrcError = "Cannot load image. CRC error found in %s file.";
inline constexpr std::string_view CompressionError = "Cannot load image. Compression error found in %s file.";
inline constexpr std::string_view ExtraData = "Cannot load image. Extra compressed data found in %s file.";
inline constexpr std::string_view InvalidPalette = "Cannot load image. Palette in %s file is invalid.";
inline constexpr std::string_view InvalidFormat = "Cannot load image. Invalid or unexpected %s image format.";
inline constexpr std::string_view InvalidColorFormat = "Invalid color format in %s file.";
inline constexpr std::string_view TooLittleData = "Cannot load image. The %s file holds too little data for the picture it claims.";
inline constexpr std::string_view EndsEarlyRows = "the file ends early: %s of %s rows";
inline constexpr std::string_view EndsEarlyScans = "the file ends early: later scans are missing";
inline constexpr std::string_view BreaksOffRows = "the picture's data breaks off: %s of %s rows";
inline constexpr std::string_view OtherVariant = "Cannot load image. %s files are not a format we read.";
inline constexpr std::string_view FirstFrameOnly = "an animation of %s frames: only the first is read";
inline constexpr std::string_view FirstFrameOfAnimation = "an animation: only the first frame of the %s file is read";
inline constexpr std::string_view NoComposite =
    "Cannot load image. The %s file holds no composite image; save it with compatibility maximized.";
inline constexpr std::string_view Preparing = "Preparing...";
inline constexpr std::string_view Transfering = "Transfering...";
inline constexpr std::string_view LoadingData = "Loading data...";
}  // namespace reader_messages

// "%s" replaced in order by each argument.
std::string ReaderMessage(std::string_view pattern, std::string_view first, std::string_view second = {});

class TGraphicExGraphic : public TBitmap {
public:
    // Answers whether the stream holds this reader's format; the position is restored.
    virtual bool CanLoadStream(TStream& stream) = 0;
    // Resets the properties, then parses the header; answers whether it was understood.
    virtual bool ReadImageProperties(TStream& stream, int imageIndex);

    // Hand alpha over as 32-bit pixels where the classic result drops it (grey with alpha).
    bool KeepAlpha = false;
    // The run converts the colours through the file's profile: the reader applies no
    // correction of its own (a PNG's gAMA) to pixels that carry one.
    bool ProfileConverts = false;
    // CMYK pictures through this instead of the colour manager's fixed formula when set.
    TCmykToBgr CmykToBgr;
    // CIELab pictures through this instead of the colour manager's fixed formula when set.
    TLabToBgr LabToBgr;
    // 16-bit RGB pictures through this instead of being cut to 8 bits when set.
    TRgb16ToBgr Rgb16ToBgr;

    void Assign(const TGraphic& source) override;

    const TImageProperties& ImageProperties() const { return properties_; }
    TColorManager& ColorManager() { return colorManager_; }

protected:
    // Releases the previous image and records where this load starts.
    void BeginLoad(TStream& stream);
    // BeginLoad, then the header; a header the reader does not understand, or one cut
    // short, raises the invalid-format message with the format's name.
    void BeginLoadWithHeader(TStream& stream, std::string_view formatName);
    // The rest of the stream, which stays where it was.
    static TByteBuffer PeekRemaining(TStream& stream, std::size_t limit);
    void ReportRow(int row);
    // Marks a 32-bit picture whose fourth byte the colour manager fills with alpha.
    void MarkConvertedAlpha();
    // Refuses, with the format's name, a picture of neededBytes that dataBytes of the
    // file could not fill at the compression's largest expansion.
    static void CheckDataCanFill(std::int64_t neededBytes, std::int64_t dataBytes, std::int64_t expansion,
                                 std::string_view formatName);

    TColorManager colorManager_;
    TImageProperties properties_;
    std::int64_t basePosition_ = 0;
    TRect progressRect_;
};

// Undoes horizontal differencing in place: each byte gets the byte one pixel to its left.
void UndoDifferencing(std::uint8_t* row, std::size_t bytes, std::size_t bytesPerPixel);
// The horizontal predictor undone on 16-bit samples in the file's byte order.
void UndoDifferencing16(std::uint8_t* row, std::size_t samples, std::size_t samplesPerPixel, bool bigEndian);
void SwapBytes16(std::span<std::uint8_t> data);
void SwapBytes32(std::span<std::uint8_t> data);
std::uint32_t SwapBytes32(std::uint32_t value);

}  // namespace pictorand
