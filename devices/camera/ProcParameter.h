// The camera parameters of the main frame: the record handed to the camera module, the display name of
// the module to use and the list of usable module files that the last search found.
#pragma once

#include "devices/camera/CamParamRecord.h"

#include <memory>
#include <string>
#include <vector>

// The interface through which the loader reaches its owner's parameters.
class ProcParameter {
public:
    virtual ~ProcParameter() = default;
};

class CProcParameter : public ProcParameter {
public:
    // Display names are kept to 255 bytes, the size of the original text field less its terminator.
    static constexpr size_t kDeviceNameMax = 255;

    ~CProcParameter() override = default;

    // The record in use (owned by the main frame; null until it is made).
    CamParamRecord* m_pRecord = nullptr;

    const std::string& DeviceName() const { return m_deviceName; }
    void SetDeviceName(const std::string& name);

    // Full paths of the usable ".cam" files in search order; null before the first search.
    std::vector<std::string>* ModuleList() const { return m_moduleList.get(); }
    // Drops the previous list and starts an empty one (the search does this).
    std::vector<std::string>& NewModuleList();
    void FreeModuleList() { m_moduleList.reset(); }

private:
    std::string m_deviceName;
    std::unique_ptr<std::vector<std::string>> m_moduleList;
};
