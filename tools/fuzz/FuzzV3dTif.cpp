// The 3D viewer's TIFF reader: the deep reader and the image class behind it.
#include "FuzzSupport.h"

#include "platform/File.h"
#include "viewer3d/core/files/ImageReaders.h"

#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = FuzzWriteFile(data, size, ".tif");
    try {
        CFile f(path, CFile::modeRead);
        int type = -1;
        if (HDIB dib = v3d::ReadTifFile(&f, &type))
            GlobalFree(dib);
    } catch (const CFileException&) {
    }
    unlink(path.c_str());
    return 0;
}
