// Folders of real test camera modules for the loader tests: a camera software folder and a program
// folder filled with links to the modules that tools/testcam built, installed for one test.
#pragma once

#include "devices/camera/CamDll.h"
#include "imaging/bitmaps/Dib.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace camtest {

namespace fs = std::filesystem;

// Where tools/testcam put its modules (VT_TESTCAM_DIR overrides the build tree).
inline std::string ModuleDir() {
    const char* env = std::getenv("VT_TESTCAM_DIR");
    return env && *env ? std::string(env) : std::string(VT_BINARY_DIR) + "/tools/testcam";
}
inline std::string ConfigModule(const std::string& name) {
    return ModuleDir() + "/config/" + name + ".cam";
}
inline std::string RenderModule() {
    return ModuleDir() + "/render/testcam_render.cam";
}

class CamFolders {
public:
    CamFolders() {
        fs::create_directories(Camera());
        fs::create_directories(Program());
        const char* old = std::getenv("VANTOREL_CAMERA_DIR");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        setenv("VANTOREL_CAMERA_DIR", Camera().c_str(), 1);
        CCamDll::SetProgramFolder(Program());
    }
    ~CamFolders() {
        if (hadOld_)
            setenv("VANTOREL_CAMERA_DIR", old_.c_str(), 1);
        else
            unsetenv("VANTOREL_CAMERA_DIR");
        CCamDll::SetProgramFolder("");
    }
    CamFolders(const CamFolders&) = delete;
    CamFolders& operator=(const CamFolders&) = delete;

    std::string Camera() const { return root_ + "/cam"; }
    std::string Program() const { return root_ + "/prog"; }

    // Links module file `source` into the camera folder as `fileName`; returns the link's path.
    std::string AddCamera(const std::string& fileName, const std::string& source) {
        return Link(Camera(), fileName, source);
    }
    std::string AddProgram(const std::string& fileName, const std::string& source) {
        return Link(Program(), fileName, source);
    }
    // A configurable test module by its build name (tc_v44, tc_pfw, ...).
    std::string AddCameraModule(const std::string& fileName, const std::string& build) {
        return AddCamera(fileName, ConfigModule(build));
    }
    std::string AddProgramModule(const std::string& fileName, const std::string& build) {
        return AddProgram(fileName, ConfigModule(build));
    }

private:
    static std::string Link(const std::string& dir, const std::string& fileName, const std::string& source) {
        EXPECT_TRUE(fs::exists(source)) << "test module missing: " << source;
        std::string path = dir + "/" + fileName;
        std::error_code ec;
        fs::create_symlink(source, path, ec);
        EXPECT_FALSE(ec) << ec.message();
        return path;
    }

    ScratchFolder scratch_{"vt-camtest"};
    std::string root_ = scratch_.Path();
    std::string old_;
    bool hadOld_ = false;
};

// A loader opened on the folders with one wanted device name, its record and its owner.
struct OpenCamera {
    CamParamRecord record;
    CProcParameter owner;
    CCamDll cam;

    explicit OpenCamera(const std::string& device) {
        owner.m_pRecord = &record;
        owner.SetDeviceName(device);
    }
    ~OpenCamera() {
        if (cam.IsLoaded())
            cam.Close();
    }
    int Open() { return cam.Open(&owner); }
    // Opens, binds and reads the geometry, as a capture mode does before it grabs.
    bool Ready() { return Open() == 1 && cam.BindExports() == 1 && cam.UpdateCaptureInfo(&record) == 1; }
};

// Mean squared Laplacian of plane `plane` inside a rectangle: large for sharp texture.
inline double FocusMeasure(HDIB dib, int plane, int x0, int y0, int x1, int y1) {
    double sum = 0;
    int n = 0;
    for (int y = y0 + 1; y < y1 - 1; ++y)
        for (int x = x0 + 1; x < x1 - 1; ++x) {
            double lap = 4.0 * DibGetPixel(dib, x, y, plane) - DibGetPixel(dib, x - 1, y, plane) -
                         DibGetPixel(dib, x + 1, y, plane) - DibGetPixel(dib, x, y - 1, plane) -
                         DibGetPixel(dib, x, y + 1, plane);
            sum += lap * lap;
            ++n;
        }
    return n ? sum / n : 0;
}

} // namespace camtest
