// inflate_floor FILE...: inflates the image data of each PNG with libdeflate and nothing
// else, the floor under any PNG reader's time. Prints the bytes inflated.
#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::uint32_t Be32(const std::uint8_t* p) { return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3]; }

}  // namespace

int main(int argc, char* argv[]) {
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    std::uint64_t total = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::uint8_t> data;
        std::uint64_t width = 0, height = 0, bits = 0;
        for (std::size_t at = 8; at + 12 <= file.size();) {
            const std::uint32_t length = Be32(&file[at]);
            if (at + 12 + length > file.size()) break;
            const std::uint8_t* type = &file[at + 4];
            const std::uint8_t* body = &file[at + 8];
            if (std::equal(type, type + 4, "IHDR") && length >= 13) {
                width = Be32(body), height = Be32(body + 4);
                const int samples[] = {1, 0, 3, 1, 2, 0, 4};
                bits = std::uint64_t{body[8]} * static_cast<std::uint64_t>(samples[body[9] % 7]);
            }
            if (std::equal(type, type + 4, "IDAT")) data.insert(data.end(), body, body + length);
            at += 12 + length;
        }
        // Room for every row and filter byte, and for the extra filter bytes of Adam7 passes.
        std::vector<std::uint8_t> out(height * ((width * bits + 7) / 8 + 1) + 8 * height + 64);
        std::size_t inflated = 0;
        if (libdeflate_zlib_decompress(decompressor, data.data(), data.size(), out.data(), out.size(), &inflated) != LIBDEFLATE_SUCCESS) {
            std::fprintf(stderr, "inflate_floor: %s does not inflate\n", argv[i]);
            return 1;
        }
        total += inflated;
    }
    libdeflate_free_decompressor(decompressor);
    std::printf("%llu bytes inflated\n", static_cast<unsigned long long>(total));
    return 0;
}
