#include "shell/core/capture/CapturePathCheck.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(CapturePathCheck, LeavesNoFileAndKeepsAnExistingOne) {
    ScratchFolder folder("vt-pathcheck");
    const std::string fresh = folder / "img000.bmp";
    EXPECT_TRUE(CanWriteCapturePath(fresh));
    EXPECT_FALSE(fs::exists(fresh)); // no empty file is left behind

    const std::string existing = folder / "img001.bmp";
    std::ofstream(existing, std::ios::binary) << "picture";
    const auto before = fs::last_write_time(existing);
    EXPECT_TRUE(CanWriteCapturePath(existing));
    EXPECT_EQ(fs::file_size(existing), 7u); // not truncated
    EXPECT_EQ(fs::last_write_time(existing), before);

    EXPECT_FALSE(CanWriteCapturePath(folder / "missing/img000.bmp"));
    EXPECT_FALSE(CanWriteCapturePath(folder.Path())); // a folder
    EXPECT_FALSE(CanWriteCapturePath(""));
    if (::geteuid() != 0) { // root writes anywhere
        ::chmod(existing.c_str(), 0444);
        EXPECT_FALSE(CanWriteCapturePath(existing));
        const std::string locked = folder / "locked";
        fs::create_directory(locked);
        ::chmod(locked.c_str(), 0555);
        EXPECT_FALSE(CanWriteCapturePath(locked + "/img000.bmp"));
        EXPECT_FALSE(fs::exists(locked + "/img000.bmp"));
        ::chmod(locked.c_str(), 0755);
    }
}
