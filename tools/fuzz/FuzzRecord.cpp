// Image records loaded from an archive: the thumbnail's BMP layout and the two strings.
#include "FuzzSupport.h"

#include "imaging/bitmaps/MyImageData.h"
#include "platform/Archive.h"
#include "platform/File.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzLimitImages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile f(data, size);
    CArchive ar(&f, CArchive::load);
    CMyImageData rec;
    try {
        rec.Serialize(ar);
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    return 0;
}
