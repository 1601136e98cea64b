#include "platform/Archive.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000u;
constexpr DWORD kMaxIndex = 0x3FFFFFFEu;
} // namespace

// ---- CArchiveException -----------------------------------------------------------------------

CArchiveException::CArchiveException(int cause, std::string fileName)
    : m_cause(cause), m_strFileName(std::move(fileName)) {
    static const char* const names[] = {"none",
                                        "generic error",
                                        "store on a loading archive",
                                        "end of data",
                                        "load on a storing archive",
                                        "bad object or class index",
                                        "bad class",
                                        "bad schema"};
    text_ = std::string("archive: ") + (cause >= 0 && cause <= badSchema ? names[cause] : "error");
    if (!m_strFileName.empty())
        text_ += ": " + m_strFileName;
}

const char* CArchiveException::what() const noexcept {
    return text_.c_str();
}

// ---- buffer and raw bytes --------------------------------------------------------------------

CArchive::CArchive(CFile* file, UINT mode, UINT bufferSize)
    : file_(file), loading_((mode & load) != 0), buf_(std::max<UINT>(bufferSize, 64)) {
    loaded_.emplace_back(); // index 0: null
}

CArchive::~CArchive() {
    if (!file_)
        return;
    try {
        Close();
    } catch (...) {
    }
}

void CArchive::fail(int cause) const {
    throw CArchiveException(cause, file_ ? file_->GetFilePath() : std::string());
}

void CArchive::requireStoring() const {
    if (!file_)
        fail(CArchiveException::genericException);
    if (loading_)
        fail(CArchiveException::readOnly);
}

void CArchive::requireLoading() const {
    if (!file_)
        fail(CArchiveException::genericException);
    if (!loading_)
        fail(CArchiveException::writeOnly);
}

void CArchive::Flush() {
    if (!file_ || loading_ || pos_ == 0)
        return;
    size_t n = pos_;
    pos_ = 0;
    file_->Write(buf_.data(), static_cast<UINT>(n));
}

void CArchive::Close() {
    if (!file_)
        return;
    if (loading_) {
        size_t unread = end_ - pos_;
        pos_ = end_ = 0;
        if (unread)
            file_->Seek(-static_cast<int64_t>(unread), CFile::current);
    } else {
        Flush();
    }
    file_ = nullptr;
}

void CArchive::refill() {
    pos_ = 0;
    end_ = file_->Read(buf_.data(), static_cast<UINT>(buf_.size()));
}

UINT CArchive::Read(void* buffer, UINT count) {
    requireLoading();
    auto* out = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (pos_ == end_) {
            if (count - done >= buf_.size()) {
                // Large blocks go straight from the file.
                UINT n = file_->Read(out + done, count - done);
                done += n;
                break;
            }
            refill();
            if (end_ == 0)
                break;
        }
        size_t n = std::min<size_t>(end_ - pos_, count - done);
        std::memcpy(out + done, buf_.data() + pos_, n);
        pos_ += n;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CArchive::ReadExact(void* buffer, uint64_t count) {
    auto* out = static_cast<BYTE*>(buffer);
    while (count > 0) {
        UINT chunk = static_cast<UINT>(std::min<uint64_t>(count, 0x40000000u));
        if (Read(out, chunk) != chunk)
            fail(CArchiveException::endOfFile);
        out += chunk;
        count -= chunk;
    }
}

void CArchive::Write(const void* buffer, UINT count) {
    requireStoring();
    const auto* in = static_cast<const BYTE*>(buffer);
    if (count >= buf_.size()) {
        Flush();
        file_->Write(in, count);
        return;
    }
    while (count > 0) {
        size_t n = std::min<size_t>(buf_.size() - pos_, count);
        std::memcpy(buf_.data() + pos_, in, n);
        pos_ += n;
        in += n;
        count -= static_cast<UINT>(n);
        if (pos_ == buf_.size())
            Flush();
    }
}

uint64_t CArchive::Remaining() const {
    requireLoading();
    uint64_t length = file_->GetLength();
    uint64_t position = file_->GetPosition();
    return (end_ - pos_) + (length > position ? length - position : 0);
}

CArchive& CArchive::putLE(uint64_t v, int bytes) {
    BYTE b[8];
    for (int i = 0; i < bytes; ++i)
        b[i] = static_cast<BYTE>(v >> (8 * i));
    Write(b, static_cast<UINT>(bytes));
    return *this;
}

uint64_t CArchive::getLE(int bytes) {
    BYTE b[8];
    ReadExact(b, static_cast<uint64_t>(bytes));
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint64_t>(b[i]) << (8 * i);
    return v;
}

CArchive& CArchive::operator<<(float v) {
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    return putLE(u, 4);
}

CArchive& CArchive::operator<<(double v) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return putLE(u, 8);
}

CArchive& CArchive::operator>>(float& v) {
    auto u = static_cast<uint32_t>(getLE(4));
    std::memcpy(&v, &u, sizeof v);
    return *this;
}

CArchive& CArchive::operator>>(double& v) {
    uint64_t u = getLE(8);
    std::memcpy(&v, &u, sizeof v);
    return *this;
}

// ---- strings and counts ----------------------------------------------------------------------

void CArchive::WriteString(std::string_view s) {
    requireStoring();
    if (s.size() >= 0xFFFFFFFFu)
        fail(CArchiveException::genericException);
    auto n = static_cast<DWORD>(s.size());
    if (n < 0xFF) {
        *this << static_cast<BYTE>(n);
    } else if (n < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(n);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << n;
    }
    Write(s.data(), n);
}

std::string CArchive::ReadString() {
    requireLoading();
    BYTE b;
    *this >> b;
    DWORD n = b;
    if (b == 0xFF) {
        WORD w;
        *this >> w;
        n = w;
        if (w == 0xFFFE) // the marker of a wide-character string, which these files never hold
            fail(CArchiveException::badClass);
        if (w == 0xFFFF)
            *this >> n;
    }
    if (n > Remaining())
        fail(CArchiveException::endOfFile);
    std::string s(n, '\0');
    ReadExact(s.data(), n);
    return s;
}

void CArchive::WriteCount(DWORD count) {
    if (count < 0xFFFF) {
        *this << static_cast<WORD>(count);
    } else {
        *this << static_cast<WORD>(0xFFFF) << count;
    }
}

DWORD CArchive::ReadCount(uint64_t minBytesPerItem) {
    WORD w;
    *this >> w;
    DWORD n = w;
    if (w == 0xFFFF)
        *this >> n;
    if (minBytesPerItem && static_cast<uint64_t>(n) * minBytesPerItem > Remaining())
        fail(CArchiveException::endOfFile);
    return n;
}

// ---- objects ---------------------------------------------------------------------------------

DWORD CArchive::nextIndex() {
    if (count_ > kMaxIndex)
        fail(CArchiveException::badIndex);
    return count_++;
}

void CArchive::writeTag(WORD small, DWORD big, DWORD index) {
    if (index < kBigObjectTag)
        *this << static_cast<WORD>(small | index);
    else
        *this << kBigObjectTag << static_cast<DWORD>(big | index);
}

void CArchive::WriteObject(const CObject* object) {
    requireStoring();
    if (!object) {
        *this << kNullTag;
        return;
    }
    if (auto it = stored_.find(object); it != stored_.end()) {
        writeTag(0, 0, it->second);
        return;
    }
    const CRuntimeClass* cls = object->GetRuntimeClass();
    if (cls->m_wSchema == kNoSchema)
        fail(CArchiveException::badClass); // not a stored class
    if (auto it = stored_.find(cls); it != stored_.end()) {
        writeTag(kClassTag, kBigClassTag, it->second);
    } else {
        size_t nameLength = std::strlen(cls->m_lpszClassName);
        if (nameLength >= 0xFFFF)
            fail(CArchiveException::badClass);
        *this << kNewClassTag << static_cast<WORD>(cls->m_wSchema) << static_cast<WORD>(nameLength);
        Write(cls->m_lpszClassName, static_cast<UINT>(nameLength));
        stored_[cls] = nextIndex();
    }
    stored_[object] = nextIndex();
    const_cast<CObject*>(object)->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* expected) {
    requireLoading();
    WORD tag;
    *this >> tag;
    const CRuntimeClass* cls = nullptr;
    if (tag == kNewClassTag) {
        WORD schema, nameLength;
        *this >> schema >> nameLength;
        if (nameLength > Remaining())
            fail(CArchiveException::endOfFile);
        std::string name(nameLength, '\0');
        ReadExact(name.data(), nameLength);
        cls = CRuntimeClass::FromName(name);
        if (!cls)
            fail(CArchiveException::badClass);
        if (cls->m_wSchema == kNoSchema || schema != cls->m_wSchema)
            fail(CArchiveException::badSchema);
        DWORD index = nextIndex();
        loaded_.resize(index + 1);
        loaded_[index].cls = cls;
    } else {
        DWORD objTag;
        if (tag == kBigObjectTag)
            *this >> objTag;
        else
            objTag = (static_cast<DWORD>(tag & kClassTag) << 16) | (tag & ~kClassTag);
        if (objTag & kBigClassTag) {
            DWORD index = objTag & ~kBigClassTag;
            if (index == 0 || index >= loaded_.size() || !loaded_[index].cls)
                fail(CArchiveException::badIndex);
            cls = loaded_[index].cls;
        } else {
            if (objTag == 0)
                return nullptr;
            if (objTag >= loaded_.size() || !loaded_[objTag].object)
                fail(CArchiveException::badIndex);
            CObject* seen = loaded_[objTag].object;
            if (expected && !seen->IsKindOf(expected))
                fail(CArchiveException::badClass);
            return seen;
        }
    }
    if (expected && !cls->IsDerivedFrom(expected))
        fail(CArchiveException::badClass);
    CObject* object = cls->CreateObject();
    if (!object)
        fail(CArchiveException::badClass);
    // Indexed before its fields are read, so that they may refer back to it.
    DWORD index = nextIndex();
    loaded_.resize(index + 1);
    loaded_[index].object = object;
    try {
        object->Serialize(*this);
    } catch (...) {
        // Objects read inside this one may already belong to it and go with it.
        for (size_t i = index; i < loaded_.size(); ++i)
            loaded_[i].object = nullptr;
        delete object;
        throw;
    }
    return object;
}
