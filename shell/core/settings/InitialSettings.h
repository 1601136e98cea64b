// [InitialSettings] of the settings file, read and written here for every window: how the
// program starts (STARTINGMODE, NOSTARTDISP, the language library Resource), the folders it
// keeps (IMAGEPATH, AUTOPATH, AUTODIR, TAKEPATH), the thumbnail lists' order and sizes (SORT,
// THUMBSIZE, SELTHUMBSIZE), the composition bar's HeightButton and the focus drive's origin
// offset of each lens (ORIGINOFFSET_ML<lens number>). Every read and write goes to the file
// when it is called; each write function writes the keys it names, in that order.
#pragma once

#include <string>

// STARTINGMODE (int, 1007): the start mode last entered.
int ReadStartingMode();
void WriteStartingMode(int mode);
// NOSTARTDISP (int, 0): 1 starts in the stored mode without the start dialog.
int ReadNoStartDialog();
void WriteNoStartDialog(int hide);
// Resource (text, empty; at most 255 bytes are read): the language library's name.
std::string ReadLanguageLibrary();
void WriteLanguageLibrary(const std::string& name);

// The folders the application keeps: IMAGEPATH (the thumbnails' folder), AUTOPATH (the first
// picture of the last capture) and AUTODIR (its folder); text, empty each.
struct ProgramFolders {
    std::string imagePath;
    std::string autoPath;
    std::string autoDir;
};
ProgramFolders ReadProgramFolders();
void WriteImagePath(const std::string& path);
void WriteAutoPath(const std::string& path);
void WriteAutoDir(const std::string& folder);
// TAKEPATH (text, empty): the folder of the last position file saved or loaded.
std::string ReadPositionFileFolder();
void WritePositionFileFolder(const std::string& folder);

// The thumbnail lists: SORT (int, the sort-by-name command) and the sizes THUMBSIZE and
// SELTHUMBSIZE (int, 0 each: not set).
struct ThumbnailSettings {
    int sort = 0;
    int thumbSize = 0;
    int selThumbSize = 0;
};
ThumbnailSettings ReadThumbnailSettings();
void WriteThumbnailSort(int sort);
// THUMBSIZE, then SELTHUMBSIZE.
void WriteThumbnailSizes(int thumbSize, int selThumbSize);

// HeightButton (int, 1): 0 hides the composition bar's height settings button.
int ReadHeightButton();

// ORIGINOFFSET_ML<lens number> (real): the focus drive's origin offset of a lens of the lens
// port; kNoOriginOffset when absent.
constexpr double kNoOriginOffset = 9999999.9;
double ReadOriginOffset(int lensNumber);
void WriteOriginOffset(int lensNumber, double offset);
