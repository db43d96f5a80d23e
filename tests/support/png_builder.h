// Builds PNG files chunk by chunk for reader tests, with right or wrong CRCs, so that a
// malformed file is one line of a test.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <iterator>
#include <string_view>
#include <vector>

namespace pictorand::testing {

class TPngBuilder {
public:
    enum class TCrc { Right, Wrong };

    // The chunk as written: length, type, data and the CRC over type and data.
    TPngBuilder& Chunk(std::string_view type, const std::vector<std::uint8_t>& data, TCrc crc = TCrc::Right) {
        Put32(static_cast<std::uint32_t>(data.size()));
        const std::size_t typeAt = bytes_.size();
        bytes_.insert(bytes_.end(), type.begin(), type.end());
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        auto sum = static_cast<std::uint32_t>(crc32(0, bytes_.data() + typeAt, static_cast<uInt>(bytes_.size() - typeAt)));
        if (crc == TCrc::Wrong) sum ^= 1;
        Put32(sum);
        return *this;
    }
    TPngBuilder& Header(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colorType,
                        TCrc crc = TCrc::Right) {
        std::vector<std::uint8_t> data;
        for (std::uint32_t v : {width, height})
            for (int shift : {24, 16, 8, 0}) data.push_back(static_cast<std::uint8_t>(v >> shift));
        data.insert(data.end(), {depth, colorType, 0, 0, 0});
        return Chunk("IHDR", data, crc);
    }
    // Rows, each beginning with its filter byte, compressed into one IDAT chunk.
    TPngBuilder& ImageData(const std::vector<std::uint8_t>& rows) {
        std::vector<std::uint8_t> packed(compressBound(static_cast<uLong>(rows.size())));
        uLongf size = static_cast<uLongf>(packed.size());
        compress(packed.data(), &size, rows.data(), static_cast<uLong>(rows.size()));
        packed.resize(size);
        return Chunk("IDAT", packed);
    }
    // An iCCP chunk embedding the profile.
    TPngBuilder& Profile(const std::vector<std::uint8_t>& profile) {
        std::vector<std::uint8_t> data = {'i', 'c', 'c', 0, 0};
        std::vector<std::uint8_t> packed(compressBound(static_cast<uLong>(profile.size())));
        uLongf size = static_cast<uLongf>(packed.size());
        compress(packed.data(), &size, profile.data(), static_cast<uLong>(profile.size()));
        data.insert(data.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(size));
        return Chunk("iCCP", data);
    }
    TPngBuilder& End() { return Chunk("IEND", {}); }

    std::vector<std::uint8_t> Build() const { return bytes_; }

private:
    void Put32(std::uint32_t v) {
        for (int shift : {24, 16, 8, 0}) bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
    }

    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> bytes_ = std::vector<std::uint8_t>(std::begin(kSignature), std::end(kSignature));
};

// A grey picture whose stored rows (filter byte and samples) take more than the bound
// of inflating whole: 20000 x 13500, level 1, rows deflated one by one.
inline std::vector<std::uint8_t> PngTooLargeToInflateWhole() {
    constexpr std::uint32_t Width = 20000, Height = 13500;
    std::vector<std::uint8_t> packed;
    z_stream z{};
    deflateInit(&z, 1);
    std::vector<std::uint8_t> row(Width + 1), out(1 << 20);
    for (std::uint32_t y = 0; y < Height; ++y) {
        row[0] = static_cast<std::uint8_t>(y % 5);  // every filter in turn
        for (std::uint32_t x = 0; x < Width; ++x) row[1 + x] = static_cast<std::uint8_t>((x / 97 + y / 13 + (x * y) % 7) & 255);
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == Height ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            packed.insert(packed.end(), out.data(), out.data() + (out.size() - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return TPngBuilder().Header(Width, Height, 8, 0).Chunk("IDAT", packed).End().Build();
}

}  // namespace pictorand::testing
