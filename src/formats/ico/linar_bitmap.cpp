#include "formats/ico/linar_bitmap.h"

#include <algorithm>
#include <cstring>

#include "graphics/byte_writer.h"
#include "graphics/file_stream.h"
#include "graphics/raster_limits.h"

namespace pictorand {

namespace {

constexpr std::string_view UnsupportedPixelFormat = "Unsupported pixel format";
constexpr std::string_view InvalidSize = "Invalid bitmap size";
constexpr std::string_view NoFileName = "No file name";
constexpr std::string_view UnsupportedFileFormat = "Unsupported file format";
constexpr std::string_view TooLargeForIcon = "Image is too large for icon";

std::vector<TRGBQuad> GreyRamp() {
    std::vector<TRGBQuad> ramp(256);
    for (int i = 0; i < 256; ++i) ramp[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0};
    return ramp;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}


}  // namespace

void TLinarBitmap::Allocate(int width, int height, TPixelFormat format) {
    if (width == width_ && height == height_ && format == format_ && Present()) return;
    if (format != TPixelFormat::pf8bit && format != TPixelFormat::pf24bit && format != TPixelFormat::pf32bit) throw ELinarBitmap(std::string(UnsupportedPixelFormat));
    if (width < 1 || height < 1 || width > MaxRasterSide || height > MaxRasterSide) throw ELinarBitmap(std::string(InvalidSize));
    width_ = width;
    height_ = height;
    format_ = format;
    pixels_.assign(BytesPerLine() * static_cast<std::size_t>(height) + 1, 0);
    if (format == TPixelFormat::pf8bit) palette_.assign(256, TRGBQuad{});
    else palette_.clear();
}

void TLinarBitmap::Clear() {
    pixels_.clear();
    palette_.clear();
    width_ = height_ = 0;
    format_ = TPixelFormat::pfCustom;
}

void TLinarBitmap::AssignFromBitmap(const TBitmap& bitmap) {
    const TPixelFormat format = bitmap.PixelFormat();
    const bool taken = format == TPixelFormat::pf8bit || format == TPixelFormat::pf24bit ||
                       (format == TPixelFormat::pf32bit && bitmap.HasAlpha());
    if (!taken || bitmap.Width() < 1 || bitmap.Height() < 1) {
        Clear();
        return;
    }
    Allocate(bitmap.Width(), bitmap.Height(), format);
    for (int y = 0; y < height_; ++y) std::memcpy(Row(y), bitmap.ScanLine(y), BytesPerLine());
    if (format == TPixelFormat::pf8bit) {
        if (bitmap.Palette().empty()) {
            palette_ = GreyRamp();
        } else {
            palette_.assign(256, TRGBQuad{});
            std::copy_n(bitmap.Palette().begin(), std::min<std::size_t>(256, bitmap.Palette().size()), palette_.begin());
        }
    }
}

void TLinarBitmap::AssignToBitmap(TBitmap& bitmap) const {
    if (!Present()) return;
    bitmap.SetPixelFormat(format_);
    bitmap.SetHasAlpha(format_ == TPixelFormat::pf32bit);
    if (format_ == TPixelFormat::pf8bit) bitmap.SetPalette(palette_);
    bitmap.SetSize(width_, height_);
    for (int y = 0; y < height_; ++y) std::memcpy(bitmap.ScanLine(y), Row(y), BytesPerLine());
}

void TLinarBitmap::SaveToFile(const std::string& path) const {
    if (path.empty()) throw ELinarBitmap(std::string(NoFileName));
    const std::size_t slash = path.find_last_of("/\\:");
    const std::size_t dot = path.find_last_of('.');
    const std::string extension = dot == std::string::npos || (slash != std::string::npos && slash > dot) ? "" : path.substr(dot + 1);
    if (!TICOLoader().AcceptsForSave(extension)) throw EUnsupportedFileFormat(std::string(UnsupportedFileFormat));
    WriteFileReplacing(path, [&](TStream& stream) { SaveToStream(stream, extension); });
}

void TLinarBitmap::SaveToStream(TStream& stream, std::string_view extension) const {
    TICOLoader icons;
    if (!icons.AcceptsForSave(extension)) throw EUnsupportedFileFormat(std::string(UnsupportedFileFormat));
    if (!Present()) throw ELinarBitmap(std::string(InvalidSize));
    icons.WriteImage(stream, extension, *this);
}

bool TICOLoader::AcceptsForSave(std::string_view extension) const {
    const std::string upper = Upper(extension);
    return upper == "ICO" || upper == "CUR";
}

void TICOLoader::WriteImage(TStream& stream, std::string_view extension, const TLinarBitmap& raster) {
    const int width = raster.Width(), height = raster.Height();
    if (width >= 256 || height >= 256) throw Exception(std::string(TooLargeForIcon));
    const std::uint16_t type = Upper(extension) == "ICO" ? 1 : 2;
    const TRGBQuad key = TRGBQuad::From(TransparentColor);
    const std::size_t andStride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    std::vector<std::uint8_t> andMask(andStride * static_cast<std::size_t>(height), 0);
    auto setTransparent = [&](int row, int x) { andMask[static_cast<std::size_t>(row) * andStride + static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8)); };

    int bits = raster.PixelFormat() == TPixelFormat::pf32bit ? 32 : 24;
    std::vector<TRGBQuad> table;
    if (raster.PixelFormat() == TPixelFormat::pf8bit) {
        const auto& palette = raster.Palette();
        int highest = 1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t index = raster.Row(y)[x];
                if (!(palette[index].Red == key.Red && palette[index].Green == key.Green && palette[index].Blue == key.Blue)) highest = std::max<int>(highest, index);
            }
        bits = highest > 15 ? 8 : 4;
        table.assign(palette.begin(), palette.begin() + (bits == 8 ? 256 : 16));
        for (TRGBQuad& e : table)
            if (e.Red == key.Red && e.Green == key.Green && e.Blue == key.Blue) e = TRGBQuad{};
    }
    const std::size_t xorStride = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
    std::vector<std::uint8_t> xorBitmap(xorStride * static_cast<std::size_t>(height), 0);
    for (int g = 0; g < height; ++g) {
        const std::uint8_t* in = raster.Row(height - 1 - g);
        std::uint8_t* out = xorBitmap.data() + static_cast<std::size_t>(g) * xorStride;
        for (int x = 0; x < width; ++x) {
            if (bits == 32) {
                std::memcpy(out + 4 * x, in + 4 * x, 4);
                if (in[4 * x + 3] == 0) setTransparent(g, x);
            } else if (bits == 24) {
                const std::uint8_t* p = in + 3 * x;
                const bool transparent = p[0] == key.Blue && p[1] == key.Green && p[2] == key.Red;
                if (transparent) {
                    setTransparent(g, x);
                } else {
                    std::memcpy(out + 3 * x, p, 3);
                }
            } else {
                const std::uint8_t index = in[x];
                const TRGBQuad& c = raster.Palette()[index];
                if (c.Red == key.Red && c.Green == key.Green && c.Blue == key.Blue) {
                    setTransparent(g, x);
                } else if (bits == 8) {
                    out[x] = index;
                } else {
                    out[x / 2] |= static_cast<std::uint8_t>((x & 1) ? index & 0x0F : (index & 0x0F) << 4);
                }
            }
        }
    }
    const std::size_t imageBytes = 40 + table.size() * 4 + xorBitmap.size() + andMask.size();
    std::vector<std::uint8_t> out;
    TByteWriter fields("ICO", out);
    fields.U16LE(0, "reserved").U16LE(type, "type").U16LE(1, "image count");
    fields.U8(width, "width").U8(height, "height").U8(bits == 4 ? 16 : 0, "colour count").U8(0, "reserved");
    // A cursor's entry holds its hot spot; an icon's, its planes and bit count. The classic
    // icons leave those zero; a 32-bit icon says them, or readers take its AND mask for
    // its transparency and lose the alpha.
    if (type == 1 && bits == 32) fields.U16LE(1, "planes").U16LE(32, "bit count");
    else fields.U16LE(HotSpotX, "hot spot x").U16LE(HotSpotY, "hot spot y");
    fields.U32LE(static_cast<std::int64_t>(imageBytes), "image size").U32LE(6 + 16, "image offset");
    fields.U32LE(40, "header size").I32LE(width, "width").I32LE(2 * static_cast<std::int64_t>(height), "height");
    fields.U16LE(1, "planes").U16LE(bits, "bits per pixel").U32LE(0, "compression");
    fields.U32LE(static_cast<std::int64_t>(xorBitmap.size() + andMask.size()), "pixel data size");
    out.resize(out.size() + 16, 0);
    for (const TRGBQuad& e : table) out.insert(out.end(), {e.Blue, e.Green, e.Red, 0});
    out.insert(out.end(), xorBitmap.begin(), xorBitmap.end());
    out.insert(out.end(), andMask.begin(), andMask.end());
    stream.WriteBuffer(out);
}

}  // namespace pictorand
