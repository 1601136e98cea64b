// The 3D viewer's thumbnail image: a bitmap image class that archives store and load by the
// class name "CMyThumbnl" in the BMP layout of the image classes. It holds nothing of its own;
// it exists so that archives holding such an object can be read.
//
// The main program has a class of the same name, schema and stored form. When both are in one
// program, the name resolves to whichever registered first; both load and store alike, so
// readers expect any bitmap image (SECDib) when they read one.
#pragma once

#include "imaging/files/SECDib.h"

namespace v3d {

class CMyThumbnl : public SECDib {
    DECLARE_SERIAL(CMyThumbnl)

public:
    CMyThumbnl();
    ~CMyThumbnl() override = default;
    void Serialize(CArchive& ar) override;
};

} // namespace v3d
