// TIFF reader: the high-bit-depth class and the image class behind DibReadTiffFile.
#include "FuzzSupport.h"

#include "imaging/files/ImageFile.h"
#include "platform/File.h"

#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = FuzzWriteFile(data, size, ".tif");
    int type = -1;
    if (HDIB dib = ReadImageFile(path, &type))
        GlobalFree(dib);
    unlink(path.c_str());
    return 0;
}
