// The places the folder tree shows at its top: the user's desktop and documents folders (the XDG
// user folders), the local disks (the root and every mounted block device, no pseudo file
// systems) and the mounted network file systems.
#pragma once

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
// Sub-folders of a folder in name order (hidden ones and "RECYCLER" left out); false when the
// folder cannot be read. With firstOnly the search stops at the first one.
bool ListSubFolders(const std::string& folder, std::vector<std::string>& names, bool firstOnly = false);
