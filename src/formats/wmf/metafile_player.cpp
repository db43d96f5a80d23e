// Playback of metafile records onto a raster: the drawing records a picture commonly
// uses (pens, brushes, lines, rectangles, ellipses, polygons and device-independent
// bitmaps). Text, regions, clipping and raster operations other than copying are
// skipped. Every count is checked against the record's size before it is used.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/bmp_file.h"
#include "graphics/byte_reader.h"
#include "graphics/exceptions.h"
#include "formats/wmf/metafile.h"
#include "formats/wmf/metafile_records.h"

namespace pictorand {

namespace {

constexpr std::size_t MaxObjects = 65535;
// The pixels the records may touch in all, as a multiple of the picture's pixels and at
// the most: real pictures paint their area a few times over; a file whose records each
// fill it again thousands of times is refused before it takes minutes.
constexpr std::int64_t WorkPerPixel = 256;
constexpr std::int64_t WorkAlways = std::int64_t{1} << 26;
constexpr std::int64_t WorkAtMost = std::int64_t{3} << 30;
constexpr std::string_view TooMuchWork = "Metafile is not valid: its records draw far more than its picture holds";

// Raised when the work runs out; unlike a damaged record, it ends the playback.
class EWorkExceeded : public EInvalidGraphic {
public:
    EWorkExceeded() : EInvalidGraphic(std::string(TooMuchWork)) {}
};
constexpr std::uint16_t PenStyleNull = 5;
constexpr std::uint16_t BrushStyleNull = 1;

struct TPoint {
    double X = 0;
    double Y = 0;
};

struct TGdiObject {
    enum class Kind { Pen, Brush, Other } kind = Kind::Other;
    bool visible = false;
    TColor color = clBlack;
};

using TRecordReader = TByteReader<EInvalidGraphic>;

class TPlayer {
public:
    // Maps the picture's bounds to width x height pixels with the top-left corner at (x, y).
    TPlayer(TBitmap& canvas, const TMetafile& metafile, int x, int y, int width, int height)
        : canvas_(canvas), originX_(x), originY_(y), width_(width), height_(height),
          workLeft_(std::min(WorkAtMost, WorkAlways + WorkPerPixel * std::int64_t{width} * height)) {
        const TMetafileBounds& b = metafile.Bounds();
        windowOrg_ = {static_cast<double>(b.Left), static_cast<double>(b.Top)};
        windowExt_ = {static_cast<double>(b.Right - b.Left), static_cast<double>(b.Bottom - b.Top)};
    }

    void Play(std::span<const std::uint8_t> records) {
        canvas_.FillRect({originX_, originY_, originX_ + width_, originY_ + height_}, clWhite);
        TRecordReader in(records, "Metafile is not valid");
        while (in.Remaining() >= 6) {
            const std::size_t start = in.Position();
            const std::uint32_t words = in.ReadU32LE();
            const std::uint16_t function = in.ReadU16LE();
            if (words < 3 || words > (records.size() - start) / 2) return;
            const auto params = records.subspan(start + 6, std::size_t{words} * 2 - 6);
            if (function == wmf::Eof) return;
            PlayRecord(function, params);
            in.Seek(start + std::size_t{words} * 2);
        }
    }

private:
    void PlayRecord(std::uint16_t function, std::span<const std::uint8_t> params) {
        TRecordReader p(params, "Metafile is not valid");
        auto s16 = [&] { return static_cast<double>(static_cast<std::int16_t>(p.ReadU16LE())); };
        // Point parameters are stored y first.
        auto point = [&] {
            const double y = s16();
            return TPoint{s16(), y};
        };
        try {
            switch (function) {
                case wmf::SetWindowOrg: windowOrg_ = point(); break;
                case wmf::SetWindowExt: {
                    const TPoint extent = point();
                    if (extent.X != 0 && extent.Y != 0) windowExt_ = extent;
                    break;
                }
                case wmf::SetPolyFillMode: windingFill_ = p.ReadU16LE() == 2; break;
                case wmf::CreatePenIndirect: {
                    const std::uint16_t style = p.ReadU16LE();
                    p.Skip(4);
                    AddObject({TGdiObject::Kind::Pen, (style & 0x0F) != PenStyleNull, ReadColor(p)});
                    break;
                }
                case wmf::CreateBrushIndirect: {
                    const std::uint16_t style = p.ReadU16LE();
                    AddObject({TGdiObject::Kind::Brush, style != BrushStyleNull, ReadColor(p)});
                    break;
                }
                case wmf::CreateFontIndirect:
                case wmf::CreatePalette:
                case wmf::CreatePatternBrush:
                case wmf::CreateRegion:
                case wmf::DibCreatePatternBrush: AddObject({}); break;
                case wmf::SelectObject: SelectObject(p.ReadU16LE()); break;
                case wmf::DeleteObject: {
                    const std::uint16_t index = p.ReadU16LE();
                    if (index < objects_.size()) objects_[index].reset();
                    break;
                }
                case wmf::MoveTo: position_ = point(); break;
                case wmf::LineTo: {
                    const TPoint to = point();
                    if (pen_.visible) Line(ToDevice(position_), ToDevice(to), pen_.color);
                    position_ = to;
                    break;
                }
                case wmf::Rectangle:
                case wmf::Ellipse: {
                    const double bottom = s16(), right = s16(), top = s16(), left = s16();
                    const TPoint a = ToDevice({left, top}), b = ToDevice({right, bottom});
                    if (function == wmf::Rectangle) {
                        FillPolygons({{a, {b.X, a.Y}, b, {a.X, b.Y}}});
                    } else {
                        Ellipse(a, b);
                    }
                    break;
                }
                case wmf::Polygon:
                case wmf::Polyline: {
                    const std::uint16_t count = p.ReadU16LE();
                    std::vector<TPoint> points = ReadPoints(p, count);
                    if (function == wmf::Polygon) {
                        FillPolygons({points});
                    } else if (pen_.visible) {
                        for (std::size_t i = 1; i < points.size(); ++i) Line(points[i - 1], points[i], pen_.color);
                    }
                    break;
                }
                case wmf::PolyPolygon: {
                    const std::uint16_t polygons = p.ReadU16LE();
                    std::vector<std::uint16_t> counts(polygons);
                    for (auto& c : counts) c = p.ReadU16LE();
                    std::vector<std::vector<TPoint>> shapes;
                    for (std::uint16_t c : counts) shapes.push_back(ReadPoints(p, c));
                    FillPolygons(shapes);
                    break;
                }
                case wmf::StretchDib: {
                    p.Skip(6);  // raster operation, colour usage
                    const double sh = s16(), sw = s16(), sy = s16(), sx = s16();
                    const double dh = s16(), dw = s16(), dy = s16(), dx = s16();
                    Blit(params.subspan(p.Position()), {sx, sy}, {sw, sh}, {dx, dy}, {dw, dh});
                    break;
                }
                case wmf::DibStretchBlt: {
                    if (params.size() <= 20) break;  // a pattern fill without a bitmap
                    p.Skip(4);
                    const double sh = s16(), sw = s16(), sy = s16(), sx = s16();
                    const double dh = s16(), dw = s16(), dy = s16(), dx = s16();
                    Blit(params.subspan(p.Position()), {sx, sy}, {sw, sh}, {dx, dy}, {dw, dh});
                    break;
                }
                case wmf::DibBitBlt: {
                    if (params.size() <= 18) break;
                    p.Skip(4);
                    const double sy = s16(), sx = s16(), h = s16(), w = s16(), dy = s16(), dx = s16();
                    Blit(params.subspan(p.Position()), {sx, sy}, {w, h}, {dx, dy}, {w, h});
                    break;
                }
                default: break;
            }
        } catch (const EWorkExceeded&) {
            throw;
        } catch (const EInvalidGraphic&) {
            // A record too short for its own parameters draws nothing.
        }
    }

    static TColor ReadColor(TRecordReader& p) { return p.ReadU32LE() & 0xFFFFFF; }

    std::vector<TPoint> ReadPoints(TRecordReader& p, std::uint16_t count) {
        if (std::size_t{count} * 4 > p.Remaining()) p.Fail();
        std::vector<TPoint> points;
        points.reserve(count);
        for (std::uint16_t i = 0; i < count; ++i) {
            const double x = static_cast<std::int16_t>(p.ReadU16LE());
            const double y = static_cast<std::int16_t>(p.ReadU16LE());
            points.push_back(ToDevice({x, y}));
        }
        return points;
    }

    void AddObject(TGdiObject object) {
        for (auto& slot : objects_) {
            if (!slot) {
                slot = object;
                return;
            }
        }
        if (objects_.size() < MaxObjects) objects_.push_back(object);
    }

    void SelectObject(std::uint16_t index) {
        if (index >= objects_.size() || !objects_[index]) return;
        const TGdiObject& object = *objects_[index];
        if (object.kind == TGdiObject::Kind::Pen) pen_ = object;
        if (object.kind == TGdiObject::Kind::Brush) brush_ = object;
    }

    TPoint ToDevice(TPoint logical) const {
        return {originX_ + (logical.X - windowOrg_.X) * width_ / windowExt_.X,
                originY_ + (logical.Y - windowOrg_.Y) * height_ / windowExt_.Y};
    }

    void Plot(int x, int y, TColor color) { canvas_.SetPixel(x, y, color); }

    // Counts work about to be done against what the picture's size allows.
    void Spend(std::int64_t work) {
        workLeft_ -= std::max<std::int64_t>(work, 1);
        if (workLeft_ < 0) throw EWorkExceeded();
    }

    void Line(TPoint from, TPoint to, TColor color) {
        const double length = std::max(std::abs(to.X - from.X), std::abs(to.Y - from.Y));
        const int steps = static_cast<int>(std::min(length, 1e6));
        Spend(steps);
        for (int i = 0; i <= steps; ++i) {
            const double t = steps == 0 ? 0 : static_cast<double>(i) / steps;
            Plot(static_cast<int>(std::floor(from.X + (to.X - from.X) * t)),
                 static_cast<int>(std::floor(from.Y + (to.Y - from.Y) * t)), color);
        }
    }

    // Scan-line fill of the interiors (pixel centres inside), then the outlines.
    void FillPolygons(const std::vector<std::vector<TPoint>>& shapes) {
        if (brush_.visible) {
            double top = 1e9, bottom = -1e9;
            for (const auto& shape : shapes)
                for (const TPoint& pt : shape) {
                    top = std::min(top, pt.Y);
                    bottom = std::max(bottom, pt.Y);
                }
            const int firstRow = std::max(0, static_cast<int>(std::floor(std::max(top, -1.0))));
            const int lastRow = std::min(canvas_.Height() - 1, static_cast<int>(std::ceil(std::min(bottom, 1e9))));
            std::size_t edges = 0;
            for (const auto& shape : shapes) edges += shape.size();
            for (int row = firstRow; row <= lastRow; ++row) {
                Spend(static_cast<std::int64_t>(edges));
                const double y = row + 0.5;
                std::vector<std::pair<double, int>> crossings;
                for (const auto& shape : shapes) {
                    for (std::size_t i = 0; i < shape.size(); ++i) {
                        const TPoint a = shape[i], b = shape[(i + 1) % shape.size()];
                        if ((a.Y <= y) == (b.Y <= y)) continue;
                        crossings.push_back({a.X + (y - a.Y) * (b.X - a.X) / (b.Y - a.Y), b.Y > a.Y ? 1 : -1});
                    }
                }
                std::sort(crossings.begin(), crossings.end());
                int winding = 0;
                for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
                    winding += crossings[i].second;
                    const bool inside = windingFill_ ? winding != 0 : (i % 2 == 0);
                    if (!inside) continue;
                    const int from = std::max(0, static_cast<int>(std::ceil(std::max(crossings[i].first, -1.0) - 0.5)));
                    const int to = std::min(canvas_.Width(), static_cast<int>(std::ceil(std::min(crossings[i + 1].first, 1e9) - 0.5)));
                    if (from >= to) continue;
                    Spend(to - from);
                    canvas_.FillRect({from, row, to, row + 1}, brush_.color);
                }
            }
        }
        if (pen_.visible) {
            for (const auto& shape : shapes)
                for (std::size_t i = 0; i < shape.size(); ++i) Line(shape[i], shape[(i + 1) % shape.size()], pen_.color);
        }
    }

    void Ellipse(TPoint a, TPoint b) {
        const double cx = (a.X + b.X) / 2, cy = (a.Y + b.Y) / 2;
        const double rx = std::abs(b.X - a.X) / 2, ry = std::abs(b.Y - a.Y) / 2;
        if (rx <= 0 || ry <= 0) return;
        std::vector<TPoint> outline;
        const int segments = static_cast<int>(std::clamp(4 * (rx + ry), 16.0, 4096.0));
        for (int i = 0; i < segments; ++i) {
            const double angle = 2 * M_PI * i / segments;
            outline.push_back({cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
        }
        FillPolygons({outline});
    }

    // Draws a device-independent bitmap (header, colour table, bits) from the source
    // rectangle into the destination rectangle, nearest pixel.
    void Blit(std::span<const std::uint8_t> dib, TPoint source, TPoint sourceSize, TPoint dest, TPoint destSize) {
        std::vector<std::uint8_t> file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        file.insert(file.end(), dib.begin(), dib.end());
        const TBmpSize size = ProbeBmp(file);
        Spend(std::int64_t{size.Width} * size.Height);
        const TBitmap picture = DecodeBmp(file);
        const TPoint a = ToDevice(dest);
        const TPoint b = ToDevice({dest.X + destSize.X, dest.Y + destSize.Y});
        const double left = std::min(a.X, b.X), right = std::max(a.X, b.X);
        const double top = std::min(a.Y, b.Y), bottom = std::max(a.Y, b.Y);
        if (right - left <= 0 || bottom - top <= 0) return;
        const int x0 = std::max(0, static_cast<int>(std::lround(left)));
        const int x1 = std::min(canvas_.Width(), static_cast<int>(std::lround(right)));
        const int y0 = std::max(0, static_cast<int>(std::lround(top)));
        const int y1 = std::min(canvas_.Height(), static_cast<int>(std::lround(bottom)));
        if (x0 < x1 && y0 < y1) Spend(std::int64_t{x1 - x0} * (y1 - y0));
        const bool flipX = (b.X < a.X) != (sourceSize.X < 0);
        const bool flipY = (b.Y < a.Y) != (sourceSize.Y < 0);
        for (int y = y0; y < y1; ++y) {
            double v = (y + 0.5 - top) / (bottom - top);
            if (flipY) v = 1 - v;
            const int sy = static_cast<int>(std::floor(source.Y + v * std::abs(sourceSize.Y)));
            for (int x = x0; x < x1; ++x) {
                double u = (x + 0.5 - left) / (right - left);
                if (flipX) u = 1 - u;
                const int sx = static_cast<int>(std::floor(source.X + u * std::abs(sourceSize.X)));
                if (sx >= 0 && sy >= 0 && sx < picture.Width() && sy < picture.Height()) Plot(x, y, picture.GetPixel(sx, sy));
            }
        }
    }

    TBitmap& canvas_;
    int originX_, originY_, width_, height_;
    TPoint windowOrg_, windowExt_{1, 1};
    TPoint position_;
    TGdiObject pen_{TGdiObject::Kind::Pen, true, clBlack};
    TGdiObject brush_{TGdiObject::Kind::Brush, true, clWhite};
    bool windingFill_ = false;
    std::int64_t workLeft_;
    std::vector<std::optional<TGdiObject>> objects_;
};

}  // namespace

void TMetafile::Draw(TBitmap& canvas, int x, int y) const {
    if (Empty()) return;
    TPlayer(canvas, *this, x, y, width_, height_).Play(records_);
}

void TMetafile::DrawAtSize(TBitmap& canvas, int width, int height) const {
    if (Empty()) return;
    TPlayer(canvas, *this, 0, 0, width, height).Play(records_);
}

}  // namespace pictorand
