// One listed image file of the browser's lists (the thumbnail list and the focus image box):
// what the folder said of the file, its number, its place in the lists' cell images, its
// selection, and the link to the document's image record.
//
// Fields the capture workflow keeps on an entry of the focus image box live in the record's
// general fields:
//   m_position   the Z height of the capture in micrometres (also the box's sort key 29)
//   m_reserved1  the document's TAN value at the time of the capture
//   m_reserved2  flag bits: kEntryLoaded (set after the capture wrote the file) and
//                kEntryImageReleased (set when the entry's image was deleted)
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

class CMyImageData;

constexpr int kPlaceholderNumber = INT_MAX;
constexpr const char* kPlaceholderPath = "Last Position";
constexpr int kEntryLoaded = 1;
constexpr int kEntryImageReleased = 2;

class CFileInfoStruc {
public:
    // The placeholder "Last Position" of the focus image box: number INT_MAX, selected.
    static std::unique_ptr<CFileInfoStruc> MakePlaceholder();
    // A record of the file at path with list index n; null when the file cannot be examined.
    static std::unique_ptr<CFileInfoStruc> FromFile(const std::string& path, int n);

    CFileInfoStruc() = default;
    virtual ~CFileInfoStruc() = default;
    CFileInfoStruc(const CFileInfoStruc&) = delete;
    CFileInfoStruc& operator=(const CFileInfoStruc&) = delete;

    bool IsPlaceholder() const { return m_number == kPlaceholderNumber; }
    bool IsLoaded() const { return (m_reserved2 & kEntryLoaded) != 0; }
    void SetLoaded(bool on) {
        m_reserved2 = on ? (m_reserved2 | kEntryLoaded) : (m_reserved2 & ~kEntryLoaded);
    }
    bool IsImageReleased() const { return (m_reserved2 & kEntryImageReleased) != 0; }
    void SetImageReleased(bool on) {
        m_reserved2 = on ? (m_reserved2 | kEntryImageReleased) : (m_reserved2 & ~kEntryImageReleased);
    }

    uint32_t m_attributes = 0;   // st_mode of the file
    int64_t m_creationTime = 0;  // nanoseconds since 1970 (birth time, else status change)
    int64_t m_lastWriteTime = 0; // nanoseconds since 1970
    uint64_t m_size = 0;         // file length
    std::string m_path;
    int m_number = 0; // GetFileNumber of the path; INT_MAX for the placeholder
    int m_reserved1 = 0;
    int m_reserved2 = 0;
    double m_position = 0.0;
    int m_noUnit = 0;
    int m_thumbIndex = 0;
    int m_boxIndex = 0;
    int m_selected = 0;
    CMyImageData* m_record = nullptr; // borrowed from the document's map
    int m_drawnInThumbList = 0;
    int m_drawnInBox = 0;
};
