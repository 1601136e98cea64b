// A save past the file-size limit (ulimit -f) in either program: the program's start-up call
// ignores SIGXFSZ, so the save fails with its message instead of ending the process, the old file
// stays as it was and no temporary file is left beside it.
#include "HeightFiles.h"

#include "ids/BrelvoxaIds.h"
#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/ScriptedMessageSink.h"
#include "programs/common/ProgramServices.h"
#include "tests/support/ScratchFolder.h"
#include "viewer/ImageDoc.h"
#include "viewer3d/app/View3dDoc.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {

bool fileSizeSignalIgnored() {
    struct sigaction now {};
    return ::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
}

// Lowers the soft file-size limit of the process while the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lower = old_;
        lower.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
    bool Ok() const { return ok_; }

private:
    rlimit old_{};
    bool ok_ = false;
};

std::vector<std::string> names(const ScratchFolder& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(SaveUnderSizeLimit, VantorelsResultImageSaveReportsAndKeepsTheOldFile) {
    CScriptedMessageSink sink{IDOK};
    std::string error;
    ASSERT_TRUE(InstallVantorelServices(false, &error)) << error;
    EXPECT_TRUE(fileSizeSignalIgnored());

    ScratchFolder dir("vt-fsize");
    const std::string target = dir / "result.bmp";
    ScratchFolder::WriteAll(target, "the old picture");
    CImageDoc doc;
    HDIB image = DibCreate(400, 300, 1); // 360 000 bytes of pixels
    ASSERT_TRUE(doc.SetResultImage(image));
    GlobalFree(image);
    bool saved = true;
    {
        FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.Ok());
        saved = doc.SaveImage(target);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{UINT(vtid::str::CannotWriteData)});
    EXPECT_EQ(ScratchFolder::ReadAll(target), "the old picture");
    EXPECT_EQ(names(dir), std::vector<std::string>{"result.bmp"});
    // Without the limit the same save goes through.
    EXPECT_TRUE(doc.SaveImage(target));
    EXPECT_GT(std::filesystem::file_size(target), 360000u);
}

TEST(SaveUnderSizeLimit, BrelvoxasDocumentSaveReportsAndKeepsTheOldFile) {
    CScriptedMessageSink sink{IDOK};
    std::string error;
    ASSERT_TRUE(InstallBrelvoxaServices(false, &error)) << error;
    EXPECT_TRUE(fileSizeSignalIgnored());

    ScratchFolder dir("brx-fsize");
    const std::string source = dir / "heights.vv3";
    programstest::WriteBytes(source, programstest::Heights(200, 150, true));
    brx::CView3dDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(source));
    const std::string target = dir / "heights.tdv";
    ScratchFolder::WriteAll(target, "the old document");
    bool saved = true;
    {
        FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.Ok());
        saved = doc.OnSaveDocument(target);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{UINT(bxid::str::CannotSaveDocument)});
    EXPECT_EQ(ScratchFolder::ReadAll(target), "the old document");
    EXPECT_EQ(names(dir), (std::vector<std::string>{"heights.tdv", "heights.vv3"}));
    EXPECT_TRUE(doc.OnSaveDocument(target));
    EXPECT_GT(std::filesystem::file_size(target), 64u * 1024);
}
