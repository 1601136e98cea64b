#include "platform/Module.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Module, LoadsALibraryCallsAnExportAndFreesIt) {
    HMODULE m = LoadLibrary("libm.so.6");
    ASSERT_NE(m, nullptr) << GetModuleError();
    EXPECT_EQ(GetModuleError(), "");
    auto cosine = GetProcAddressAs<double (*)(double)>(m, "cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);

    EXPECT_EQ(GetProcAddress(m, "no_such_export_here"), nullptr);
    EXPECT_NE(GetModuleError().find("no_such_export_here"), std::string::npos);
    EXPECT_EQ(GetProcAddress(m, nullptr), nullptr);
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_FALSE(FreeLibrary(nullptr));
    EXPECT_EQ(GetProcAddress(nullptr, "cos"), nullptr);
}

TEST(Module, MissingOrBrokenFilesGiveNullWithTheReason) {
    EXPECT_EQ(LoadLibrary("/nonexistent/folder/camera.cam"), nullptr);
    EXPECT_NE(GetModuleError().find("/nonexistent/folder/camera.cam"), std::string::npos);
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_NE(GetModuleError(), "");
    // A file that is not a library at all.
    EXPECT_EQ(LoadLibrary(VT_SOURCE_DIR "/platform/Module.h"), nullptr);
    EXPECT_NE(GetModuleError(), "");
}

TEST(Module, ProgramPathNamesTheRunningTestProgram) {
    std::string exe = GetProgramFilePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(std::filesystem::exists(exe));
    EXPECT_EQ(std::filesystem::path(exe).filename(), "platform_unit_tests");
    EXPECT_EQ(GetProgramFolder(), std::filesystem::path(exe).parent_path().string());
}
