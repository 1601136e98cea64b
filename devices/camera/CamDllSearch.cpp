// Finding, probing and choosing camera modules: the two module folders, the probe by version, the
// choice by display name and the loading with initial.
#include "devices/camera/CamDll.h"

#include "devices/camera/CamDllDetail.h"
#include "ids/VantorelIds.h"
#include "platform/Module.h"
#include "platform/Time.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>

const char* const kCamUnnamedText = "名前未登録";

namespace {
constexpr const char* kDefaultCameraFolder = "/opt/velsko/tervik";

std::mutex g_folderMutex;
std::string g_programFolder; // empty: the folder of /proc/self/exe

std::string WithoutTrailingSlash(std::string s) {
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

bool HasCamExtension(const std::string& name) {
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".cam") == 0;
}

// The ".cam" files of a folder in name order (ignoring case, then by bytes), as full paths.
std::vector<std::string> ListCamFiles(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (!HasCamExtension(name))
                continue;
            struct stat st {};
            std::string full = folder + "/" + name;
            if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int c = strcasecmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    for (std::string& n : names)
        n = folder + "/" + n;
    return names;
}

std::string CurrentDirectory() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

// The current directory for loading one module: the camera folder for its own modules (so they find
// their companion files), the directory the caller had for all others.
class ModuleDirectory {
public:
    ModuleDirectory() : m_saved(CurrentDirectory()), m_cameraFolder(CCamDll::CameraModuleFolder()) {}
    ~ModuleDirectory() { Restore(); }
    ModuleDirectory(const ModuleDirectory&) = delete;
    ModuleDirectory& operator=(const ModuleDirectory&) = delete;

    void EnterFor(const std::string& path) {
        const std::string prefix = m_cameraFolder + "/";
        if (path.compare(0, prefix.size(), prefix) == 0) {
            if (chdir(m_cameraFolder.c_str()) != 0)
                Restore();
        } else {
            Restore();
        }
    }
    void Restore() {
        if (!m_saved.empty() && chdir(m_saved.c_str()) != 0)
            m_saved.clear();
    }

private:
    std::string m_saved;
    std::string m_cameraFolder;
};

int ModuleVersion(HMODULE module) {
    auto fn = reinterpret_cast<VtCamGetDllVersionFn>(GetProcAddress(module, "get_dll_version"));
    return fn ? fn() : VT_CAM_API_2;
}

// The display name of a loaded module, copied out of the module's memory before it can be freed.
std::string ModuleDisplayName(HMODULE module) {
    auto fn = reinterpret_cast<VtCamGetDisplayNameFn>(GetProcAddress(module, "get_display_name"));
    if (!fn) {
        CamShowMessage(vtid::str::CannotRegisterName);
        return kCamUnnamedText;
    }
    const char* name = fn();
    return name ? std::string(name) : std::string();
}

} // namespace

std::string CCamDll::CameraModuleFolder() {
    const char* env = std::getenv("VANTOREL_CAMERA_DIR");
    return WithoutTrailingSlash(env && *env ? std::string(env) : std::string(kDefaultCameraFolder));
}

std::string CCamDll::ProgramFolder() {
    std::lock_guard<std::mutex> lock(g_folderMutex);
    return g_programFolder.empty() ? GetProgramFolder() : g_programFolder;
}

void CCamDll::SetProgramFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_folderMutex);
    g_programFolder = folder.empty() ? std::string() : WithoutTrailingSlash(folder);
}

std::string GetCamModuleDisplayName(const std::string& path) {
    HMODULE module = LoadLibrary(path.c_str());
    if (!module)
        return std::string();
    std::string name = ModuleDisplayName(module);
    FreeLibrary(module);
    return name;
}

std::vector<std::string> CamModuleDisplayNames(const std::vector<std::string>& paths) {
    ModuleDirectory dir;
    std::vector<std::string> names;
    names.reserve(paths.size());
    for (const std::string& path : paths) {
        dir.EnterFor(path);
        names.push_back(GetCamModuleDisplayName(path));
    }
    return names;
}

int CamFindNamePrefix(const std::vector<std::string>& names, const std::string& prefix) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].size() >= prefix.size() &&
            strncasecmp(names[i].c_str(), prefix.c_str(), prefix.size()) == 0)
            return static_cast<int>(i);
    return -1;
}

void CCamDll::SetHostTokens(uint32_t mainWindow, uint32_t instance) {
    m_mainWindowToken = mainWindow;
    m_instanceToken = instance;
}

void CCamDll::WriteHostTokens() {
    if (!m_record)
        return;
    m_record->SetMainWindow(m_mainWindowToken);
    m_record->SetInstance(m_instanceToken);
}

int CCamDll::SearchModules() {
    if (m_notices)
        m_notices->BeginSearchNotice();
    ModuleDirectory dir;

    const std::string cameraFolder = CameraModuleFolder();
    std::vector<std::string> found = ListCamFiles(cameraFolder);
    std::vector<std::string> inProgram = ListCamFiles(ProgramFolder());
    const bool anyFound = !found.empty() || !inProgram.empty();
    found.insert(found.end(), inProgram.begin(), inProgram.end());
    std::vector<std::string>* list = nullptr;
    if (m_owner) {
        list = &m_owner->NewModuleList();
    }
    std::vector<std::string> scratch;
    if (!list)
        list = &scratch;

    m_loaded = 0;
    if (!anyFound) {
        m_module = nullptr;
        if (m_owner)
            m_owner->SetDeviceName(std::string());
        if (m_notices)
            m_notices->EndSearchNotice();
        return m_loaded;
    }

    // Probe: keep the modules of version 4 and above.
    bool tooOld = false;
    for (const std::string& path : found) {
        dir.EnterFor(path);
        HMODULE module = LoadLibrary(path.c_str());
        if (!module)
            continue;
        int version = ModuleVersion(module);
        if (GetProcAddress(module, "get_dll_version") && version < 4)
            tooOld = true;
        if (version >= 4) {
            Sleep(kProbePauseMs);
            list->push_back(path);
        }
        FreeLibrary(module);
    }
    if (list->empty() && tooOld)
        CamShowMessage(vtid::str::CameraVersionMismatch);

    // Choose the first module whose display name is the wanted one.
    const std::string wanted = m_owner ? m_owner->DeviceName() : std::string();
    std::string chosen;
    for (const std::string& path : *list) {
        dir.EnterFor(path);
        HMODULE module = LoadLibrary(path.c_str());
        if (!module)
            continue;
        std::string name = ModuleDisplayName(module);
        m_version = ModuleVersion(module);
        Sleep(kProbePauseMs);
        FreeLibrary(module);
        if (name == wanted) {
            chosen = path;
            break;
        }
    }
    if (m_notices)
        m_notices->EndSearchNotice();

    if (!chosen.empty()) {
        if (m_notices)
            m_notices->BeginWaitNotice();
        dir.EnterFor(chosen);
        LoadAndInitialise(chosen, false);
        if (m_notices)
            m_notices->EndWaitNotice();
    } else {
        Unload();
    }
    return m_loaded;
}

int CCamDll::LoadSelectedModule(const std::string& name) {
    ModuleDirectory dir;
    std::string chosen;
    if (std::vector<std::string>* list = m_owner ? m_owner->ModuleList() : nullptr) {
        for (const std::string& path : *list) {
            dir.EnterFor(path);
            HMODULE module = LoadLibrary(path.c_str());
            if (!module)
                continue;
            std::string moduleName = ModuleDisplayName(module);
            m_version = ModuleVersion(module);
            FreeLibrary(module);
            if (moduleName == name) {
                chosen = path;
                break;
            }
        }
    }
    if (chosen.empty()) {
        Unload();
        return m_loaded;
    }
    dir.EnterFor(chosen);
    LoadAndInitialise(chosen, !CamNameBeginsWithPfw(name));
    return m_loaded;
}

int CCamDll::LoadAndInitialise(const std::string& path, bool resetExt1) {
    // Every export takes the record: without one no module is started.
    if (!m_record) {
        Unload();
        return 0;
    }
    m_module = LoadLibrary(path.c_str());
    if (!m_module) {
        Unload();
        return 0;
    }
    m_loaded = 1;
    m_bound = 0;
    m_loadedPath = path;
    WriteHostTokens();
    auto initial = reinterpret_cast<VtCamRecordFn>(GetProcAddress(m_module, "initial"));
    if (initial && resetExt1 && m_record)
        m_record->SetExt1(-1);
    int failure = 0;
    if (!initial)
        failure = vtid::str::ReselectDevice;
    else if (initial(Param()) != 0)
        failure = vtid::str::NoBoard;
    if (failure) {
        CamShowMessage(failure);
        FreeLibrary(m_module);
        Unload();
    }
    return m_loaded;
}
