#include "ui/resources/ResourceRegistry.h"

#include "platform/MessageSink.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#ifndef VT_RESOURCE_ROOT
#define VT_RESOURCE_ROOT ""
#endif

namespace fs = std::filesystem;

namespace ui {

bool ControlTemplate::HasStyle(const std::string& name) const {
    return std::find(styles.begin(), styles.end(), name) != styles.end();
}

bool DialogTemplate::HasStyle(const std::string& name) const {
    return std::find(styles.begin(), styles.end(), name) != styles.end();
}

const ControlTemplate* DialogTemplate::FindControl(int controlId) const {
    for (const auto& c : controls)
        if (c.id == controlId)
            return &c;
    return nullptr;
}

template <class Map>
static auto findIn(const Map& map, typename Map::key_type key) -> const typename Map::mapped_type* {
    auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

const std::string* ResourceRegistry::FindString(UINT id) const {
    return findIn(strings_, id);
}
std::string ResourceRegistry::LoadString(UINT id) const {
    const std::string* s = FindString(id);
    return s ? *s : std::string();
}
const DialogTemplate* ResourceRegistry::FindDialog(int id) const {
    return findIn(dialogs_, id);
}
const MenuTemplate* ResourceRegistry::FindMenu(int id) const {
    return findIn(menus_, id);
}
const std::vector<AcceleratorEntry>* ResourceRegistry::FindAccelerators(int id) const {
    return findIn(accelerators_, id);
}
const ImageEntry* ResourceRegistry::FindImage(int id) const {
    return findIn(images_, id);
}
const ImageEntry* ResourceRegistry::FindIcon(int id) const {
    return findIn(icons_, id);
}
const ImageEntry* ResourceRegistry::FindCursor(int id) const {
    return findIn(cursors_, id);
}
const ToolbarTemplate* ResourceRegistry::FindToolbar(int id) const {
    return findIn(toolbars_, id);
}
const std::vector<BYTE>* ResourceRegistry::FindData(int id) const {
    return findIn(data_, id);
}

size_t ToolbarTemplate::ButtonCount() const {
    return static_cast<size_t>(std::count_if(commands.begin(), commands.end(), [](int c) { return c != 0; }));
}

void ResourceRegistry::MergeFrom(const ResourceRegistry& other) {
    for (const auto& [k, v] : other.strings_)
        strings_[k] = v;
    for (const auto& [k, v] : other.dialogs_)
        dialogs_[k] = v;
    for (const auto& [k, v] : other.menus_)
        menus_[k] = v;
    for (const auto& [k, v] : other.accelerators_)
        accelerators_[k] = v;
    for (const auto& [k, v] : other.images_)
        images_[k] = v;
    for (const auto& [k, v] : other.icons_)
        icons_[k] = v;
    for (const auto& [k, v] : other.cursors_)
        cursors_[k] = v;
    for (const auto& [k, v] : other.toolbars_)
        toolbars_[k] = v;
    for (const auto& [k, v] : other.data_)
        data_[k] = v;
}

void ResourceRegistry::Clear() {
    *this = ResourceRegistry();
}

bool ResourceRegistry::LoadFolder(const std::string& folder, std::string* error, bool refuseRepeatedIds) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        if (error)
            *error = folder + ": no such folder";
        return false;
    }
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == ".txt")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    ResourceRegistry scratch;
    for (const auto& f : files) {
        ResourceRegistry one;
        if (!one.LoadFile(f, error))
            return false;
        if (const std::string again = refuseRepeatedIds ? scratch.FirstIdAlsoIn(one) : std::string();
            !again.empty()) {
            if (error)
                *error = f + ": " + again + " is defined in another file of the folder too";
            return false;
        }
        scratch.MergeFrom(one);
    }
    MergeFrom(scratch);
    return true;
}

std::string ResourceRegistry::FirstIdAlsoIn(const ResourceRegistry& other) const {
    std::string found;
    auto check = [&found](const auto& mine, const auto& theirs, const char* kind) {
        for (const auto& entry : theirs)
            if (found.empty() && mine.count(entry.first))
                found = std::string(kind) + " " + std::to_string(entry.first);
    };
    check(strings_, other.strings_, "string");
    check(dialogs_, other.dialogs_, "template");
    check(menus_, other.menus_, "menu");
    check(accelerators_, other.accelerators_, "accelerator table");
    check(images_, other.images_, "image");
    check(icons_, other.icons_, "icon");
    check(cursors_, other.cursors_, "cursor");
    check(toolbars_, other.toolbars_, "tool bar");
    check(data_, other.data_, "data block");
    return found;
}

std::string MessageText(UINT stringId, const std::vector<std::string>& args) {
    const std::string* text = Resources().FindString(stringId);
    // A missing entry still shows something the user can quote.
    std::string base = text ? *text : "(" + std::to_string(stringId) + ")";
    return FormatMessageArgs(base, args);
}

ResourceRegistry& Resources() {
    static ResourceRegistry registry;
    return registry;
}

std::string ProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return exe.parent_path().string();
}

// The resources folder beside the program, else the one of the source tree. A folder counts only
// when it holds the common resources (a build folder may have an unrelated "resources" beside it).
static std::string resourceRoot() {
    std::error_code ec;
    std::string beside = ProgramFolder() + "/resources";
    if (fs::is_directory(beside + "/common", ec))
        return beside;
    return VT_RESOURCE_ROOT;
}

bool LoadProgramResources(const std::string& program, std::string* error) {
    std::string root = resourceRoot();
    ResourceRegistry fresh;
    std::error_code ec;
    if (fs::is_directory(root + "/common", ec) && !fresh.LoadFolder(root + "/common", error, true))
        return false;
    if (!fresh.LoadFolder(root + "/" + program, error, true))
        return false;
    Resources() = std::move(fresh);
    return true;
}

std::string BundleFolderFor(const std::string& libraryName) {
    std::string name = libraryName;
    auto dot = name.find_last_of('.');
    auto slash = name.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);
    if (slash != std::string::npos)
        return name;
    return ProgramFolder() + "/" + name;
}

bool LoadLanguageBundle(const std::string& libraryName, std::string* error) {
    if (libraryName.empty())
        return false;
    ResourceRegistry bundle;
    if (!bundle.LoadFolder(BundleFolderFor(libraryName), error))
        return false;
    Resources().MergeFrom(bundle);
    return true;
}

} // namespace ui
