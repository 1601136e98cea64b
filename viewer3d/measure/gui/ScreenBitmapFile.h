// Saving a pane's picture (a window-layer bitmap) as a 24-bit bitmap file.
#pragma once

#include <string>

class wxBitmap;

namespace v3d {

// Writes the bitmap's pixels as a 24-bit uncompressed bitmap file (see BmpSave.h) through a
// temporary file renamed over the target on success; whether an existing file may be replaced is
// asked before. 1 when written; 0 for an invalid bitmap or any file error.
int SaveBitmapAsBmp(const wxBitmap& bitmap, const std::string& path);

} // namespace v3d
