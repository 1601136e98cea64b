// The 3D viewer's height file (.frn) reader.
#include "FuzzSupport.h"

#include "platform/File.h"
#include "viewer3d/core/files/ImageReaders.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile f(data, size);
    v3d::FrnInfo info;
    double pitch = 0;
    v3d::CalibRecord calib;
    try {
        if (HDIB dib = v3d::ReadFrnFile(&f, &info, &pitch, &calib))
            GlobalFree(dib);
    } catch (const CFileException&) {
    }
    return 0;
}
