// Writes data sets of the 3D viewer's formats, byte by byte from their layouts: the hand-over
// record, the .vv3 file, the document file (through the document writer), integer text and an
// uncompressed 24-bit BMP. The picture is a colour ramp, the heights a smooth bump.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brxsample {

std::vector<uint8_t> Record(int w, int h, double pitch);
std::vector<uint8_t> Vv3File(int w, int h, double pitch);
std::vector<uint8_t> TextFile(int w, int h);
std::vector<uint8_t> BmpFile(int w, int h);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The document file of the record's data set; false when it could not be written.
bool WriteTdv(const std::string& path, int w, int h, double pitch);

} // namespace brxsample
