#include "devices/camera/ProcParameter.h"

void CProcParameter::SetDeviceName(const std::string& name) {
    if (name.size() <= kDeviceNameMax) {
        m_deviceName = name;
        return;
    }
    // Cut on a UTF-8 character boundary so the name stays valid text.
    size_t n = kDeviceNameMax;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80)
        --n;
    m_deviceName = name.substr(0, n);
}

std::vector<std::string>& CProcParameter::NewModuleList() {
    m_moduleList = std::make_unique<std::vector<std::string>>();
    m_moduleList->reserve(10);
    return *m_moduleList;
}
