// The places the folder tree shows at its top: the user's desktop and documents folders (the XDG
// user folders), the local disks (the root and every mounted block device, no pseudo file
// systems) and the mounted network file systems.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

struct MountedVolume {
    std::string mountPoint;
    std::string label; // "<volume name> (<mount point>)" or "(<mount point>)"
    bool network = false;
    bool removable = false;
};

std::string DesktopFolder();
std::string DocumentsFolder();
// From a mounts table in the format of /proc/self/mounts (device, mount point, type, ...).
std::vector<MountedVolume> ParseMounts(const std::string& table);
std::vector<MountedVolume> MountedVolumes();
// "\040" and the other octal escapes of the mounts table.
std::string UnescapeMountField(const std::string& field);
// Sub-folders of a folder in the thumbnail list's name order (ComparePathNames: letters without
// case first; hidden ones and "RECYCLER" left out); false when the
// folder cannot be read. With firstOnly the search stops at the first one.
bool ListSubFolders(const std::string& folder, std::vector<std::string>& names, bool firstOnly = false);

// A folder as the tree finds it: a relative path is taken from base (the working folder), and
// "." and ".." parts and a trailing '/' are resolved away; empty stays empty.
std::string AbsoluteFolder(const std::string& path, const std::string& base);

// The folder tree's pane width beside the top menu bar: when the pane (width) would reach under
// the top menu's control 954 (left edge left954) once the offset d = right829 - right825 is added,
// the pane gets left954 - d - 30 (at least 0); -1 keeps the width.
inline int PaneWidthForTopMenu(int width, int right825, int right829, int left954) {
    const int d = right829 - right825;
    if (width + d > left954 - 30)
        return std::max(0, left954 - d - 30);
    return -1;
}
