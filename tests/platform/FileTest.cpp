#include "platform/File.h"

#include "platform/Profile.h"
#include "tests/platform/TempLeftovers.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScratchFifo.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(File, WriteReadSeekAndLengthRoundTrip) {
    ScratchFolder dir;
    std::string path = dir / "data.bin";
    {
        CFile f(path, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone);
        f.Write("hello world", 11);
        EXPECT_EQ(f.GetPosition(), 11u);
        EXPECT_EQ(f.Seek(-5, CFile::end), 6u);
        f.Write("WORLD", 5);
        f.Close();
    }
    EXPECT_EQ(ScratchFolder::ReadAll(path), "hello WORLD");

    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeReadWrite));
    EXPECT_EQ(f.GetLength(), 11u);
    char buf[32] = {};
    EXPECT_EQ(f.Read(buf, 5), 5u);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(f.Seek(1, CFile::current), 6u);
    EXPECT_EQ(f.Read(buf, sizeof buf), 5u); // short only at the end
    EXPECT_EQ(f.Read(buf, sizeof buf), 0u);
    f.SetLength(4);
    EXPECT_EQ(f.GetLength(), 4u);
    f.SetLength(8); // grows with zeros
    f.SeekToBegin();
    EXPECT_EQ(f.Read(buf, sizeof buf), 8u);
    EXPECT_EQ(std::string(buf, 8), std::string("hell\0\0\0\0", 8));
    EXPECT_THROW(f.Seek(-1, CFile::begin), CFileException);
    f.Flush();
    EXPECT_EQ(f.GetFilePath(), path);
    EXPECT_EQ(f.GetFileName(), "data.bin");
    EXPECT_EQ(f.GetFileTitle(), "data");
}

TEST(File, OpenFailuresReturnFalseWithCauseAndPath) {
    ScratchFolder dir;
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(dir / "missing.bin", CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(e.m_strFileName, dir / "missing.bin");
    EXPECT_NE(std::string(e.what()).find("missing.bin"), std::string::npos);
    EXPECT_FALSE(f.IsOpen());

    // A folder opens on Linux; as a file it is refused.
    EXPECT_FALSE(f.Open(dir.Path(), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::accessDenied);

    EXPECT_FALSE(f.Open(dir / "no/such/folder.bin", CFile::modeCreate | CFile::modeWrite, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(f.Open(dir / "missing.bin", CFile::modeRead)); // no exception object is fine

    EXPECT_THROW(CFile(dir / "missing.bin", CFile::modeRead), CFileException);
    // Operations on a closed file throw instead of touching descriptor -1.
    EXPECT_THROW(f.Read(&e, 1), CFileException);
    EXPECT_THROW(f.Write("x", 1), CFileException);
}

TEST(File, CreateTruncatesUnlessNoTruncateAndModesRestrictAccess) {
    ScratchFolder dir;
    std::string path = dir / "t.txt";
    ScratchFolder::WriteAll(path, "0123456789");
    {
        CFile f(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        EXPECT_EQ(f.GetLength(), 10u);
        f.Write("ab", 2);
    }
    EXPECT_EQ(ScratchFolder::ReadAll(path), "ab23456789");
    {
        CFile f(path, CFile::modeRead);
        try {
            f.Write("x", 1);
            FAIL() << "write on a read-only file succeeded";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, CFileException::accessDenied);
            EXPECT_EQ(e.m_strFileName, path);
        }
    }
    { CFile f(path, CFile::modeCreate | CFile::modeWrite); }
    EXPECT_EQ(ScratchFolder::ReadAll(path), "");
}

TEST(File, FullDiskIsReportedAsDiskFull) {
    // A file size limit makes the write fail as a full disk does, on an ordinary file.
    ScratchFolder dir;
    int cause = CFileException::none;
    {
        ScopedFileSizeLimit limit(4096);
        ASSERT_TRUE(limit.Active());
        try {
            CFile f(dir / "big.bin", CFile::modeCreate | CFile::modeWrite);
            const std::string block(8192, 'x');
            f.Write(block.data(), static_cast<UINT>(block.size()));
        } catch (const CFileException& e) {
            cause = e.m_cause;
        }
    }
    EXPECT_EQ(cause, CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToCause(ENOSPC), CFileException::diskFull);
    EXPECT_EQ(CFileException::OsErrorToCause(EDQUOT), CFileException::diskFull);
}

TEST(File, FailuresAreToldApartByTheirCause) {
    auto of = [](int osError) {
        return FileFailureOf(CFileException(CFileException::genericException, osError, "f"));
    };
    for (int e : {EACCES, EROFS, EPERM})
        EXPECT_EQ(of(e), FileFailure::AccessDenied) << e;
    for (int e : {ENOSPC, EDQUOT, EFBIG})
        EXPECT_EQ(of(e), FileFailure::DiskFull) << e;
    for (int e : {ENOENT, ENOTDIR})
        EXPECT_EQ(of(e), FileFailure::MissingPath) << e;
    for (int e : {EIO, ENXIO, EISDIR})
        EXPECT_EQ(of(e), FileFailure::Other) << e;
    // Without an error number the cause decides.
    EXPECT_EQ(FileFailureOf(CFileException(CFileException::diskFull, 0, "f")), FileFailure::DiskFull);
    EXPECT_EQ(FileFailureOf(CFileException()), FileFailure::Other);
    // Through a real open.
    ScratchFolder dir;
    CFile f;
    CFileException e;
    ASSERT_FALSE(f.Open(dir / "missing/x", CFile::modeCreate | CFile::modeWrite, &e));
    EXPECT_EQ(FileFailureOf(e), FileFailure::MissingPath);
    ASSERT_FALSE(f.Open("/sys/x", CFile::modeCreate | CFile::modeWrite, &e));
    EXPECT_EQ(FileFailureOf(e), FileFailure::AccessDenied);
}

TEST(File, AFifoOrADeviceIsRefusedBeforeAnyWait) {
    ScratchFolder dir;
    ScratchFifo fifo(dir / "x.tdv");
    ASSERT_TRUE(fifo.Made());
    FifoWatch watch(fifo.Path(), 3000);
    for (UINT flags :
         {UINT(CFile::modeRead), UINT(CFile::modeReadWrite), UINT(CFile::modeCreate | CFile::modeWrite)}) {
        CFile f;
        CFileException e;
        EXPECT_FALSE(f.Open(fifo.Path(), flags, &e));
        EXPECT_EQ(e.m_cause, CFileException::invalidFile);
        EXPECT_FALSE(f.IsOpen());
    }
    EXPECT_EQ(OpenRegularStream(fifo.Path(), "rb"), nullptr);
    EXPECT_EQ(errno, ENXIO);
    EXPECT_FALSE(RegularFileReadable(fifo.Path()));
    // A settings file that is a FIFO reads as an absent one.
    char value[16] = {};
    GetPrivateProfileString("S", "K", "def", value, sizeof value, fifo.Path().c_str());
    EXPECT_STREQ(value, "def");
    EXPECT_LT(watch.ElapsedMs(), 1000);

    CFile device;
    CFileException e;
    EXPECT_FALSE(device.Open("/dev/null", CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::invalidFile);
    EXPECT_FALSE(RegularFileReadable(dir.Path()));
    // An ordinary file still opens, and its descriptor blocks as usual.
    { CFile f(dir / "plain.bin", CFile::modeCreate | CFile::modeWrite); }
    EXPECT_TRUE(RegularFileReadable(dir / "plain.bin"));
    CFile plain(dir / "plain.bin", CFile::modeRead);
    EXPECT_EQ(::fcntl(plain.GetHandle(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(MemFile, ReadsWritesSeeksAndGrows) {
    CMemFile m;
    m.Write("abc", 3);
    m.Seek(5, CFile::begin);
    m.Write("z", 1); // the gap is zero-filled
    EXPECT_EQ(m.GetLength(), 6u);
    EXPECT_EQ(std::string(m.Data().begin(), m.Data().end()), std::string("abc\0\0z", 6));
    m.SeekToBegin();
    char buf[8];
    EXPECT_EQ(m.Read(buf, 8), 6u);
    EXPECT_EQ(m.Read(buf, 8), 0u);
    EXPECT_THROW(m.Seek(-7, CFile::current), CFileException);
    m.SetLength(2);
    EXPECT_EQ(m.GetPosition(), 2u);
    std::vector<BYTE> bytes = m.Detach();
    EXPECT_EQ(bytes.size(), 2u);
    EXPECT_EQ(m.GetLength(), 0u);

    CMemFile src("xyz", 3);
    EXPECT_EQ(src.Read(buf, 2), 2u);
    EXPECT_EQ(buf[1], 'y');
    EXPECT_FALSE(src.Open("/tmp/anything", CFile::modeRead));
}

TEST(AtomicFileWriter, ReplacesWholeOnCommitAndLeavesTheTargetOtherwise) {
    ScratchFolder dir;
    std::string target = dir / "out.ini";
    ScratchFolder::WriteAll(target, "old contents");
    ::chmod(target.c_str(), 0640);
    {
        AtomicFileWriter w(target);
        ASSERT_TRUE(w.Open());
        w.File().Write("partial", 7);
        EXPECT_EQ(ScratchFolder::ReadAll(target), "old contents");
        EXPECT_EQ(dir.EntryCount(), 2u);
        // The writer holds its temporary file locked, so that no cleaner takes it meanwhile.
        const int other = ::open(w.TempPath().c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(other, 0);
        EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0) << "the temporary file of an open writer is not locked";
        ::close(other);
    } // no Commit: dropped
    EXPECT_EQ(ScratchFolder::ReadAll(target), "old contents");
    EXPECT_EQ(dir.EntryCount(), 1u);

    AtomicFileWriter w(target);
    ASSERT_TRUE(w.Open());
    EXPECT_EQ(w.TempPath().rfind(dir.Path() + "/", 0), 0u); // beside the target
    w.File().Write("new", 3);
    ASSERT_TRUE(w.Commit());
    EXPECT_TRUE(w.IsCommitted());
    EXPECT_FALSE(w.Commit()); // only once
    EXPECT_EQ(ScratchFolder::ReadAll(target), "new");
    EXPECT_EQ(dir.EntryCount(), 1u);
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicFileWriter, WritesThroughALinkAndByNameOfTheTempFile) {
    ScratchFolder dir;
    std::string real = dir / "real.bmp";
    std::string link = dir / "link.bmp";
    ScratchFolder::WriteAll(real, "old");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

    AtomicFileWriter w(link);
    ASSERT_TRUE(w.Open());
    w.File().Close(); // another library writes by name
    ScratchFolder::WriteAll(w.TempPath(), "by name");
    ASSERT_TRUE(w.Commit());
    struct stat st;
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ScratchFolder::ReadAll(real), "by name");

    CFileException e;
    AtomicFileWriter bad(dir / "no/folder/x.bin");
    EXPECT_FALSE(bad.Open(&e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_FALSE(bad.Commit());
}

// A save killed mid-write leaves its temporary file beside the target; the next successful save
// of the same target removes it, and only what no running writer may still own.
TEST(AtomicFileWriter, TheNextSaveRemovesWhatKilledSavesOfTheTargetLeft) {
    ScratchFolder dir;
    const std::string target = dir / "a.bmp";
    ScratchFolder::WriteAll(target, "old");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t killed = ::fork();
    if (killed == 0) {
        AtomicFileWriter w(target);
        if (w.Open()) {
            w.File().Write("half a picture", 14);
            (void)!::write(fds[1], w.TempPath().data(), w.TempPath().size());
        }
        ::close(fds[1]);
        ::raise(SIGKILL);
    }
    ::close(fds[1]);
    char buf[4096];
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_GT(n, 0);
    const std::string killedTemp(buf, size_t(n));
    // Named after the target and the writer's process.
    ASSERT_EQ(killedTemp.rfind(dir.Path() + "/.a.bmp." + std::to_string(killed) + ".", 0), 0u) << killedTemp;
    ASSERT_EQ(ScratchFolder::ReadAll(killedTemp), "half a picture");

    // What must stay: the file of a live writer, of this process, of a writer that holds it
    // locked (one this process cannot see), of another target and of another naming.
    leftovers::LiveProcess live;
    const pid_t ended = leftovers::EndedProcessId();
    const std::vector<std::string> kept = {
        leftovers::TempName(dir.Path(), "a.bmp", live.Pid(), 0),
        leftovers::TempName(dir.Path(), "a.bmp", ::getpid(), 999),
        leftovers::TempName(dir.Path(), "a.bmp", ended, 1),
        leftovers::TempName(dir.Path(), "b.bmp", ended, 0),
        dir / ".a.bmp.x.0.tmp",
        dir / "a.bmp.123456.tmp",
    };
    for (const std::string& k : kept)
        ScratchFolder::WriteAll(k, "kept");
    const int locker = ::open(kept[2].c_str(), O_RDONLY);
    ASSERT_EQ(::flock(locker, LOCK_EX), 0);
    const std::string endedTemp = leftovers::TempName(dir.Path(), "a.bmp", ended, 7);
    ScratchFolder::WriteAll(endedTemp, "left");

    // A save that does not commit removes nothing.
    {
        AtomicFileWriter dropped(target);
        ASSERT_TRUE(dropped.Open());
    }
    EXPECT_TRUE(std::filesystem::exists(killedTemp));
    AtomicFileWriter w(target);
    ASSERT_TRUE(w.Open());
    w.File().Write("new", 3);
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(ScratchFolder::ReadAll(target), "new");
    EXPECT_FALSE(std::filesystem::exists(killedTemp));
    EXPECT_FALSE(std::filesystem::exists(endedTemp));
    for (const std::string& k : kept)
        EXPECT_TRUE(std::filesystem::exists(k)) << k;
    EXPECT_EQ(dir.EntryCount(), 1u + kept.size());
    ::close(locker);
}
