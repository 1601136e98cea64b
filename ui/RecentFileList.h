// The recent-file list of a program: the last four files opened or saved under a new name, kept
// in the program's settings file ([Recent File List] File1..File4), shown at the end of the first
// menu (before its last item) as "&1 name" … with the four commands from uiid::cmd::FirstRecentFile
// on (57616..57619), and opened through the program's own open function. An entry that no longer
// opens is taken off the list.
#pragma once

#include "ids/CommonIds.h"

#include <functional>
#include <string>
#include <vector>

class wxFrame;
class wxMenu;

namespace ui {

class WindowBase;

class RecentFileList {
public:
    static constexpr int kFirstCommand = uiid::cmd::FirstRecentFile;
    static constexpr int kMaxFiles = 4;

    // settingsFile: the program's settings file the list is kept in.
    explicit RecentFileList(std::string settingsFile);

    // Reads the list from the settings file (empty entries skipped).
    void Load();
    // A file opened or saved: it goes to the front (an entry of the same path moves there), the
    // list keeps at most four, and the settings file is written.
    void Add(const std::string& path);
    // Takes an entry off the list and writes the settings file.
    void Remove(size_t index);
    const std::vector<std::string>& Files() const { return files_; }

    // Commands kFirstCommand.. of the frame open their entry with open (false: the entry is taken off);
    // the frame's first menu shows the current entries (brought up to date in idle time).
    void Attach(wxFrame* frame, WindowBase* target, std::function<bool(const std::string&)> open);
    // Puts the entries (and a separator after them) into the menu before its last item, in place
    // of those put there before.
    void FillMenu(wxMenu* menu) const;

private:
    void Save() const;
    std::string settingsFile_;
    std::vector<std::string> files_;
    unsigned generation_ = 0; // counts the changes of the list
};

} // namespace ui
