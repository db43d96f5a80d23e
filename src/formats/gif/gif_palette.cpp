#include "formats/gif/gif_palette.h"

#include <limits>
#include <unordered_map>
#include <vector>

namespace pictorand {

namespace {

constexpr std::size_t MaxHistogramColors = 2049;
constexpr std::size_t PaletteSize = 256;
constexpr std::uint8_t FillerGrey = 128;

struct TEntry {
    std::uint8_t Red, Green, Blue;
    std::uint32_t Count;
    int Index = -1;
};

std::uint32_t Key(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return std::uint32_t{r} << 16 | g << 8 | b; }

// Counts the masked colours in scan order (bottom row up, left to right); answers
// false when more than the table holds.
bool Count(const TBitmap& image, const std::uint8_t mask[3], std::vector<TEntry>& entries,
           std::unordered_map<std::uint32_t, std::size_t>& lookup) {
    entries.clear();
    lookup.clear();
    for (int y = image.Height() - 1; y >= 0; --y) {
        const std::uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint8_t b = row[3 * x] & mask[2], g = row[3 * x + 1] & mask[1], r = row[3 * x + 2] & mask[0];
            auto [it, added] = lookup.try_emplace(Key(r, g, b), entries.size());
            if (added) {
                if (entries.size() == MaxHistogramColors) return false;
                entries.push_back({r, g, b, 0});
            }
            ++entries[it->second].Count;
        }
    }
    return true;
}

}  // namespace

TBitmap ReduceToPalette(const TBitmap& bitmap) {
    TBitmap image = bitmap;
    image.SetPixelFormat(TPixelFormat::pf24bit);

    // Masks shorten one low bit at a time, in the order blue, red, green, ...
    std::uint8_t mask[3] = {255, 255, 255};  // red, green, blue
    std::vector<TEntry> entries;
    std::unordered_map<std::uint32_t, std::size_t> lookup;
    while (!Count(image, mask, entries, lookup)) {
        std::uint8_t& shortened = mask[0] < mask[1] ? mask[1] : mask[2] < mask[0] ? mask[0] : mask[2];
        shortened = static_cast<std::uint8_t>(shortened << 1);
    }

    TPalette palette(PaletteSize, TRGBQuad{FillerGrey, FillerGrey, FillerGrey, 0});
    std::vector<std::uint32_t> counts(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) counts[i] = entries[i].Count;
    for (std::size_t slot = 0; slot < PaletteSize; ++slot) {
        std::size_t best = entries.size();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (counts[i] > 0 && (best == entries.size() || counts[i] > counts[best])) best = i;
        }
        if (best == entries.size()) break;
        counts[best] = 0;
        entries[best].Index = static_cast<int>(slot);
        palette[slot] = {entries[best].Blue, entries[best].Green, entries[best].Red, 0};
    }
    for (TEntry& e : entries) {
        if (e.Index >= 0) continue;
        int bestDistance = std::numeric_limits<int>::max();
        for (std::size_t slot = 0; slot < PaletteSize; ++slot) {
            const int dr = palette[slot].Red - e.Red, dg = palette[slot].Green - e.Green, db = palette[slot].Blue - e.Blue;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                e.Index = static_cast<int>(slot);
            }
        }
    }

    TBitmap result;
    result.SetPixelFormat(TPixelFormat::pf8bit);
    result.SetPalette(palette);
    result.SetSize(image.Width(), image.Height());
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* in = image.ScanLine(y);
        std::uint8_t* out = result.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x) {
            const std::uint32_t key = Key(in[3 * x + 2] & mask[0], in[3 * x + 1] & mask[1], in[3 * x] & mask[2]);
            out[x] = static_cast<std::uint8_t>(entries[lookup.at(key)].Index);
        }
    }
    return result;
}

}  // namespace pictorand
