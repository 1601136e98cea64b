// Height sets for the programs' tests: a ".vv3" file as the result window saves it, or the block
// of the result window's hand-over to the 3D viewer.
#pragma once

#include <string>
#include <vector>

namespace programstest {

// w x h heights with a grey texture; file: the ".vv3" file, else the hand-over's block.
std::vector<unsigned char> Heights(int w, int h, bool file);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace programstest
