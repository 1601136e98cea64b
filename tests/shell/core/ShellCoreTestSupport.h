// A scratch settings file and working folder for the shell logic tests, with the program's
// resources loaded (slot names, format patterns).
#pragma once

#include "browser/core/ThumbCacheNames.h"
#include "platform/ProgramHelpers.h"
#include "tests/support/ScratchSettingsFile.h"
#include "ui/resources/ResourceRegistry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

class ShellSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ui::LoadProgramResources("vantorel")); }

    std::string File(const std::string& name) const { return settings.Folder() + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Settings() const { return Read("Vantorel.ini"); }

    ScratchSettingsFile settings;
};
