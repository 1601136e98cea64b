// The 3D viewer's bitmap file reader.
#include "FuzzSupport.h"

#include "platform/File.h"
#include "viewer3d/core/files/ImageReaders.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile f(data, size);
    try {
        if (HDIB dib = v3d::ReadBmpFile(&f))
            GlobalFree(dib);
    } catch (const CFileException&) {
    }
    return 0;
}
