// Function numbers of the Windows metafile records this program plays or writes.
#pragma once

#include <cstdint>

namespace pictorand::wmf {

inline constexpr std::uint16_t Eof = 0x0000;
inline constexpr std::uint16_t SetMapMode = 0x0103;
inline constexpr std::uint16_t SetPolyFillMode = 0x0106;
inline constexpr std::uint16_t SetWindowOrg = 0x020B;
inline constexpr std::uint16_t SetWindowExt = 0x020C;
inline constexpr std::uint16_t LineTo = 0x0213;
inline constexpr std::uint16_t MoveTo = 0x0214;
inline constexpr std::uint16_t SelectObject = 0x012D;
inline constexpr std::uint16_t DeleteObject = 0x01F0;
inline constexpr std::uint16_t CreatePenIndirect = 0x02FA;
inline constexpr std::uint16_t CreateFontIndirect = 0x02FB;
inline constexpr std::uint16_t CreateBrushIndirect = 0x02FC;
inline constexpr std::uint16_t CreatePalette = 0x00F7;
inline constexpr std::uint16_t CreatePatternBrush = 0x01F9;
inline constexpr std::uint16_t CreateRegion = 0x06FF;
inline constexpr std::uint16_t DibCreatePatternBrush = 0x0142;
inline constexpr std::uint16_t Ellipse = 0x0418;
inline constexpr std::uint16_t Rectangle = 0x041B;
inline constexpr std::uint16_t Polygon = 0x0324;
inline constexpr std::uint16_t Polyline = 0x0325;
inline constexpr std::uint16_t PolyPolygon = 0x0538;
inline constexpr std::uint16_t DibBitBlt = 0x0940;
inline constexpr std::uint16_t DibStretchBlt = 0x0B41;
inline constexpr std::uint16_t StretchDib = 0x0F43;

inline constexpr std::uint16_t MapModeAnisotropic = 8;
inline constexpr std::uint32_t SourceCopy = 0x00CC0020;

}  // namespace pictorand::wmf
