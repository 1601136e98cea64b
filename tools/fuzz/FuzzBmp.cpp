// BMP readers: the bitmap reader in every mode, the raw loader and the image class.
#include "FuzzSupport.h"

#include "imaging/files/ImageFile.h"
#include "imaging/files/SECDib.h"
#include "platform/File.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int mode = 0; mode < 3; ++mode) {
        CMemFile f(data, size);
        if (HDIB dib = DibReadBmpFile(&f, mode))
            GlobalFree(dib);
    }
    {
        CMemFile f(data, size);
        if (HDIB dib = LoadDibFromBmp(&f))
            GlobalFree(dib);
    }
    CMemFile f(data, size);
    SECDib img;
    img.ReadFromFile(&f);
    return 0;
}
