// The whole capture chain without hardware: the focus drive (an emulated CT-7 on a pseudo
// terminal, driven through the controller facade) keeps the stage position file; the rendering
// test camera, loaded through CCamDll, focuses where that file says. Stepping the focus through
// the specimen, the sharpest frame is the one taken at the specimen's height.
#include "CamTestFolders.h"

#include "devices/serial/XyTblCtrl.h"
#include "imaging/bitmaps/Dib.h"
#include "platform/ScriptedMessageSink.h"
#include "tools/emulators/Emulators.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

using camtest::CamFolders;
using camtest::FocusMeasure;
using camtest::OpenCamera;

namespace {

// Waits until the position file holds `um` (the emulator writes it when the axis has moved).
bool PositionFileShows(const std::string& path, double um) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
        std::ifstream in(path);
        double value = NAN;
        if (in >> value && std::fabs(value - um) < 1e-6)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

TEST(CaptureChain, TheSharpestFrameIsTakenAtTheSpecimenHeight) {
    constexpr int kSpecimenUm = 60;
    CamFolders folders;
    CScriptedMessageSink messages;
    folders.AddCamera("testcam_render.cam", camtest::RenderModule());
    const std::string positionFile = folders.Camera() + "/../stage_z.txt";
    setenv("VANTOREL_STAGE_POSITION_FILE", positionFile.c_str(), 1);

    // The focus drive: one pulse is one micrometre.
    EmulatorOptions options;
    options.speedScale = 20;
    options.umPerPulse = 1.0;
    options.positionFile = positionFile;
    Ct7Emulator emu(options);
    ASSERT_TRUE(emu.Start());
    setenv("VANTOREL_COM1", emu.SlavePath().c_str(), 1);
    CXyTblCtrl xy;
    xy.SetType(CTRL_CT7);
    ASSERT_TRUE(xy.Open(0, 9, 1, 0, 2, 0));
    ASSERT_TRUE(xy.SetSpeed(2, 20000, 120000, 200));

    // The camera: a flat specimen at kSpecimenUm, 320 x 240 grey frames.
    OpenCamera c{"Vantorel Test Camera"};
    c.record.SetInt(VT_CAMPARAM_IMAGESIZESEL, 1);
    c.record.SetRefParam(0, 1);
    c.record.SetRefParam(1, kSpecimenUm);
    ASSERT_TRUE(c.Ready());

    std::map<int, double> sharpness;
    for (int z = 0; z <= 120; z += 10) {
        ASSERT_TRUE(xy.MoveAbs(2, 0, z)) << z;
        ASSERT_TRUE(xy.WaitStop()) << z;
        int p1 = 0, p2 = 0;
        ASSERT_TRUE(xy.GetPosition(&p1, &p2));
        ASSERT_EQ(p2, z);
        ASSERT_TRUE(PositionFileShows(positionFile, z)) << z;
        ASSERT_EQ(c.cam.UpdateCaptureInfo(&c.record), 1);
        HDIB dib = c.cam.CreateFrameDib(c.cam.GetWidth(), c.cam.GetHeight(), nullptr);
        ASSERT_NE(dib, nullptr);
        ASSERT_EQ(c.cam.GrabFrame(dib, c.cam.GetWidth(), c.cam.GetHeight()), 1) << z;
        sharpness[z] = FocusMeasure(dib, 0, 0, 0, 320, 240);
        GlobalFree(dib);
    }
    xy.Close();
    unsetenv("VANTOREL_STAGE_POSITION_FILE");

    auto best = std::max_element(sharpness.begin(), sharpness.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    EXPECT_EQ(best->first, kSpecimenUm);
    // Sharpness falls off on both sides of the specimen, step by step, until the camera's blur
    // reaches its largest radius (48 um away).
    for (int z = 0; z < kSpecimenUm; z += 10)
        EXPECT_TRUE(kSpecimenUm - z > 40 ? sharpness[z] <= sharpness[z + 10]
                                         : sharpness[z] < sharpness[z + 10])
            << z;
    for (int z = kSpecimenUm; z < 120; z += 10)
        EXPECT_TRUE(z + 10 - kSpecimenUm > 40 ? sharpness[z] >= sharpness[z + 10]
                                              : sharpness[z] > sharpness[z + 10])
            << z;
    EXPECT_GT(sharpness[kSpecimenUm], 5.0 * sharpness[kSpecimenUm - 30]);
    EXPECT_TRUE(messages.ShownIds().empty());
    EXPECT_TRUE(emu.Rejected().empty());
}

} // namespace
