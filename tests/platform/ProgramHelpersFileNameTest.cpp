#include "ids/VantorelIds.h"
#include "platform/ProgramHelpers.h"

#include "platform/ScriptedMessageSink.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct NumberedCase {
    std::string name;
    int increment;
    std::string out;
    int number;
};

TEST(NumberedFileNames, NextNameAndNumber) {
    const std::string longFolder = "/data/" + std::string(300, 'd') + "/";
    const NumberedCase cases[] = {
        {"/cap/img005.bmp", 1, "/cap/img006.bmp", 6},
        {"/cap/img999.bmp", 1, "/cap/img000.bmp", 0},
        {"/cap/img.bmp", 1, "/cap/img001.bmp", 1},
        {"/cap/img1234.bmp", 1, "/cap/img235.bmp", 235},
        {"/cap/img005.bmp", 0, "/cap/img005.bmp", 5},
        {"/cap/img5.jpg", 0, "/cap/img005.jpg", 5},
        {"/cap/img1999.tif", 0, "/cap/img999.tif", 999}, // wrapped once only
        {"/cap/img1999.tif", 1, "/cap/img1000.tif", 1000},
        {"/cap/base", 1, "/cap/base000", 0},
        {"/cap/base", 7, "/cap/base000", 0},
        {"/cap.v2/base", 3, "/cap.v2/base000", 0}, // a dot in the folder is no extension
        {"/cap/12/.bmp", 1, "/cap/12/001.bmp", 1}, // the digit run stops at the folder
        {"img007.a.bmp", 1, "img007.a001.bmp", 1}, // only the last extension counts
        {"007.bmp", 2, "009.bmp", 9},
        {longFolder + "img041.bmp", 1, longFolder + "img042.bmp", 42}, // no truncation
        // A digit run longer than an int is clamped rather than overflowing.
        {"/cap/img99999999999999999999.bmp", 0, "/cap/img2147482647.bmp", 2147482647},
    };
    for (const NumberedCase& c : cases) {
        SCOPED_TRACE(c.name + " +" + std::to_string(c.increment));
        std::string out;
        EXPECT_EQ(MakeNumberedFileName(c.name, out, c.increment), c.number);
        EXPECT_EQ(out, c.out);
    }
    std::string same = "/cap/img005.bmp";
    EXPECT_EQ(MakeNumberedFileName(same, same, 1), 6);
    EXPECT_EQ(same, "/cap/img006.bmp");
}

TEST(NumberedFileNames, FileNumberIsTheDigitRunBeforeTheExtension) {
    std::string text = "junk";
    EXPECT_EQ(GetFileNumber("/cap/img042.bmp", text), 42);
    EXPECT_EQ(text, "042");
    EXPECT_EQ(GetFileNumber("/cap/img.bmp", text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(GetFileNumber("/cap/img", text), 0);
    EXPECT_EQ(text, "000");
    EXPECT_EQ(GetFileNumber("/c.d/img12", text), 0);
    EXPECT_EQ(text, "000");
    EXPECT_EQ(GetFileNumber("/cap/12/.bmp", text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(GetFileNumber("/cap/a99999999999.bmp", text), 2147483647);
    EXPECT_EQ(text, "99999999999");
}

class CaptureFolder : public ::testing::Test {
protected:
    void SetUp() override { CheckNumberedFileName(nullptr, nullptr); }
    std::string Name(const char* leaf) const { return (m_dir / leaf).string(); }
    void Touch(const char* leaf) const { std::ofstream(m_dir / leaf) << "x"; }
    ScratchFolder m_scratch{"helpers_names"};
    fs::path m_dir{m_scratch.Path()};
};

TEST_F(CaptureFolder, OverwriteIsAskedOnceForARunOfExistingNames) {
    Touch("img000.bmp");
    Touch("img001.bmp");
    CScriptedMessageSink sink(IDNO);
    sink.Queue({IDYES});
    std::string out;
    EXPECT_EQ(CheckNumberedFileName(Name("img000.bmp").c_str(), &out), 0);
    EXPECT_EQ(out, Name("img000.bmp"));
    ASSERT_EQ(sink.ShownMessages().size(), 1u);
    const auto shown = sink.ShownMessages()[0];
    EXPECT_EQ(shown.id, vtid::str::ConfirmOverwrite);
    EXPECT_EQ(shown.type, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(shown.args, std::vector<std::string>{Name("img000.bmp")});

    // Agreed once: the next existing name is taken without a question.
    EXPECT_EQ(CheckNumberedFileName(Name("img001.bmp").c_str(), &out), 1);
    EXPECT_EQ(sink.CountOf(vtid::str::ConfirmOverwrite), 1u);

    // A free name ends the run ...
    EXPECT_EQ(CheckNumberedFileName(Name("img2.bmp").c_str(), &out), 2);
    EXPECT_EQ(out, Name("img002.bmp"));
    EXPECT_EQ(sink.CountOf(vtid::str::ConfirmOverwrite), 1u);
    // ... so the next existing one is asked again; No refuses it.
    EXPECT_EQ(CheckNumberedFileName(Name("img001.bmp").c_str(), &out), -1);
    EXPECT_EQ(sink.CountOf(vtid::str::ConfirmOverwrite), 2u);
    // A refusal does not count as agreement.
    EXPECT_EQ(CheckNumberedFileName(Name("img001.bmp").c_str(), &out), -1);
    EXPECT_EQ(sink.CountOf(vtid::str::ConfirmOverwrite), 3u);
}

TEST_F(CaptureFolder, ResetMakesTheNextExistingNameAskAgain) {
    Touch("a000.bmp");
    CScriptedMessageSink sink(IDYES);
    std::string out;
    EXPECT_EQ(CheckNumberedFileName(Name("a000.bmp").c_str(), &out), 0);
    EXPECT_EQ(CheckNumberedFileName(Name("a000.bmp").c_str(), &out), 0);
    EXPECT_EQ(sink.CountOf(vtid::str::ConfirmOverwrite), 1u);
    EXPECT_EQ(CheckNumberedFileName(nullptr, nullptr), 0);
    EXPECT_EQ(CheckNumberedFileName(Name("a000.bmp").c_str(), nullptr), 0);
    EXPECT_EQ(sink.CountOf(vtid::str::ConfirmOverwrite), 2u);
    // A name without extension is checked as base000.
    Touch("plain000");
    EXPECT_EQ(CheckNumberedFileName(nullptr, nullptr), 0);
    EXPECT_EQ(CheckNumberedFileName(Name("plain").c_str(), &out), 0);
    EXPECT_EQ(out, Name("plain000"));
    EXPECT_EQ(sink.CountOf(vtid::str::ConfirmOverwrite), 3u);
}

TEST(FileNames, NamePart) {
    EXPECT_EQ(GetFileNamePart("/a/b/c.bmp"), "c.bmp");
    EXPECT_EQ(GetFileNamePart("c.bmp"), "c.bmp");
    EXPECT_EQ(GetFileNamePart("/a/b/"), "");
}

TEST(SystemMessages, TextOfAnErrorNumberFitsOrIsRefused) {
    char buffer[256];
    ASSERT_EQ(FormatSystemMessage(ENOENT, buffer, sizeof buffer), buffer);
    EXPECT_STREQ(buffer, std::strerror(ENOENT));
    size_t n = std::strlen(buffer);
    char exact[256];
    EXPECT_EQ(FormatSystemMessage(ENOENT, exact, static_cast<DWORD>(n + 1)), exact);
    EXPECT_EQ(FormatSystemMessage(ENOENT, exact, static_cast<DWORD>(n)), nullptr);
    EXPECT_EQ(FormatSystemMessage(ENOENT, nullptr, 10), nullptr);
    ASSERT_EQ(FormatSystemMessage(987654, buffer, sizeof buffer), buffer);
    EXPECT_GT(std::strlen(buffer), 0u);
}

} // namespace
