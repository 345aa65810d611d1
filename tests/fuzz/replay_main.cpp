// Replays fuzz inputs through a target without the fuzzer: every file named on the command
// line, or every file of every directory named there. Exits 1 when a directory is empty.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg = fs::path(fuzz_start_dir()) / argv[i];
        if (!fs::is_directory(arg)) {
            inputs.push_back(arg);
            continue;
        }
        size_t found = 0;
        for (const auto& entry : fs::directory_iterator(arg))
            if (entry.is_regular_file()) {
                inputs.push_back(entry.path());
                ++found;
            }
        if (found == 0) {
            std::fprintf(stderr, "no input in %s\n", arg.string().c_str());
            return 1;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        std::fprintf(stderr, "%s\n", input.filename().string().c_str());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
