// Construction and the file side of the image-file base class: loading and saving by path
// and by open file, and the files opened by path.
#include "imaging/files/SECImage.h"

#include "imaging/files/SECDib.h"
#include "platform/Archive.h"
#include "platform/File.h"

#include <algorithm>

SECImage::SECImage() {
    ScreenCaps caps = GetScreenCaps();
    m_planes = caps.planes;
    switch (caps.bitsPixel) {
    case 1:
        m_screenBitsPerPixel = 1;
        m_screenColorCount = static_cast<WORD>(1u << std::clamp(caps.planes, 0, 15));
        break;
    case 2:
        m_screenBitsPerPixel = 2;
        m_screenColorCount = 4;
        break;
    case 4:
        m_screenBitsPerPixel = 4;
        m_screenColorCount = 16;
        break;
    case 8:
        m_screenBitsPerPixel = 8;
        m_screenColorCount = 256;
        break;
    default:
        m_screenBitsPerPixel = 0;
        m_screenColorCount = 0;
        break;
    }
    m_bitOrder = 1;
    m_ownedFiles.reserve(10);
}

SECImage::~SECImage() {
    FreeBlock(m_bits);
    FreeBlock(m_info);
    m_bits = m_info = m_colorTable = nullptr;
    m_palette.reset();
    CloseOwnedFiles();
}

void SECImage::CloseOwnedFiles() {
    for (auto& f : m_ownedFiles) {
        if (f.get() == m_currentFile)
            m_currentFile = nullptr;
        if (f && f->IsOpen())
            f->Abort();
    }
    m_ownedFiles.clear();
}

CFile* SECImage::FileForPath(const char* path, bool forWriting) {
    const UINT flags = forWriting ? (CFile::modeCreate | CFile::modeWrite) : CFile::modeRead;
    if (m_currentFile) {
        if (m_currentFile->IsOpen())
            m_currentFile->Abort();
        if (!m_currentFile->Open(path, flags))
            return nullptr;
        return m_currentFile;
    }
    // Throws CFileException to the caller when the file cannot be opened.
    auto file = std::make_unique<CFile>(path, flags);
    m_ownedFiles.push_back(std::move(file));
    return m_ownedFiles.back().get();
}

BOOL SECImage::ReadFromPath(const char* path) {
    if (!path)
        return FALSE;
    CFile* file = FileForPath(path, false);
    if (!file)
        return FALSE;
    BOOL ok = FALSE;
    try {
        ok = ReadFromFile(file);
    } catch (...) {
        file->Abort();
        throw;
    }
    file->Abort(); // read-only: nothing to lose on close
    return ok;
}

BOOL SECImage::ReadFromFile(CFile* file) {
    if (!file)
        return FALSE;
    m_currentFile = file;
    SECDib saved;
    const bool held = HoldsImage();
    if (held)
        saved.TakeOver(*this);
    bool ok = false;
    try {
        ok = FreeImage() && ReadBody(file) && BuildInfoHeader();
    } catch (...) {
        FreeImage();
        if (held)
            TakeOver(saved);
        throw;
    }
    if (ok)
        return TRUE;
    FreeImage();
    if (held)
        TakeOver(saved);
    return FALSE;
}

BOOL SECImage::WriteToPath(const char* path) {
    if (!path || !*path)
        return FALSE;
    // The body goes to a temporary file beside the target, which replaces the target only
    // when everything was written.
    AtomicFileWriter writer(path);
    CFileException error;
    if (!writer.Open(&error))
        throw error;
    BOOL ok = FALSE;
    try {
        ok = WriteToFile(&writer.File());
    } catch (...) {
        m_currentFile = nullptr;
        writer.Abort();
        throw;
    }
    m_currentFile = nullptr;
    if (!ok) {
        writer.Abort();
        return FALSE;
    }
    if (!writer.Commit(&error))
        throw error;
    return TRUE;
}

BOOL SECImage::WriteToFile(CFile* file) {
    if (!file)
        return FALSE;
    m_currentFile = file;
    if (!BeforeWrite())
        return FALSE;
    if (!WriteBody(file))
        return FALSE;
    return AfterWrite();
}

void SECImage::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        if (!HoldsImage())
            throw CArchiveException(CArchiveException::genericException);
        WriteBmpFrom(
            *this,
            [&ar](const void* p, uint64_t n) {
                const auto* b = static_cast<const BYTE*>(p);
                while (n) {
                    const UINT chunk = static_cast<UINT>(std::min<uint64_t>(n, 1u << 30));
                    ar.Write(b, chunk);
                    b += chunk;
                    n -= chunk;
                }
            },
            false);
        return;
    }
    // Loading checks every size against what the archive still holds, like a file.
    SECDib loaded;
    const bool ok = ReadBmpInto(
        loaded,
        [&ar](void* p, uint64_t n) -> uint64_t {
            auto* b = static_cast<BYTE*>(p);
            uint64_t done = 0;
            while (done < n) {
                const UINT chunk = static_cast<UINT>(std::min<uint64_t>(n - done, 1u << 30));
                const UINT got = ar.Read(b + done, chunk);
                done += got;
                if (got < chunk)
                    break;
            }
            return done;
        },
        ar.Remaining());
    if (!ok || !loaded.BuildInfoHeader())
        throw CArchiveException(CArchiveException::genericException);
    FreeImage();
    TakeOver(loaded);
}
