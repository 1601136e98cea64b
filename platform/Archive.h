// A binary archive over a file: numbers little-endian, strings with a length prefix, counts,
// and objects by class name with back-references, in the byte layout the system's archive
// files have always had:
//   string   length < 255: BYTE length; < 0xFFFE: 0xFF, WORD length; else 0xFF, 0xFFFF, DWORD
//   count    < 0xFFFF: WORD; else 0xFFFF, DWORD
//   object   null: WORD 0; new class: WORD 0xFFFF, WORD schema, WORD name length, name, fields;
//            known class: WORD 0x8000 | class index, fields; stored object: WORD object index;
//            indices of 0x7FFF and above: WORD 0x7FFF then DWORD (class indices with bit 31 set).
//   Classes and objects share one index sequence that starts at 1 in the order they appear.
// Every length read is checked against the bytes that remain before anything is allocated;
// truncated or malformed input throws CArchiveException.
#pragma once

#include "platform/File.h"
#include "platform/Object.h"
#include "platform/WinTypes.h"

#include <exception>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

class CArchiveException : public std::exception {
public:
    enum Cause {
        none = 0,
        genericException,
        readOnly,  // a store on a loading archive
        endOfFile, // the data ends before what it declares
        writeOnly, // a load on a storing archive
        badIndex,  // an object or class reference that names nothing read before
        badClass,  // an unknown class, or one that is not the expected kind
        badSchema, // the stored schema differs from the class's
    };
    explicit CArchiveException(int cause = none, std::string fileName = {});
    const char* what() const noexcept override;

    int m_cause;
    std::string m_strFileName;

private:
    std::string text_;
};

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1 };

    CArchive(CFile* file, UINT mode, UINT bufferSize = 4096);
    // Writes what is still buffered (errors are lost: call Close to see them).
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return !loading_; }
    bool IsLoading() const { return loading_; }
    CFile* GetFile() const { return file_; }

    // Writes the buffer to the file (storing).
    void Flush();
    // Flushes (storing) or gives unread buffered bytes back to the file position (loading), and
    // detaches from the file; the file stays open.
    void Close();

    // Reads up to count bytes; fewer only at the end of the data.
    UINT Read(void* buffer, UINT count);
    // Reads exactly count bytes or throws endOfFile.
    void ReadExact(void* buffer, uint64_t count);
    void Write(const void* buffer, UINT count);
    // Bytes left to read (buffer and file).
    uint64_t Remaining() const;

    CArchive& operator<<(BYTE v) { return putLE(v, 1); }
    CArchive& operator<<(char v) { return putLE(static_cast<BYTE>(v), 1); }
    CArchive& operator<<(WORD v) { return putLE(v, 2); }
    CArchive& operator<<(short v) { return putLE(static_cast<WORD>(v), 2); }
    CArchive& operator<<(DWORD v) { return putLE(v, 4); }
    CArchive& operator<<(int v) { return putLE(static_cast<DWORD>(v), 4); } // also LONG and BOOL
    CArchive& operator<<(uint64_t v) { return putLE(v, 8); }
    CArchive& operator<<(int64_t v) { return putLE(static_cast<uint64_t>(v), 8); }
    CArchive& operator<<(bool v) { return *this << static_cast<int>(v ? 1 : 0); }
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(const std::string& s) { return WriteString(s), *this; }
    // Without this a string literal would take the bool form.
    CArchive& operator<<(const char* s) { return WriteString(s ? s : ""), *this; }

    CArchive& operator>>(BYTE& v) { return v = static_cast<BYTE>(getLE(1)), *this; }
    CArchive& operator>>(char& v) { return v = static_cast<char>(getLE(1)), *this; }
    CArchive& operator>>(WORD& v) { return v = static_cast<WORD>(getLE(2)), *this; }
    CArchive& operator>>(short& v) { return v = static_cast<short>(getLE(2)), *this; }
    CArchive& operator>>(DWORD& v) { return v = static_cast<DWORD>(getLE(4)), *this; }
    CArchive& operator>>(int& v) { return v = static_cast<int>(static_cast<DWORD>(getLE(4))), *this; }
    CArchive& operator>>(uint64_t& v) { return v = getLE(8), *this; }
    CArchive& operator>>(int64_t& v) { return v = static_cast<int64_t>(getLE(8)), *this; }
    CArchive& operator>>(bool& v) { return v = getLE(4) != 0, *this; }
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(std::string& s) { return s = ReadString(), *this; }

    // A string with its length prefix; the bytes are stored as they are (CP932 where the file
    // format holds Japanese text).
    void WriteString(std::string_view s);
    std::string ReadString();

    // An element count. ReadCount throws endOfFile when count × minBytesPerItem exceeds the
    // bytes that remain, so that a caller can allocate count elements safely.
    void WriteCount(DWORD count);
    DWORD ReadCount(uint64_t minBytesPerItem = 0);

    // An object with its class; a pointer stored before becomes a back-reference.
    void WriteObject(const CObject* object);
    // Reads an object (created by its class, owned by the caller) or a back-reference to one
    // read before. It must be of the expected class or one derived from it, else badClass.
    CObject* ReadObject(const CRuntimeClass* expected);

private:
    CArchive& putLE(uint64_t v, int bytes);
    uint64_t getLE(int bytes);
    void requireStoring() const;
    void requireLoading() const;
    void refill();
    void writeTag(WORD small, DWORD big, DWORD index);
    DWORD nextIndex();
    [[noreturn]] void fail(int cause) const;

    CFile* file_;
    bool loading_;
    std::vector<BYTE> buf_;
    size_t pos_ = 0; // next byte to read or to fill
    size_t end_ = 0; // bytes of buf_ that hold data (loading)

    // Storing: object and class addresses to their index.
    std::unordered_map<const void*, DWORD> stored_;
    // Loading: entry i is the class or the object that got index i.
    struct Loaded {
        const CRuntimeClass* cls = nullptr;
        CObject* object = nullptr;
    };
    std::vector<Loaded> loaded_;
    DWORD count_ = 1; // next index; 0 stands for null
};

// Pointer forms for objects: ar << p writes p with its class, ar >> p reads one of p's class.
inline CArchive& operator<<(CArchive& ar, const CObject* object) {
    return ar.WriteObject(object), ar;
}

template <class T>
requires std::is_base_of_v<CObject, T> CArchive& operator>>(CArchive& ar, T*& object) {
    object = static_cast<T*>(ar.ReadObject(RUNTIME_CLASS(T)));
    return ar;
}
