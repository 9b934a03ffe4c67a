// Readers for the generated data files, shared by the asset tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace asset_test {

struct Picture {
    int w = 0, h = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * size_t(w) + size_t(x)) * 4]; }
    // Alpha as the game sees it: opaque pure white is keyed out to nothing.
    int alpha(int x, int y) const {
        const std::uint8_t* p = at(x, y);
        if (p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255) return 0;
        return p[3];
    }
};

// Empty picture (w == 0) when the file cannot be read as PNG.
Picture read_png(const std::string& path);

std::string read_file(const std::string& path);

inline std::string source_path(const std::string& relative) { return std::string(POKOMARU_SOURCE_DIR) + "/" + relative; }

}  // namespace asset_test
