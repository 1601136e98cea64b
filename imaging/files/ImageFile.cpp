// Image files as bitmaps: the format by name, the BMP reader and writer, and the routine
// every caller uses to read or save a file by name.
#include "imaging/files/ImageFile.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/SECDib.h"
#include "platform/File.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace {

// Texts of the format strings, in the order of their ids.
const char* const kFormatTexts[] = {"*.bmp", "*.dib", "*.tif", "*.jpg"};

bool EqualNoCase(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The checked BMP reader behind DibReadBmpFile and LoadDibFromBmp: a packed bitmap of a
// 40-byte header, the file's colour table and bottom-up rows.
HDIB ReadBmpDib(CFile* file, uint64_t depths, bool boundByFileSize) {
    if (!file)
        return nullptr;
    const uint64_t len = file->GetLength();
    const uint64_t pos = file->GetPosition();
    if (pos >= len)
        return nullptr;
    uint64_t available = len - pos;
    if (boundByFileSize) {
        // The header's own file size bounds what is read, never beyond the real file.
        BYTE fh[BITMAPFILEHEADER::kSize];
        if (file->Read(fh, sizeof fh) != sizeof fh)
            return nullptr;
        file->Seek(static_cast<int64_t>(pos), CFile::begin);
        available = std::min<uint64_t>(available, BITMAPFILEHEADER::Read(fh).bfSize);
    }
    BmpLayout layout;
    std::vector<BYTE> table;
    const BmpByteSource source = BmpFileSource(file);
    if (!ReadBmpHeaders(source, available, depths, layout, table))
        return nullptr;
    const uint64_t size = BITMAPINFOHEADER::kSize + table.size() + layout.imageBytes;
    if (size > kGlobalMaxBlock)
        return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(size));
    if (!h)
        return nullptr;
    bool ok = false;
    {
        GlobalLockGuard lock(h);
        if (lock) {
            BYTE* p = lock.get();
            layout.header.Write(p);
            if (!table.empty())
                std::memcpy(p + BITMAPINFOHEADER::kSize, table.data(), table.size());
            BYTE* rows = p + BITMAPINFOHEADER::kSize + table.size();
            ok = source(rows, layout.imageBytes) == layout.imageBytes;
            if (ok && layout.topDown)
                FlipBmpRows(rows, layout.stride, static_cast<uint64_t>(layout.header.biHeight));
        }
    }
    if (!ok) {
        GlobalFree(h);
        return nullptr;
    }
    return h;
}

} // namespace

int ImageFileFormatIndex(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return -1;
    const std::string pattern = "*" + name.substr(dot);
    for (int i = 0; i < 4; ++i)
        if (EqualNoCase(pattern, kFormatTexts[i]))
            return i;
    return -1;
}

HDIB DibReadBmpFile(CFile* file, int mode) {
    switch (mode) {
    case 0:
        return ReadBmpDib(file, kBmpDepths8And24, false);
    case 1:
        return ReadBmpDib(file, kBmpDepths8And24, true);
    case 2:
        return ReadBmpDib(file, kBmpDepthsAll, true);
    default:
        return nullptr;
    }
}

HDIB LoadDibFromBmp(CFile* file) { return ReadBmpDib(file, kBmpDepthsAll, false); }

BOOL SaveDibAsBmp(HDIB dib, CFile* file) {
    if (!dib || !file)
        return FALSE;
    GlobalLockGuard lock(dib);
    if (!lock)
        return FALSE;
    BYTE* block = lock.get();
    const uint64_t blockSize = GlobalSize(dib);
    if (blockSize < BITMAPINFOHEADER::kSize || le::get32(block) != 40)
        return FALSE;
    BITMAPINFOHEADER h = BITMAPINFOHEADER::Read(block);
    if (h.biWidth <= 0 || h.biHeight <= 0)
        return FALSE;
    // 16-bit grey and 48-bit colour rows have no BMP form that a reader, this program's
    // included, would show as the samples they are: such bitmaps go to TIFF.
    if (h.biBitCount == 16 || h.biBitCount == 48)
        return FALSE;
    const uint64_t table = DibColorTableSize(block);
    if (h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS) {
        const uint64_t image = static_cast<uint64_t>(DibStride(h.biWidth, h.biBitCount)) * static_cast<uint64_t>(h.biHeight);
        if (image > UINT32_MAX)
            return FALSE;
        h.biSizeImage = static_cast<DWORD>(image);
        h.Write(block);
    }
    const uint64_t packed = BITMAPINFOHEADER::kSize + table + h.biSizeImage;
    if (packed > blockSize || BITMAPFILEHEADER::kSize + packed > UINT32_MAX)
        return FALSE; // the header claims more than the block holds
    BITMAPFILEHEADER fh;
    fh.bfType = kBitmapFileType;
    fh.bfSize = static_cast<DWORD>(BITMAPFILEHEADER::kSize + packed);
    fh.bfOffBits = static_cast<DWORD>(BITMAPFILEHEADER::kSize + BITMAPINFOHEADER::kSize + table);
    BYTE head[BITMAPFILEHEADER::kSize];
    fh.Write(head);
    file->Write(head, sizeof head);
    file->Write(block, static_cast<UINT>(packed));
    return TRUE;
}

HDIB DibReadFileOfFormat(CFile* file, int index, int* imageType) {
    switch (index) {
    case 0:
    case 1:
        return DibReadBmpFile(file, 0);
    case 2:
        return DibReadTiffFile(file, imageType);
    default:
        return DibReadJpegFile(file);
    }
}

HDIB ReadImageFile(const std::string& path, int* imageType) {
    const int index = ImageFileFormatIndex(path);
    if (index < 0)
        return nullptr;
    HDIB dib = nullptr;
    try {
        CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
        dib = DibReadFileOfFormat(&file, index, imageType);
        file.Abort();
    } catch (const CFileException&) {
        if (dib)
            GlobalFree(dib);
        dib = nullptr;
    }
    return dib;
}

BOOL SaveImageFile(HDIB dib, const std::string& path, int imageType, int quality) {
    const int index = ImageFileFormatIndex(path);
    if (index < 0 || !dib)
        return FALSE;
    if (index == 2)
        return SaveDibAsTiffPath(dib, path, imageType);
    if (index == 3)
        return SaveDibAsJpegPath(dib, path, imageType, quality);
    try {
        AtomicFileWriter writer(path);
        if (!writer.Open())
            return FALSE;
        if (!SaveDibAsBmp(dib, &writer.File())) {
            writer.Abort();
            return FALSE;
        }
        return writer.Commit();
    } catch (const CFileException&) {
        return FALSE;
    }
}
