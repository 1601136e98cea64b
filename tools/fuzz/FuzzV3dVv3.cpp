// The main program's .vv3 height files as the 3D viewer reads them, with and without the
// invalid-height option (first byte).
#include "FuzzSupport.h"

#include "platform/File.h"
#include "viewer3d/core/files/Vv3Data.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    CMemFile f(data + 1, size - 1);
    v3d::InvalidHeightRule rule{(data[0] & 1) != 0, float(data[0]) * 4.0f};
    v3d::HeightSetInfo info;
    HDIB height = nullptr;
    if (HDIB tex = v3d::ReadVv3File(&f, rule, &height, &info)) {
        if (!(info.pitch > 0) || !(info.zScale > 0))
            __builtin_trap();
        GlobalFree(tex);
    }
    if (height)
        GlobalFree(height);
    return 0;
}
