// Image files for the browser's tests: flat-coloured BMP and JPEG files, made with the program's
// own writers, and a cache folder set for the time of a test.
#pragma once

#include "platform/WinTypes.h"

#include <string>

// A w x h image of one colour: 24-bit (r, g, b) or, with grey, 8-bit grey level r. The format
// follows the extension of path. Returns path.
std::string WriteFlatImage(const std::string& path, int w, int h, int r, int g, int b, bool grey = false);

// Sets the last-write time of a file to seconds since 1970.
void SetWriteTime(const std::string& path, long long seconds);

// Points the thumbnail cache at a folder and back to the previous one when it ends.
class CacheFolderScope {
public:
    explicit CacheFolderScope(const std::string& folder);
    ~CacheFolderScope();

private:
    std::string previous_;
};

// A w x h 16-bit grey TIFF (type 6).
std::string WriteGrey16Tiff(const std::string& path, int w, int h);
