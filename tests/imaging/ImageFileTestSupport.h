// Helpers of the image-file tests: a scratch folder, bitmaps with known pixels, bitmap
// comparison, raw file access and the independent command-line tools.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"
#include "tests/support/ScratchFolder.h"

#include <string>
#include <vector>

namespace imgtest {

// The tests' scratch folder, with the image tests' way of naming a file in it.
class ScratchDir : public ScratchFolder {
public:
    ScratchDir() : ScratchFolder("vt-img") {}
    using ScratchFolder::Path;
    std::string Path(const std::string& name) const { return *this / name; }
};

// A bitmap of a kind (0 grey 8, 1 rgb 24, 3 grey 16, 4 rgb 48) whose samples follow a
// pattern that differs in every row, column and plane, limited to `bits` per sample.
HDIB MakePatternDib(int width, int height, int kind, int bits = 16);
// An 8-bit bitmap with a colour table that is not a grey ramp.
HDIB MakePaletteDib(int width, int height);

// Whether two bitmaps have the same size, depth, colour table and rows.
::testing::AssertionResult SameBitmap(HDIB a, HDIB b);
// Sample (x from the left, y from the top, plane 0 red / 1 green / 2 blue) of a bitmap.
int Sample(HDIB dib, int x, int y, int plane);

std::vector<BYTE> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes);
bool Exists(const std::string& path);

// Runs a shell command; returns its exit status and puts its standard output in `out`.
int Shell(const std::string& command, std::string* out = nullptr);
// The path of an installed program among the candidates, or empty.
std::string FindTool(std::initializer_list<const char*> candidates);
std::string ImageMagick();

// A BMP file built field by field, for crafted headers.
struct BmpFields {
    int headerSize = 40;
    int width = 4;
    int height = 3;
    int bitCount = 24;
    DWORD compression = 0;
    DWORD clrUsed = 0;
    int64_t offBitsDelta = 0; // added to the natural bfOffBits
    int64_t rowBytesDelta = 0; // added to the natural size of the rows present
    bool overrideOffBits = false;
    DWORD offBits = 0;
};
std::vector<BYTE> MakeBmp(const BmpFields& params);

// A colour JPEG of mid-grey pixels made by the codec itself, baseline or progressive.
std::vector<BYTE> MakeJpeg(int width, int height, bool progressive);

// Makes the image readers see `bytes` of available memory for the lifetime of the object, so
// that what they refuse does not depend on the machine.
class AvailableMemoryScope {
public:
    explicit AvailableMemoryScope(uint64_t bytes);
    ~AvailableMemoryScope();
    AvailableMemoryScope(const AvailableMemoryScope&) = delete;
    AvailableMemoryScope& operator=(const AvailableMemoryScope&) = delete;

private:
    uint64_t (*previous_)();
    uint64_t previousBytes_;
};

} // namespace imgtest
