// Reading the image files of a series: the composer's two file entry points and the quiet
// reader the worker uses.
#include "imaging/compose/FocusComp.h"
#include "imaging/compose/FocusCompWorker.h"
#include "imaging/files/ImageFile.h"
#include "platform/File.h"
#include "platform/MessageSink.h"

#include <exception>

ImageFileRead ReadSeriesImageFile(const std::string& path, HDIB* image, int* imageType) {
    *image = nullptr;
    const int index = ImageFileFormatIndex(path);
    if (index < 0)
        return ImageFileRead::Unreadable;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return ImageFileRead::CannotOpen;
    HDIB dib = nullptr;
    try {
        dib = DibReadFileOfFormat(&file, index, imageType);
        file.Abort();
    } catch (const CFileException&) {
        if (dib)
            GlobalFree(dib);
        file.Abort();
        return ImageFileRead::FileError;
    } catch (const std::exception&) {
        if (dib)
            GlobalFree(dib);
        file.Abort();
        return ImageFileRead::Unreadable;
    }
    if (!dib)
        return ImageFileRead::Unreadable;
    *image = dib;
    return ImageFileRead::Read;
}

int CFocusComp::LoadImageFile(const char* path, HDIB* image, int* imageType) {
    HDIB dib = nullptr;
    ImageFileRead r = ReadSeriesImageFile(path ? path : "", &dib, imageType);
    if (image)
        *image = dib;
    else if (dib)
        GlobalFree(dib);
    if (r == ImageFileRead::Unreadable)
        ShowMessage(kMsgCannotReadData, MB_OK | MB_ICONEXCLAMATION);
    return r == ImageFileRead::Read ? 1 : 0;
}

int CFocusComp::AddImageFile(const char* path) {
    HDIB dib = nullptr;
    int type = 0;
    if (LoadImageFile(path, &dib, &type)) {
        AddImage(dib);
        GlobalFree(dib);
    }
    return 1;
}
