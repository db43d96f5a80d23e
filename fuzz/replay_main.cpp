// Replays files and folders (recursively) through a fuzz target without libFuzzer, so a
// sanitizer build checks every seed and regression file.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {
// Files larger than this are seeds for nothing the targets do quickly.
constexpr std::uintmax_t MaxReplayBytes = 8u << 20;

void Replay(const std::filesystem::path& file, int& count) {
    std::error_code error;
    if (std::filesystem::file_size(file, error) > MaxReplayBytes || error) return;
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    ++count;
}
}  // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) Replay(entry.path(), count);
            }
        } else if (std::filesystem::is_regular_file(path)) {
            Replay(path, count);
        }
    }
    std::printf("%s: replayed %d files\n", argv[0], count);
    return 0;
}
