// The hand-over record as the 3D viewer takes it: checked against its length first.
#include "FuzzSupport.h"

#include "viewer3d/core/files/Vv3Data.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    v3d::HeightSetInfo info;
    HDIB height = nullptr;
    if (HDIB tex = v3d::LoadHeightRecord(data, size, &height, &info))
        GlobalFree(tex);
    if (height)
        GlobalFree(height);
    return 0;
}
