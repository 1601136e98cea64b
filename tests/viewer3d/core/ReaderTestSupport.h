// Helpers of the 3D viewer core's tests: a scratch folder, byte writers for hand-built files,
// sample access by coordinates and the independent command-line tools.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace v3dtest {

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes);
void WriteText(const std::string& path, const std::string& text);

// Runs a shell command; its exit status.
int Shell(const std::string& command);
// The first installed program of the candidates, or empty.
std::string FindTool(std::initializer_list<const char*> candidates);
std::string ImageMagick();

// Sample of a viewer bitmap: x from the left, y from the top, plane 0 red / 1 green / 2 blue
// (ignored for 8- and 16-bit pixels).
int Sample(HDIB dib, int x, int y, int plane = 0);
int BitCount(HDIB dib);
int Width(HDIB dib);
int Height(HDIB dib);

// Byte builder for hand-made files, little-endian.
struct Bytes {
    std::vector<BYTE> b;
    Bytes& u8(int v) { return b.push_back(static_cast<BYTE>(v)), *this; }
    Bytes& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& text(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& zeros(size_t n) {
        b.insert(b.end(), n, 0);
        return *this;
    }
};

} // namespace v3dtest
