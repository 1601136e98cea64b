// Files on POSIX I/O with the shape the system's file code expects: a file object that is
// opened with mode flags, reads, writes, seeks and reports failures as CFileException, and a
// memory file with the same interface for archives held in memory.
//
// Share modes are accepted and ignored: Linux has no mandatory sharing locks, and advisory ones
// would not keep other programs out either.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

class CFileException : public std::exception {
public:
    enum Cause {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException() = default;
    CFileException(int cause, int osError, std::string fileName);

    // Fills cause, error number and name from errno-style error number.
    void Set(int osError, const std::string& fileName);
    const char* what() const noexcept override;

    static int OsErrorToCause(int osError);
    [[noreturn]] static void ThrowOsError(int osError, const std::string& fileName);
    [[noreturn]] static void Throw(int cause, const std::string& fileName);

    int m_cause = none;
    int m_lOsError = 0; // errno value, 0 when the cause did not come from the system
    std::string m_strFileName;

private:
    mutable std::string text_;
};

// The causes of a failed open or write that the programs' messages tell apart: the folder or
// name does not exist, the system refuses access (permissions, a read-only file system), or
// there is no room left (a full disk, a quota, the file size limit).
enum class FileFailure { Other, MissingPath, AccessDenied, DiskFull };
FileFailure FileFailureOf(const CFileException& e);

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens or throws CFileException.
    CFile(const std::string& path, UINT flags);
    // Closes without throwing.
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, with the cause filled into error when given. A folder is refused.
    virtual BOOL Open(const std::string& path, UINT flags, CFileException* error = nullptr);
    // Reads up to count bytes; fewer only at the end of the file.
    virtual UINT Read(void* buffer, UINT count);
    // Writes all count bytes or throws (diskFull, hardIO ...).
    virtual void Write(const void* buffer, UINT count);
    // Moves the position; a position before the start throws badSeek. Returns the new position.
    virtual uint64_t Seek(int64_t offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    uint64_t SeekToEnd() { return Seek(0, end); }
    virtual uint64_t GetLength() const;
    virtual uint64_t GetPosition() const;
    virtual void SetLength(uint64_t length);
    virtual void Flush();
    // Closes; a failure of the final close throws (the data may not have reached the disk).
    virtual void Close();
    // Closes and ignores every failure.
    virtual void Abort();
    virtual bool IsOpen() const { return fd_ >= 0; }

    const std::string& GetFilePath() const { return path_; }
    // The part of the path after its last '/'.
    std::string GetFileName() const;
    // The name without its extension.
    std::string GetFileTitle() const;
    int GetHandle() const { return fd_; }

    static void Remove(const std::string& path);
    static void Rename(const std::string& from, const std::string& to);

    static constexpr int hFileNull = -1;

protected:
    void requireOpen() const;
    std::string path_;

private:
    int fd_ = hFileNull;
};

// Opens a file that a user named without ever waiting in the open: the open does not block (a
// FIFO without a writer, a terminal without carrier), and anything but a regular file is refused
// before a read or write could block on it (a folder with EISDIR, a FIFO, socket or device with
// ENXIO). oflags are those of open(2); O_NONBLOCK is cleared again on the descriptor returned.
// -1 with errno set on failure.
int OpenRegularFile(const std::string& path, int oflags, unsigned mode = 0666);
// The same for stdio: "r", "w", "a" with an optional "+" and "b"; null with errno set.
std::FILE* OpenRegularStream(const std::string& path, const char* mode);
// True when path names a regular file that can be opened for reading.
bool RegularFileReadable(const std::string& path);

// Reads exactly count bytes (any size, in chunks a single Read takes); false when the file ends
// first. Read's exceptions pass through.
bool ReadExact(CFile& file, void* buffer, uint64_t count);

// A growable block of memory used as a file. Reads past the end return fewer bytes; writes
// extend the block.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    // Starts with a copy of the given bytes, positioned at the start.
    CMemFile(const void* data, size_t size);
    explicit CMemFile(std::vector<BYTE> data);

    BOOL Open(const std::string& path, UINT flags, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    uint64_t Seek(int64_t offset, UINT from) override;
    uint64_t GetLength() const override { return data_.size(); }
    uint64_t GetPosition() const override { return pos_; }
    void SetLength(uint64_t length) override;
    void Flush() override {}
    void Close() override { data_.clear(), pos_ = 0; }
    void Abort() override { Close(); }
    bool IsOpen() const override { return true; }

    const std::vector<BYTE>& Data() const { return data_; }
    std::vector<BYTE> Detach();

private:
    std::vector<BYTE> data_;
    uint64_t pos_ = 0;
};

// The temporary file of a save beside its target, which the save renames over the target:
// ".<name>.<pid>.<n>.tmp" in the target's folder, created exclusively with the permission bits
// mode (a negative mode: those of a new file, 0666 less the umask) and locked (flock, where the
// file system has locks) for as long as the returned descriptor stays open. -1 with errno on
// failure.
int CreateTempBeside(const std::string& target, int mode, std::string& temp);
// Removes the temporary files of that naming beside the target that a save killed mid-write
// (SIGKILL, power loss) left behind: those of a process that no longer runs and that nobody holds
// locked. A file of this process, of a live process, or locked by a writer this process cannot
// see (another pid namespace, another host on a network folder) stays.
void RemoveStaleTempsBeside(const std::string& target);

// Writes a file so that the target is either replaced whole or left as it was: the data goes to
// a temporary file beside the target (CreateTempBeside), which Commit flushes to disk and renames
// over the target; a Commit also removes the temporary files that killed saves of the same target
// left (RemoveStaleTempsBeside). Without a Commit the temporary file is removed. An existing
// target keeps its permission bits; a target that is a symbolic link stays a link and its
// destination is replaced.
//
// Writers that use a library with its own file access write to TempPath() by name and call
// Commit when the library has closed the file.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file, opened for writing in File().
    BOOL Open(CFileException* error = nullptr);
    CFile& File() { return file_; }
    const std::string& TargetPath() const { return target_; }
    const std::string& TempPath() const { return temp_; }
    // Flushes, closes and renames the temporary file over the target.
    BOOL Commit(CFileException* error = nullptr);
    // Drops the temporary file; the target stays as it was.
    void Abort();
    bool IsCommitted() const { return committed_; }

private:
    void dropTemp();

    std::string target_;
    std::string temp_;
    int lockFd_ = -1; // holds the temporary file's lock while it is written
    CFile file_;
    bool committed_ = false;
};
