#include "viewer3d/core/files/MyThumbnl.h"

#include "platform/Archive.h"

namespace v3d {

IMPLEMENT_SERIAL(CMyThumbnl, SECDib, 0)

CMyThumbnl::CMyThumbnl() {
    m_bits = nullptr;
}

void CMyThumbnl::Serialize(CArchive& ar) {
    SECImage::Serialize(ar);
}

} // namespace v3d
