// Plain driver for the fuzz targets where libFuzzer is not available: replays every file
// of the corpus folders given, then a fixed number of deterministic mutations of them,
// so a CI run takes a short and repeatable time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::vector<std::uint8_t>> corpus;
    long mutations = 2000;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--mutations=", 0) == 0) {
            mutations = std::strtol(arg.c_str() + 12, nullptr, 10);
            continue;
        }
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg)) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
        } else {
            files.emplace_back(arg);
        }
        std::sort(files.begin(), files.end());
        for (const auto& path : files) {
            std::ifstream in(path, std::ios::binary);
            corpus.emplace_back(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
        }
    }
    if (corpus.empty()) {
        std::cerr << "usage: " << argv[0] << " CORPUS_DIR... [--mutations=N]\n";
        return 2;
    }
    for (const auto& input : corpus) LLVMFuzzerTestOneInput(input.data(), input.size());
    std::mt19937 random(12345);
    for (long n = 0; n < mutations; ++n) {
        std::vector<std::uint8_t> input = corpus[random() % corpus.size()];
        int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !input.empty(); ++e) {
            std::size_t at = random() % input.size();
            switch (random() % 4) {
                case 0:
                    input[at] = static_cast<std::uint8_t>(random());
                    break;
                case 1:
                    input[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
                    break;
                case 2:
                    input.resize(at + 1);
                    break;
                default:
                    input[at] = static_cast<std::uint8_t>(random() % 2 == 0 ? 0xFF : 0x00);
                    break;
            }
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::cout << "replayed " << corpus.size() << " inputs and " << mutations << " mutations\n";
    return 0;
}
