// The GIF writer: colour reduction, LZW encoding and the file's blocks.
#include "formats/gif/gif_image.h"

#include <algorithm>

#include "formats/gif/gif_lzw.h"
#include "formats/gif/gif_palette.h"
#include "graphics/byte_writer.h"
#include "graphics/pixel_access.h"

#include "formats/gif/gif_blocks.h"

namespace pictorand {

using namespace gif;

namespace {

void PutLines(std::vector<std::uint8_t>& out, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        for (std::size_t at = 0; at < line.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, line.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), line.begin() + static_cast<std::ptrdiff_t>(at), line.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
    }
    out.push_back(0);
}

}  // namespace

void TGIFImage::EncodeFrame(TGIFFrame& frame) {
    if (!frame.Bitmap || frame.Bitmap->Empty()) Fail(NoData);
    const TBitmap& source = *frame.Bitmap;
    const TBitmap image = IsIndexed(source.PixelFormat()) ? source : ReduceToPalette(source);
    const int bits = BitsPerPixel(image.PixelFormat());
    if (bits != 1 && bits != 4 && bits != 8) Fail(EncodingError);

    auto item = std::make_shared<TGIFItem>();
    item->Table.Count = 1 << bits;
    for (int i = 0; i < item->Table.Count; ++i) {
        item->Table.Colors[static_cast<std::size_t>(i)] =
            static_cast<std::size_t>(i) < image.Palette().size() ? image.Palette()[static_cast<std::size_t>(i)] : TRGBQuad{};
    }
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()));
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x) pixels.push_back(static_cast<std::uint8_t>(ReadRawPixel(row, x, bits)));
    }
    item->Encoded = EncodeGifLzw(pixels, bits == 1 ? 2 : bits);
    item->Bits = Log2(item->Table.Count);
    item->Width = image.Width();
    item->Height = image.Height();
    frame.Interlaced = false;

    TGIFData& data = data_.MutableData();
    if (data.Global.Count == 0) {
        data.Global = item->Table;
        data.GlobalBits = item->Bits;
        frame.HasLocalTable = false;
    } else {
        frame.HasLocalTable = true;
    }
    frame.Item = std::move(item);

    std::erase_if(frame.Extensions, [](const TGifExtension& e) {
        return e.Kind == TGifExtensionKind::GraphicControl || (e.Kind == TGifExtensionKind::Comment && e.Lines.empty());
    });
    if (frame.DelayMs != 0 || frame.TransparentColor || frame.Disposal != 0) {
        int index = -1;
        if (frame.TransparentColor) {
            for (int i = 0; i < frame.Item->Table.Count; ++i) {
                if (frame.Item->Table.Colors[static_cast<std::size_t>(i)].Color() == *frame.TransparentColor) {
                    index = i;
                    break;
                }
            }
        }
        const int delay = frame.DelayMs / 10;
        const auto flags = static_cast<std::uint8_t>((frame.Disposal & 7) << 2 | (index >= 0 ? 1 : 0));
        frame.Extensions.insert(frame.Extensions.begin(),
                                {TGifExtensionKind::GraphicControl,
                                 {4, flags, static_cast<std::uint8_t>(delay), static_cast<std::uint8_t>(delay >> 8),
                                  static_cast<std::uint8_t>(std::max(index, 0)), 0},
                                 {}});
    }
    if (!frame.Extensions.empty()) Version = 2;
    UpdateScreenSize();
}

void TGIFImage::SaveToStream(TStream& stream) {
    if (frames_.empty()) Fail(NoData);
    for (TGIFFrame& frame : frames_) {
        if (frame.Item->Encoded.empty()) EncodeFrame(frame);
    }
    const TGIFData& data = data_.Data();
    if (!data.Comment.empty()) Version = 2;

    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', static_cast<std::uint8_t>(Version == 2 ? '9' : '7'), 'a'};
    UpdateScreenSize();
    TByteWriter fields("GIF", out);
    fields.U16LE(ScreenWidth, "screen width").U16LE(ScreenHeight, "screen height");
    std::uint8_t packed = 0;
    if (data.Global.Count > 0) {
        const int c = Log2(data.Global.Count);
        packed = static_cast<std::uint8_t>(0x80 + ((c - 1) << 4) + (data.GlobalBits - 1));
    }
    std::uint8_t background = 0;
    for (int i = 0; BackgroundColor && i < data.Global.Count; ++i) {
        if (data.Global.Colors[static_cast<std::size_t>(i)].Color() == *BackgroundColor) {
            background = static_cast<std::uint8_t>(i);
            break;
        }
    }
    out.insert(out.end(), {packed, background, data.AspectRatio});
    auto putTable = [&out](const TGifColorTable& table) {
        for (int i = 0; i < table.Count; ++i) {
            const TRGBQuad& c = table.Colors[static_cast<std::size_t>(i)];
            out.insert(out.end(), {c.Red, c.Green, c.Blue});
        }
    };
    putTable(data.Global);
    if (Looping && frames_.size() > 1) {
        const std::string id = "NETSCAPE2.0";
        out.insert(out.end(), {ExtensionIntroducer, LabelApplication, 11});
        out.insert(out.end(), id.begin(), id.end());
        out.insert(out.end(), {3, 1, static_cast<std::uint8_t>(RepeatCount), static_cast<std::uint8_t>(RepeatCount >> 8), 0});
    }
    constexpr std::uint8_t Labels[] = {LabelGraphicControl, LabelPlainText, LabelApplication, LabelComment};
    for (const TGIFFrame& frame : frames_) {
        for (const TGifExtension& e : frame.Extensions) {
            out.insert(out.end(), {ExtensionIntroducer, Labels[static_cast<int>(e.Kind)]});
            out.insert(out.end(), e.Fixed.begin(), e.Fixed.end());
            if (e.Kind != TGifExtensionKind::GraphicControl) PutLines(out, e.Lines);
        }
        const TGIFItem& item = *frame.Item;
        out.push_back(ImageSeparator);
        fields.U16LE(frame.Left, "frame's left edge").U16LE(frame.Top, "frame's top edge");
        fields.U16LE(item.Width, "width").U16LE(item.Height, "height");
        std::uint8_t descriptor = 0;
        if (frame.HasLocalTable) descriptor = static_cast<std::uint8_t>(0x80 + (item.Bits - 1));
        if (frame.Interlaced) descriptor |= 0x40;
        out.push_back(descriptor);
        if (frame.HasLocalTable) putTable(item.Table);
        out.insert(out.end(), item.Encoded.begin(), item.Encoded.end());
    }
    if (!data.Comment.empty()) {
        out.insert(out.end(), {ExtensionIntroducer, LabelComment});
        std::vector<std::string> lines;
        std::copy_if(data.Comment.begin(), data.Comment.end(), std::back_inserter(lines), [](const std::string& l) { return !l.empty(); });
        PutLines(out, lines);
    }
    out.push_back(Trailer);
    stream.WriteBuffer(out);
}

}  // namespace pictorand
