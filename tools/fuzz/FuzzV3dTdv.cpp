// The 3D viewer's document files (.tdv of the three versions).
#include "FuzzSupport.h"

#include "platform/File.h"
#include "viewer3d/core/files/TdvFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile f(data, size);
    v3d::TdvFields fields;
    HDIB height = nullptr;
    if (HDIB tex = v3d::ReadTdvFile(&f, &fields, &height)) {
        // What was read is held to its ranges: a second look must change nothing.
        if (fields.view.Sanitize() != 0 || fields.measure.Sanitize() != 0 || !(fields.pitch > 0) ||
            !(fields.calib.zScale > 0))
            __builtin_trap();
        GlobalFree(tex);
    }
    if (height)
        GlobalFree(height);
    return 0;
}
