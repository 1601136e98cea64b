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
#include "result/ImageDoc.h"
#include "viewer3d/app/View3dDoc.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>

namespace {

bool fileSizeSignalIgnored() {
    struct sigaction now {};
    return ::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
}

// Runs the save with the soft file-size limit of the process lowered to 64 KiB, and checks that
// it failed with the one message, left the old contents of the target and nothing beside it.
void expectRefusedUnderTheLimit(const std::function<bool()>& save, const CScriptedMessageSink& sink,
                                UINT message, const std::string& target, const std::string& old) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit lower = saved;
    lower.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lower), 0);
    const bool ok = save();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(ok);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{message});
    EXPECT_EQ(ScratchFolder::ReadAll(target), old);
}

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
    expectRefusedUnderTheLimit([&] { return doc.SaveImage(target); }, sink, vtid::str::CannotWriteData,
                               target, "the old picture");
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
    expectRefusedUnderTheLimit([&] { return doc.OnSaveDocument(target); }, sink,
                               bxid::str::CannotSaveDocument, target, "the old document");
    EXPECT_EQ(names(dir), (std::vector<std::string>{"heights.tdv", "heights.vv3"}));
    EXPECT_TRUE(doc.OnSaveDocument(target));
    EXPECT_GT(std::filesystem::file_size(target), 64u * 1024);
}
