#include "browser/core/ShellFolders.h"

#include "browser/core/ItemSort.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string Home() {
    const char* h = std::getenv("HOME");
    return h && *h ? h : "/";
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// XDG_<KEY>_DIR of user-dirs.dirs, with $HOME expanded; empty when not set.
std::string UserDir(const std::string& key) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file =
        (config && *config ? std::string(config) : Home() + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    const std::string prefix = "XDG_" + key + "_DIR=";
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string v = line.substr(prefix.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
            v = v.substr(1, v.size() - 2);
        if (v.compare(0, 5, "$HOME") == 0)
            v = Home() + v.substr(5);
        return v;
    }
    return std::string();
}

std::string Folder(const std::string& key, const std::string& fallback) {
    std::string d = UserDir(key);
    if (d.empty() || !IsFolder(d))
        d = Home() + "/" + fallback;
    if (!IsFolder(d))
        d = Home();
    return d;
}

const std::set<std::string> kNetworkTypes = {"nfs",        "nfs4",      "cifs", "smb3",       "smbfs",
                                             "ncpfs",      "afs",       "9p",   "fuse.sshfs", "davfs",
                                             "fuse.davfs", "glusterfs", "ceph"};

std::string VolumeName(const std::string& device) {
    DIR* d = ::opendir("/dev/disk/by-label");
    if (!d)
        return std::string();
    std::string found;
    char target[4096];
    while (dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        char* real = ::realpath((std::string("/dev/disk/by-label/") + e->d_name).c_str(), target);
        if (real && device == real) {
            found = UnescapeMountField(e->d_name);
            break;
        }
    }
    ::closedir(d);
    return found;
}

} // namespace

std::string DesktopFolder() {
    return Folder("DESKTOP", "Desktop");
}

std::string DocumentsFolder() {
    return Folder("DOCUMENTS", "Documents");
}

std::string UnescapeMountField(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1]))) {
            out.push_back(char(std::strtol(field.substr(i + 1, 3).c_str(), nullptr, 8)));
            i += 3;
        } else if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] == 'x') {
            out.push_back(char(std::strtol(field.substr(i + 2, 2).c_str(), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

std::vector<MountedVolume> ParseMounts(const std::string& table) {
    std::vector<MountedVolume> out;
    std::set<std::string> seen;
    std::istringstream in(table);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type))
            continue;
        point = UnescapeMountField(point);
        MountedVolume v;
        v.mountPoint = point;
        v.network = kNetworkTypes.count(type) != 0;
        const bool disk = device.compare(0, 5, "/dev/") == 0 && device.compare(0, 9, "/dev/loop") != 0;
        if (!(point == "/" || disk || v.network) || !seen.insert(point).second)
            continue;
        v.removable = point.compare(0, 7, "/media/") == 0 || point.compare(0, 11, "/run/media/") == 0;
        const std::string name = disk ? VolumeName(device) : std::string();
        v.label = name.empty() ? "(" + point + ")" : name + " (" + point + ")";
        out.push_back(v);
    }
    std::sort(out.begin(), out.end(),
              [](const auto& a, const auto& b) { return a.mountPoint < b.mountPoint; });
    return out;
}

std::vector<MountedVolume> MountedVolumes() {
    std::ifstream in("/proc/self/mounts");
    return ParseMounts(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

bool ListSubFolders(const std::string& folder, std::vector<std::string>& names, bool firstOnly) {
    names.clear();
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return false;
    std::vector<std::string> all;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.empty() || name[0] == '.' || name == "RECYCLER")
            continue;
        const std::string path = (folder == "/" ? "" : folder) + "/" + name;
        if (!IsFolder(path))
            continue;
        all.push_back(name);
    }
    ::closedir(d);
    // In the order of the thumbnail list's names: letters compared without case first.
    std::sort(all.begin(), all.end(),
              [](const std::string& a, const std::string& b) { return ComparePathNames(a, b) < 0; });
    if (firstOnly && all.size() > 1)
        all.resize(1);
    names = std::move(all);
    return true;
}

std::string AbsoluteFolder(const std::string& path, const std::string& base) {
    if (path.empty())
        return path;
    std::filesystem::path p(path);
    if (p.is_relative())
        p = std::filesystem::path(base) / p;
    std::string out = p.lexically_normal().string();
    if (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}
