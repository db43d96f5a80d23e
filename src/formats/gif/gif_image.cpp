#include "formats/gif/gif_image.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "graphics/byte_reader.h"
#include "graphics/exceptions.h"
#include "graphics/pixel_access.h"
#include "graphics/raster_limits.h"
#include "formats/gif/gif_lzw.h"
#include "formats/gif/gif_palette.h"

namespace pictorand {

namespace {

constexpr std::string_view UnknownVersion = "Unknown GIF version";
constexpr std::string_view EncodingError = "GIF image encoding error";
constexpr std::string_view WrongColorCount = "Wrong number of colors; must be a power of 2";
constexpr std::string_view UnrecognizedExtension = "Unrecognized extension block: %s";
constexpr std::string_view NoData = "No GIF Data to write";
constexpr std::string_view CannotResize = "Cannot change the Size of a GIF image";
constexpr std::string_view TooLargeForData = "GIF image is too large for its data";
constexpr std::size_t MaxGifBytes = std::size_t{1} << 30;
// The most pixels one byte of LZW data can yield, which bounds a frame's raster.
constexpr std::int64_t MaxPixelsPerDataByte = 4096;
constexpr std::uint8_t FillerGrey = 128;

constexpr std::uint8_t ExtensionIntroducer = 0x21, ImageSeparator = 0x2C, Trailer = 0x3B;
constexpr std::uint8_t LabelGraphicControl = 0xF9, LabelComment = 0xFE, LabelPlainText = 0x01, LabelApplication = 0xFF;

using TGifReader = TByteReader<EReadError>;

[[noreturn]] void Fail(std::string_view message) { throw EInvalidGraphicOperation(std::string(message)); }

int Log2(int count) {
    for (int n = 1; n <= 8; ++n)
        if ((1 << n) == count) return n;
    Fail(WrongColorCount);
}

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

void PutU16(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

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

TGIFFrame::TGIFFrame(const TGIFFrame& other)
    : Item(other.Item), Bitmap(other.Bitmap ? std::make_unique<TBitmap>(*other.Bitmap) : nullptr), Extensions(other.Extensions),
      Left(other.Left), Top(other.Top), Interlaced(other.Interlaced), Corrupted(other.Corrupted), HasLocalTable(other.HasLocalTable),
      TransparentColor(other.TransparentColor), DelayMs(other.DelayMs), Disposal(other.Disposal) {}

TGIFFrame& TGIFFrame::operator=(const TGIFFrame& other) {
    if (this != &other) *this = TGIFFrame(other);
    return *this;
}

int TGIFImage::Width() const {
    if (FrameIndex < 0 || static_cast<std::size_t>(FrameIndex) >= frames_.size()) return 0;
    const TGIFFrame& frame = frames_[static_cast<std::size_t>(FrameIndex)];
    return frame.Bitmap ? frame.Bitmap->Width() : frame.Item->Width;
}

int TGIFImage::Height() const {
    if (FrameIndex < 0 || static_cast<std::size_t>(FrameIndex) >= frames_.size()) return 0;
    const TGIFFrame& frame = frames_[static_cast<std::size_t>(FrameIndex)];
    return frame.Bitmap ? frame.Bitmap->Height() : frame.Item->Height;
}

bool TGIFImage::Empty() const { return frames_.empty(); }

void TGIFImage::SetWidth(int) { Fail(CannotResize); }
void TGIFImage::SetHeight(int) { Fail(CannotResize); }

void TGIFImage::Reset() {
    data_.Detach();
    frames_.clear();
    FrameIndex = -1;
    Version = 0;
    ScreenWidth = ScreenHeight = 0;
    BackgroundColor.reset();
    Looping = false;
    RepeatCount = 1;
    corrupted_ = false;
}

void TGIFImage::LoadFromStream(TStream& stream) {
    Reset();
    const TByteBuffer bytes = stream.ReadRemaining(MaxGifBytes);
    if (bytes.empty()) return;
    Parse(bytes);
    if (frames_.empty()) return;
    FrameIndex = 0;
    try {
        DecodeFrame(frames_.front());
    } catch (...) {
        frames_.erase(frames_.begin());
        FrameIndex = frames_.empty() ? -1 : 0;
        throw;
    }
}

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
                default: {
                    char hex[3];
                    std::snprintf(hex, sizeof hex, "%.2x", label);
                    Fail(FormatMessage(UnrecognizedExtension, hex));
                }
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
                if ((flags & 1) && index < item.Table.Count) frame.TransparentColor = item.Table.Colors[static_cast<std::size_t>(index)].Color();
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
                throw EReadError(std::string(messages::ReadError));
            }
            break;
        }
    }
}

void TGIFImage::DecodeFrame(TGIFFrame& frame) const {
    if (frame.Bitmap) return;
    const TGIFItem& item = *frame.Item;
    int bits;
    if (item.Bits == 1) bits = 1;
    else if (item.Bits >= 2 && item.Bits <= 4) bits = 4;
    else if (item.Bits >= 5 && item.Bits <= 8) bits = 8;
    else Fail(WrongColorCount);

    const std::int64_t pixels = std::int64_t{item.Width} * item.Height;
    if (pixels > (static_cast<std::int64_t>(item.Encoded.size()) + 16) * MaxPixelsPerDataByte) Fail(TooLargeForData);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(bits == 1 ? TPixelFormat::pf1bit : bits == 4 ? TPixelFormat::pf4bit : TPixelFormat::pf8bit);
    TPalette palette(std::size_t{1} << bits, TRGBQuad{FillerGrey, FillerGrey, FillerGrey, 0});
    for (int i = 0; i < item.Table.Count && i < static_cast<int>(palette.size()); ++i) palette[static_cast<std::size_t>(i)] = item.Table.Colors[static_cast<std::size_t>(i)];
    bitmap->SetPalette(std::move(palette));
    bitmap->SetSize(item.Width, item.Height);

    std::vector<std::uint8_t> indexes(static_cast<std::size_t>(pixels), 0);
    if (DecodeGifLzw(item.Encoded, indexes).Corrupted) frame.Corrupted = true;
    const std::uint32_t mask = (1u << item.Bits) - 1;
    // Interlaced frames store rows 0, 8, 16, ..., then 4, 12, ..., then 2, 6, ..., then 1, 3, ...
    constexpr int Passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    std::size_t at = 0;
    auto storeRow = [&](int y) {
        std::uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < item.Width; ++x) WriteIndexPixel(row, x, bits, indexes[at++] & mask);
    };
    if (frame.Interlaced) {
        for (const auto& pass : Passes)
            for (int y = pass[0]; y < item.Height; y += pass[1]) storeRow(y);
    } else {
        for (int y = 0; y < item.Height; ++y) storeRow(y);
    }
    frame.Bitmap = std::move(bitmap);
}

void TGIFImage::AssignTo(TGraphic& dest) const {
    auto* bitmap = dynamic_cast<TBitmap*>(&dest);
    if (!bitmap) {
        TGraphic::AssignTo(dest);
        return;
    }
    if (FrameIndex < 0 || static_cast<std::size_t>(FrameIndex) >= frames_.size()) {
        bitmap->Assign(TBitmap());
        return;
    }
    TGIFFrame& frame = const_cast<TGIFFrame&>(frames_[static_cast<std::size_t>(FrameIndex)]);
    DecodeFrame(frame);
    bitmap->Assign(*frame.Bitmap);
    if (frame.TransparentColor) {
        const TPalette& palette = bitmap->Palette();
        const TColor shown = IsIndexed(bitmap->PixelFormat()) && !palette.empty()
                                 ? palette[NearestPaletteIndex(palette, *frame.TransparentColor)].Color()
                                 : *frame.TransparentColor;
        bitmap->SetTransparentColor(shown);
        bitmap->SetTransparent(true);
    }
}

void TGIFImage::Assign(const TGraphic& source) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        Reset();
        TGIFFrame frame;
        if (!bitmap->Empty()) {
            frame.Bitmap = std::make_unique<TBitmap>(*bitmap);
            frame.Bitmap->OnProgress = nullptr;
            if (bitmap->Transparent()) frame.TransparentColor = bitmap->TransparentColor();
        }
        frames_.push_back(std::move(frame));
        FrameIndex = 0;
        Version = 1;
        UpdateScreenSize();
        return;
    }
    if (const auto* gif = dynamic_cast<const TGIFImage*>(&source)) {
        if (gif == this) return;
        data_.ShareWith(gif->data_);
        Version = gif->Version;
        BackgroundColor = gif->BackgroundColor;
        Looping = gif->Looping;
        RepeatCount = gif->RepeatCount;
        corrupted_ = gif->corrupted_;
        ScreenWidth = gif->ScreenWidth;
        ScreenHeight = gif->ScreenHeight;
        FrameIndex = gif->FrameIndex;
        frames_ = gif->frames_;
        return;
    }
    TGraphic::Assign(source);
}

void TGIFImage::UpdateScreenSize() {
    ScreenWidth = ScreenHeight = 0;
    for (const TGIFFrame& f : frames_) {
        const int w = f.Bitmap ? f.Bitmap->Width() : f.Item->Width, h = f.Bitmap ? f.Bitmap->Height() : f.Item->Height;
        ScreenWidth = std::max(ScreenWidth, f.Left + w);
        ScreenHeight = std::max(ScreenHeight, f.Top + h);
    }
}

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
    PutU16(out, ScreenWidth);
    PutU16(out, ScreenHeight);
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
        PutU16(out, frame.Left);
        PutU16(out, frame.Top);
        PutU16(out, item.Width);
        PutU16(out, item.Height);
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
