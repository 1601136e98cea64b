// Points the program's settings file at a fresh file in a scratch folder for the lifetime of
// the object, then restores the previous path (the folder goes with the object).
#pragma once

#include "platform/Settings.h"
#include "tests/support/ScratchFolder.h"

#include <string>

class ScratchSettingsFile {
public:
    ScratchSettingsFile() : previous_(GetSettingsFilePath()) { SetSettingsFilePath(Path()); }
    ~ScratchSettingsFile() { SetSettingsFilePath(previous_); }
    ScratchSettingsFile(const ScratchSettingsFile&) = delete;
    ScratchSettingsFile& operator=(const ScratchSettingsFile&) = delete;

    std::string Path() const { return folder_ / "Vantorel.ini"; }
    const std::string& Folder() const { return folder_.Path(); }

private:
    ScratchFolder folder_{"vt-settings"};
    std::string previous_;
};
