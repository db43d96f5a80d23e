// Builds small DNG files for the camera raw tests: a Bayer mosaic (RGGB, 16 bits, linear)
// of a picture, from a camera whose colour is sRGB's own, under daylight.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/bitmap.h"

namespace pictorand::testing {

class TDngBuilder {
public:
    // Orientation is the TIFF tag's value, 1 to 8.
    static std::vector<std::uint8_t> Build(const TBitmap& picture, int orientation = 1) {
        TDngBuilder dng;
        return dng.Make(picture, orientation);
    }

private:
    enum TType : std::uint16_t { Byte = 1, Ascii = 2, Short = 3, Long = 4, Rational = 5, SRational = 10 };
    struct TEntry {
        std::uint16_t Tag;
        TType Type;
        std::uint32_t Count;
        std::vector<std::uint8_t> Data;  // the values, little-endian
    };

    static void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    static void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
        Put16(out, v & 0xFFFF);
        Put16(out, v >> 16);
    }
    void Shorts(std::uint16_t tag, std::vector<std::uint32_t> values) {
        std::vector<std::uint8_t> data;
        for (std::uint32_t v : values) Put16(data, v);
        entries_.push_back({tag, Short, static_cast<std::uint32_t>(values.size()), data});
    }
    void Longs(std::uint16_t tag, std::vector<std::uint32_t> values) {
        std::vector<std::uint8_t> data;
        for (std::uint32_t v : values) Put32(data, v);
        entries_.push_back({tag, Long, static_cast<std::uint32_t>(values.size()), data});
    }
    void Bytes(std::uint16_t tag, std::vector<std::uint8_t> values) {
        entries_.push_back({tag, Byte, static_cast<std::uint32_t>(values.size()), values});
    }
    void Text(std::uint16_t tag, const std::string& text) {
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        entries_.push_back({tag, Ascii, static_cast<std::uint32_t>(data.size()), data});
    }
    void Fractions(std::uint16_t tag, TType type, std::vector<double> values) {
        std::vector<std::uint8_t> data;
        for (double v : values) {
            Put32(data, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * 10000))));
            Put32(data, 10000);
        }
        entries_.push_back({tag, type, static_cast<std::uint32_t>(values.size()), data});
    }

    std::vector<std::uint8_t> Make(const TBitmap& picture, int orientation) {
        const int width = picture.Width(), height = picture.Height();
        // The mosaic: each photosite the linear light of its colour, from the sRGB picture.
        std::vector<std::uint8_t> mosaic;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const TColor c = picture.GetPixel(x, y);
                const int channel = (y % 2) + (x % 2);  // 0 red, 1 green, 2 blue
                const double v = static_cast<double>(c >> (8 * channel) & 255) / 255;
                const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
                Put16(mosaic, static_cast<std::uint32_t>(std::lround(linear * 65535)));
            }
        Longs(254, {0});
        Longs(256, {static_cast<std::uint32_t>(width)});
        Longs(257, {static_cast<std::uint32_t>(height)});
        Shorts(258, {16});
        Shorts(259, {1});
        Shorts(262, {32803});  // a colour filter array
        Text(271, "Pictorand");
        Text(272, "Test Camera");
        Longs(273, {0});  // the strip's offset, set below
        Shorts(274, {static_cast<std::uint32_t>(orientation)});
        Shorts(277, {1});
        Longs(278, {static_cast<std::uint32_t>(height)});
        Longs(279, {static_cast<std::uint32_t>(mosaic.size())});
        Shorts(284, {1});
        Shorts(33421, {2, 2});
        Bytes(33422, {0, 1, 1, 2});
        Bytes(50706, {1, 4, 0, 0});
        Text(50708, "Pictorand Test Camera");
        Longs(50717, {65535});
        // XYZ to the camera's colour: the camera sees linear sRGB.
        Fractions(50721, SRational, {3.2406, -1.5372, -0.4986, -0.9689, 1.8758, 0.0415, 0.0557, -0.2040, 1.0570});
        Fractions(50728, Rational, {1, 1, 1});
        Shorts(50778, {21});  // D65

        // Header, the directory, then the values that do not fit an entry, then the strip.
        std::vector<std::uint8_t> out = {'I', 'I', 42, 0};
        Put32(out, 8);
        const std::uint32_t directoryBytes = 2 + 12 * static_cast<std::uint32_t>(entries_.size()) + 4;
        std::uint32_t extraAt = 8 + directoryBytes;
        std::vector<std::uint8_t> extra;
        for (const TEntry& e : entries_)
            if (e.Data.size() > 4) extra.insert(extra.end(), e.Data.begin(), e.Data.end()), extra.resize((extra.size() + 1) & ~std::size_t{1});
        const auto stripAt = static_cast<std::uint32_t>(extraAt + extra.size());
        Put16(out, static_cast<std::uint32_t>(entries_.size()));
        for (TEntry& e : entries_) {
            if (e.Tag == 273) e.Data = {static_cast<std::uint8_t>(stripAt), static_cast<std::uint8_t>(stripAt >> 8),
                                        static_cast<std::uint8_t>(stripAt >> 16), static_cast<std::uint8_t>(stripAt >> 24)};
            Put16(out, e.Tag);
            Put16(out, e.Type);
            Put32(out, e.Count);
            if (e.Data.size() <= 4) {
                std::vector<std::uint8_t> inline4 = e.Data;
                inline4.resize(4, 0);
                out.insert(out.end(), inline4.begin(), inline4.end());
            } else {
                Put32(out, extraAt);
                extraAt += static_cast<std::uint32_t>((e.Data.size() + 1) & ~std::size_t{1});
            }
        }
        Put32(out, 0);
        out.insert(out.end(), extra.begin(), extra.end());
        out.insert(out.end(), mosaic.begin(), mosaic.end());
        return out;
    }

    std::vector<TEntry> entries_;
};

}  // namespace pictorand::testing
