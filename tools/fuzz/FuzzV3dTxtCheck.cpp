// The check of integer text height files: a text it accepts reads with the sizes it found.
#include "FuzzSupport.h"

#include "platform/File.h"
#include "viewer3d/core/files/ImageReaders.h"
#include "viewer3d/core/files/TxtFormatCheck.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile f(data, size);
    v3d::TxtFormat format;
    if (!v3d::CheckTxtFormat(&f, (size & 1) != 0, &format))
        return 0;
    if (format.valueType < 0 || format.valueType > 3 || format.rows < 1)
        __builtin_trap();
    int type = -1;
    if (format.columns > 0 && uint64_t(format.columns) * uint64_t(format.rows) < (1u << 22))
        if (HDIB dib = v3d::ReadTxtFile(&f, format.valueType, format.columns, format.rows,
                                        format.separator == 1, &type))
            GlobalFree(dib);
    return 0;
}
