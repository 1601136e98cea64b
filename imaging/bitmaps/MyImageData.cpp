// Image records and their thumbnails in archives.
#include "imaging/bitmaps/MyImageData.h"

#include "platform/Archive.h"

IMPLEMENT_SERIAL(CMyThumbnl, SECDib, 0)
IMPLEMENT_SERIAL(CMyImageData, CObject, 0)

CMyThumbnl::CMyThumbnl() { m_bits = nullptr; }

void CMyThumbnl::Serialize(CArchive& ar) {
    (void)ar.IsStoring();
    SECImage::Serialize(ar);
}

void CMyImageData::SetThumbnail(std::unique_ptr<CMyThumbnl> thumbnail) {
    m_thumbnail = std::move(thumbnail);
    if (m_thumbnail) {
        m_cacheValue1 = m_thumbnail->m_cacheValue1;
        m_cacheValue2 = m_thumbnail->m_cacheValue2;
        m_cacheValue3 = m_thumbnail->m_cacheValue3;
    }
}

void CMyImageData::SetPath(const std::string& path) {
    m_path = path;
    const size_t slash = path.find_last_of('/');
    std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
    if (title.size() > 256) {
        // Cut on a character boundary: never inside a multi-byte sequence.
        size_t cut = 256;
        while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80)
            --cut;
        title.resize(cut);
    }
    m_title = title;
}

void CMyImageData::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        if (!m_thumbnail)
            throw CArchiveException(CArchiveException::genericException);
        m_thumbnail->Serialize(ar);
        ar << m_path;
        ar << m_title;
        return;
    }
    auto thumb = std::make_unique<CMyThumbnl>();
    thumb->Serialize(ar); // throws on a malformed or truncated image
    thumb->m_loaded = TRUE;
    std::string path, title;
    ar >> path;
    ar >> title;
    m_thumbnail = std::move(thumb);
    m_path = std::move(path);
    m_title = std::move(title);
}
