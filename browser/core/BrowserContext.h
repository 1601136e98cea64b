// What the browser's windows share with the program: the document's image map and list settings,
// the folder tree's refresh flag, the two lists, and the program's actions on an image.
#pragma once

#include "browser/core/ItemSort.h"
#include "browser/core/ThumbnailLoader.h"

#include <functional>
#include <string>

class CThumbnailListCtrl;
class CSelListCtrl;

struct BrowserContext {
    CImageDataMap* imageMap = nullptr;
    int thumbSize = 192;    // THUMBSIZE
    int selThumbSize = 128; // SELTHUMBSIZE
    int cellMargin = 5;
    int textLineUnit = 5;
    int sortCommand = ID_SORT_NAME; // SORT
    int boxSortKey = BOX_SORT_NUMBER_UP;
    // Set by the folder tree's refresh; the next pass decodes every image again.
    bool thumbnailRefreshFlag = false;
    CThumbnailListCtrl* thumbnailList = nullptr;
    CSelListCtrl* focusBox = nullptr;
    // Opens an image file in the result window (a double click); false when it refused.
    std::function<bool(const std::string& path)> openImage;
    // Commands of the thumbnail list's menu (32796, 23) go to the program.
    std::function<void(int command)> runCommand;
    // Removes the selected images from the focus image box after a move out of it.
    std::function<void()> removeSelectedFromBox;
    // A list got the keyboard focus (the program remembers which one has it).
    std::function<void(void* list)> setFocusedList;
};

// A document that holds a browser context (the program's document, the tests' document).
class BrowserDocument {
public:
    virtual ~BrowserDocument() = default;
    virtual BrowserContext& Browser() = 0;
};

#include "platform/Object.h"

// The hint object of a folder chosen in the folder tree (hint HINT_FOLDER_SELECTED).
class CFolderHint : public CObject {
public:
    explicit CFolderHint(std::string folder) : m_folder(std::move(folder)) {}
    std::string m_folder;
};
