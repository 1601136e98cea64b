// JPEG reader: the image class decoding from an open file.
#include "FuzzSupport.h"

#include "imaging/files/SECJpeg.h"
#include "platform/File.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile f(data, size);
    SECJpeg img;
    try {
        img.ReadFromFile(&f);
    } catch (const CFileException&) {
    }
    return 0;
}
