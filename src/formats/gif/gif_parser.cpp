// The GIF parser: header, colour tables, extensions and image descriptors into frames.
#include "formats/gif/gif_image.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "formats/gif/gif_blocks.h"

namespace pictorand {

using namespace gif;

namespace {

bool EqualsIgnoringCase(std::span<const std::uint8_t> bytes, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

void ReadTable(TGifReader& in, TGifColorTable& table, int count) {
    table.Count = count;
    for (int i = 0; i < count; ++i) {
        const auto rgb = in.ReadBytes(3);
        table.Colors[static_cast<std::size_t>(i)] = {rgb[2], rgb[1], rgb[0], 0};
    }
}

// Sub-blocks as text lines, up to the zero-length block or the end of the data.
std::vector<std::string> ReadSubBlocks(TGifReader& in) {
    std::vector<std::string> lines;
    while (in.Remaining() > 0) {
        const std::uint8_t length = in.ReadU8();
        if (length == 0) break;
        const auto block = in.ReadBytes(std::min<std::size_t>(length, in.Remaining()));
        lines.emplace_back(block.begin(), block.end());
    }
    return lines;
}

void SkipZeros(TGifReader& in) {
    while (in.Remaining() > 0 && in.Data()[in.Position()] == 0) in.Skip(1);
}

std::uint8_t Peek(const TGifReader& in) { return in.Remaining() > 0 ? in.Data()[in.Position()] : 0; }

}  // namespace

void TGIFImage::Parse(std::span<const std::uint8_t> bytes) {
    TGifReader in(bytes);
    TGIFData& data = data_.MutableData();
    if (bytes.size() < 6 || !EqualsIgnoringCase(in.ReadBytes(3), "GIF")) Fail(UnknownVersion);
    const auto version = in.ReadBytes(3);
    if (EqualsIgnoringCase(version, "87a")) Version = 1;
    else if (EqualsIgnoringCase(version, "89a")) Version = 2;
    else Fail(UnknownVersion);

    ScreenWidth = in.ReadU16LE();
    ScreenHeight = in.ReadU16LE();
    const std::uint8_t packed = in.ReadU8();
    const std::uint8_t background = in.ReadU8();
    data.AspectRatio = in.ReadU8();
    data.GlobalBits = (packed & 7) + 1;
    data.ColorResolution = ((packed >> 4) & 7) + 1;
    if (packed & 0x80) {
        ReadTable(in, data.Global, 1 << data.GlobalBits);
        if (background < data.Global.Count) BackgroundColor = data.Global.Colors[background].Color();
    }

    std::vector<TGifExtension> collected;
    SkipZeros(in);
    while (in.Remaining() > 0 && Peek(in) != Trailer) {
        while (Peek(in) == ExtensionIntroducer) {
            in.Skip(1);
            const std::uint8_t label = in.ReadU8();
            TGifExtension extension;
            switch (label) {
                case LabelGraphicControl: {
                    const auto fixed = in.ReadBytes(6);
                    extension = {TGifExtensionKind::GraphicControl, {fixed.begin(), fixed.end()}, {}};
                    break;
                }
                case LabelComment: extension = {TGifExtensionKind::Comment, {}, ReadSubBlocks(in)}; break;
                case LabelPlainText: {
                    const auto fixed = in.ReadBytes(13);
                    extension = {TGifExtensionKind::PlainText, {fixed.begin(), fixed.end()}, ReadSubBlocks(in)};
                    break;
                }
                case LabelApplication: {
                    const auto fixed = in.ReadBytes(12);
                    extension = {TGifExtensionKind::Application, {fixed.begin(), fixed.end()}, ReadSubBlocks(in)};
                    break;
                }
                default:
                    // An extension of a kind not known here is skipped, its blocks unread,
                    // as every reader of the format does.
                    ReadSubBlocks(in);
                    continue;
            }
            if (extension.Kind == TGifExtensionKind::PlainText) {
                collected.clear();
            } else if (extension.Kind == TGifExtensionKind::Application) {
                const std::string id(extension.Fixed.begin() + 1, extension.Fixed.end());
                if ((id == "NETSCAPE2.0" || id == "ANIMEXTS1.0") && !extension.Lines.empty() &&
                    extension.Lines[0].size() >= 3 && extension.Lines[0][0] == 1) {
                    Looping = true;
                    const auto& b = extension.Lines[0];
                    RepeatCount = std::min(30000, static_cast<unsigned char>(b[1]) | static_cast<unsigned char>(b[2]) << 8);
                }
            } else {
                collected.push_back(std::move(extension));
            }
            SkipZeros(in);
        }
        const std::uint8_t next = Peek(in);
        if (next == ImageSeparator) {
            in.Skip(1);
            TGIFFrame frame;
            frame.FromData = true;
            TGIFItem& item = *frame.Item;
            if (data.Global.Count > 0) item.Bits = Log2(data.Global.Count);
            frame.Extensions = std::move(collected);
            collected.clear();
            frame.Left = in.ReadU16LE();
            frame.Top = in.ReadU16LE();
            item.Width = in.ReadU16LE();
            item.Height = in.ReadU16LE();
            item.Packed = in.ReadU8();
            frame.Interlaced = (item.Packed & 0x40) != 0;
            if (item.Packed & 0x80) {
                frame.HasLocalTable = true;
                item.Bits = (item.Packed & 7) + 1;
                ReadTable(in, item.Table, 1 << item.Bits);
            } else {
                item.Table = data.Global;
            }
            // The LZW data is kept as it stands; a sub-block cut short marks the frame.
            const std::size_t start = in.Position();
            if (in.Remaining() > 0) in.Skip(1);
            for (;;) {
                if (in.Remaining() == 0) {
                    frame.Corrupted = true;
                    break;
                }
                const std::uint8_t length = in.ReadU8();
                if (length == 0) break;
                if (length > in.Remaining()) {
                    in.Skip(in.Remaining());
                    frame.Corrupted = true;
                    break;
                }
                in.Skip(length);
            }
            item.Encoded.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.begin() + static_cast<std::ptrdiff_t>(in.Position()));
            if (item.Width == 0) item.Width = ScreenWidth;
            if (item.Height == 0) item.Height = ScreenHeight;
            for (const TGifExtension& e : frame.Extensions) {
                if (e.Kind != TGifExtensionKind::GraphicControl || e.Fixed.size() < 6) continue;
                const std::uint8_t flags = e.Fixed[1];
                const int index = e.Fixed[4];
                frame.TransparentColor.reset();
                frame.TransparentIndex.reset();
                if ((flags & 1) && index < item.Table.Count) {
                    frame.TransparentColor = item.Table.Colors[static_cast<std::size_t>(index)].Color();
                    frame.TransparentIndex = index;
                }
                frame.DelayMs = std::max(frame.DelayMs, (e.Fixed[2] | e.Fixed[3] << 8) * 10);
                frame.Disposal = (flags >> 2) & 7;
            }
            corrupted_ = corrupted_ || frame.Corrupted;
            frames_.push_back(std::move(frame));
            SkipZeros(in);
            const std::uint8_t after = Peek(in);
            if (after != ExtensionIntroducer && after != ImageSeparator && after != Trailer) break;
        } else {
            if (!collected.empty() && data.Comment.empty()) {
                bool first = true;
                for (const TGifExtension& e : collected) {
                    if (e.Kind != TGifExtensionKind::Comment) continue;
                    if (!first) data.Comment.insert(data.Comment.end(), {"", ""});
                    data.Comment.insert(data.Comment.end(), e.Lines.begin(), e.Lines.end());
                    first = false;
                }
                collected.clear();
            } else if (next != 0 && next != Trailer) {
                throw EReadError(std::string(runtime_texts::ReadError));
            }
            break;
        }
    }
}

}  // namespace pictorand
