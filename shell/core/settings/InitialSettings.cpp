#include "shell/core/settings/InitialSettings.h"

#include "platform/Settings.h"
#include "shell/core/settings/StartMode.h"
#include "ids/VantorelIds.h"

#include <cstdio>

namespace {
constexpr const char* kSection = "InitialSettings";

std::string OriginOffsetKey(int lensNumber) {
    char key[40];
    std::snprintf(key, sizeof key, "ORIGINOFFSET_ML%d", lensNumber);
    return key;
}
} // namespace

int ReadStartingMode() {
    return ReadIniInt(kSection, "STARTINGMODE", kModeThumbnails);
}

void WriteStartingMode(int mode) {
    WriteIniInt(kSection, "STARTINGMODE", mode);
}

int ReadNoStartDialog() {
    return ReadIniInt(kSection, "NOSTARTDISP", 0);
}

void WriteNoStartDialog(int hide) {
    WriteIniInt(kSection, "NOSTARTDISP", hide);
}

std::string ReadLanguageLibrary() {
    char name[256];
    const DWORD n = ReadIniString(kSection, "Resource", "", name, sizeof name);
    return std::string(name, n);
}

void WriteLanguageLibrary(const std::string& name) {
    WriteIniString(kSection, "Resource", name.c_str());
}

ProgramFolders ReadProgramFolders() {
    ProgramFolders f;
    f.imagePath = ReadIniString(kSection, "IMAGEPATH", "");
    f.autoPath = ReadIniString(kSection, "AUTOPATH", "");
    f.autoDir = ReadIniString(kSection, "AUTODIR", "");
    return f;
}

void WriteImagePath(const std::string& path) {
    WriteIniString(kSection, "IMAGEPATH", path.c_str());
}

void WriteAutoPath(const std::string& path) {
    WriteIniString(kSection, "AUTOPATH", path.c_str());
}

void WriteAutoDir(const std::string& folder) {
    WriteIniString(kSection, "AUTODIR", folder.c_str());
}

std::string ReadPositionFileFolder() {
    return ReadIniString(kSection, "TAKEPATH", "");
}

void WritePositionFileFolder(const std::string& folder) {
    WriteIniString(kSection, "TAKEPATH", folder.c_str());
}

ThumbnailSettings ReadThumbnailSettings() {
    ThumbnailSettings t;
    t.sort = ReadIniInt(kSection, "SORT", vtid::cmd::SortByName);
    t.thumbSize = ReadIniInt(kSection, "THUMBSIZE", 0);
    t.selThumbSize = ReadIniInt(kSection, "SELTHUMBSIZE", 0);
    return t;
}

void WriteThumbnailSort(int sort) {
    WriteIniInt(kSection, "SORT", sort);
}

void WriteThumbnailSizes(int thumbSize, int selThumbSize) {
    WriteIniInt(kSection, "THUMBSIZE", thumbSize);
    WriteIniInt(kSection, "SELTHUMBSIZE", selThumbSize);
}

int ReadHeightButton() {
    return ReadIniInt(kSection, "HeightButton", 1);
}

double ReadOriginOffset(int lensNumber) {
    return ReadIniDouble(kSection, OriginOffsetKey(lensNumber).c_str(), kNoOriginOffset);
}

void WriteOriginOffset(int lensNumber, double offset) {
    WriteIniDouble(kSection, OriginOffsetKey(lensNumber).c_str(), offset);
}
