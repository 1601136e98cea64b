#include "HeightFiles.h"

#include <cstring>
#include <fstream>

namespace programstest {

namespace {
void put(std::vector<unsigned char>& b, size_t at, const void* value, size_t n) {
    std::memcpy(b.data() + at, value, n); // the build machines are little-endian, as the formats
}
} // namespace

std::vector<unsigned char> Heights(int w, int h, bool file) {
    const size_t n = size_t(w) * size_t(h);
    const size_t head = file ? 1440 : 16;
    std::vector<unsigned char> b(head + (file ? 12 : 8) * n, 0);
    const double pitch = 0.5;
    put(b, 0, &w, 4);
    put(b, 4, &h, 4);
    put(b, file ? 848 : 8, &pitch, 8);
    for (size_t i = 0; i < n; ++i) {
        std::memset(b.data() + head + 4 * i, int(i % 200), 4);
        const float z = float(i % 7);
        put(b, head + 4 * n + 4 * i, &z, 4);
        if (file)
            put(b, head + 8 * n + 4 * i, &z, 4);
    }
    return b;
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

} // namespace programstest
