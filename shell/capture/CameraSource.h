// CameraSource: the camera module as the live views and the capture panels reach it. The main
// frame loads, binds, connects and frees the module and keeps its parameter record; the views
// grab through it and clear the layout refresh once they have set the picture's layout up.
#pragma once

#include "devices/camera/CamDll.h"
#include "devices/camera/ProcParameter.h"

#include <string>

class CameraSource {
public:
    virtual ~CameraSource() = default;

    virtual CCamDll& CameraModule() = 0;
    // The parameters the module is opened with; their record (m_pRecord) is null while the camera
    // settings are not loaded.
    virtual CProcParameter& CameraParameters() = 0;
    // The input device the settings name; empty while none is chosen.
    virtual const std::string& InputDevice() const = 0;
    // The display name of the loaded module.
    virtual const std::string& CameraModuleName() const = 0;
    // The module could not be loaded, bound or connected (or its input mode is being set): the
    // live views grab nothing.
    virtual bool CameraFailed() const = 0;
    // The module's picture layout may have changed (its settings were saved, a new input mode):
    // the next live grab sets the layout up again and clears the flag.
    virtual bool LayoutRefreshPending() const = 0;
    virtual void SetLayoutRefresh(bool pending) = 0;
};
