// The record kept for every image file that the browser and the document know: path,
// display title, thumbnail once loaded and the thumbnail cache's values; and the thumbnail
// image class, which an archive can store.
#pragma once

#include "imaging/files/SECDib.h"
#include "platform/Object.h"

#include <memory>
#include <string>

class CMyThumbnl : public SECDib {
    DECLARE_SERIAL(CMyThumbnl)

public:
    CMyThumbnl();
    ~CMyThumbnl() override = default;
    void Serialize(CArchive& ar) override;

    // Filled by the thumbnail loader from the cache record; -1 when made.
    int m_cacheValue1 = -1;
    int m_cacheValue2 = -1;
    int m_cacheValue3 = -1;
};

class CMyImageData : public CObject {
    DECLARE_SERIAL(CMyImageData)

public:
    CMyImageData() = default;
    ~CMyImageData() override = default;
    CMyImageData(const CMyImageData&) = delete;
    CMyImageData& operator=(const CMyImageData&) = delete;

    // Storing writes the thumbnail (a record without one cannot be stored: archive
    // exception), then path and title. Loading reads a thumbnail with the same checks as a
    // file, marks it loaded, then reads path and title. State and cache values stay out.
    void Serialize(CArchive& ar) override;

    CMyThumbnl* GetThumbnail() const { return m_thumbnail.get(); }
    // Gives the record a thumbnail (or none); the previous one is deleted.
    void SetThumbnail(std::unique_ptr<CMyThumbnl> thumbnail);
    // Hands the thumbnail to the caller; the record keeps none.
    std::unique_ptr<CMyThumbnl> ReleaseThumbnail() { return std::move(m_thumbnail); }
    // Sets path and the display title derived from it (the file name, at most 256 bytes).
    void SetPath(const std::string& path);

    std::string m_path;
    std::string m_title;
    std::unique_ptr<CMyThumbnl> m_thumbnail;
    int m_state = 0;
    int m_cacheValue1 = 0;
    int m_cacheValue2 = 0;
    int m_cacheValue3 = 0;
};
