// The 3D viewer's integer text reader: the first two bytes choose depth, separator and size.
#include "FuzzSupport.h"

#include "platform/File.h"
#include "viewer3d/core/files/ImageReaders.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int depth = data[0] & 3;
    const bool comma = (data[0] & 4) != 0;
    const int width = 1 + (data[1] & 0x1F), height = 1 + (data[1] >> 5) * 4;
    CMemFile f(data + 2, size - 2);
    int type = -1;
    if (HDIB dib = v3d::ReadTxtFile(&f, depth, width, height, comma, &type))
        GlobalFree(dib);
    return 0;
}
