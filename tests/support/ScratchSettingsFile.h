// Points the program's settings file at a fresh file in a temporary folder for the lifetime of
// the object, then restores the previous path and removes the folder.
#pragma once

#include "platform/Settings.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

class ScratchSettingsFile {
public:
    ScratchSettingsFile() : previous_(GetSettingsFilePath()) {
        char dir[] = "/tmp/vt-settings-XXXXXX";
        if (!mkdtemp(dir))
            throw std::runtime_error("cannot make a temporary folder");
        folder_ = dir;
        SetSettingsFilePath(Path());
    }
    ~ScratchSettingsFile() {
        SetSettingsFilePath(previous_);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    ScratchSettingsFile(const ScratchSettingsFile&) = delete;
    ScratchSettingsFile& operator=(const ScratchSettingsFile&) = delete;

    std::string Path() const { return folder_ + "/Vantorel.ini"; }
    const std::string& Folder() const { return folder_; }

private:
    std::string previous_;
    std::string folder_;
};
