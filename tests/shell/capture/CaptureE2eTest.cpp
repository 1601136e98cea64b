// The program with the rendering test camera: live frames, still captures into files, the lens
// timer on a pseudo terminal, and a second start.
#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/frame/TopMenuDialog.h"
#include "tools/emulators/Emulators.h"
#include "devices/camera/gui/InpImgDlg.h"

#include <wx/combobox.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

using Capture = ShellWindows;

TEST_F(Capture, LiveFramesAndStillPicturesPerExtension) {
    Settings(vtid::StartDialog::ManualCapture);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CMultiView* view = f->CaptureView();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(f->CameraFailed());
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->LivePane()->HasImage(); }, 20000));
    EXPECT_EQ(view->FrameWidth(), 640);
    EXPECT_EQ(view->FrameHeight(), 480);
    // The pane keeps the frame's ratio.
    const wxSize pane = view->LivePane()->GetSize();
    EXPECT_NEAR(pane.x * 480.0 / 640.0, pane.y, 1.5);

    CScriptedMessageSink sink(IDOK);
    for (const char* name : {"a.bmp", "b.dib", "c.tif", "d.JPG"}) {
        const std::string path = folder + "/" + name;
        ASSERT_EQ(view->CaptureAndSave(path), 1) << name;
        int type = -1;
        HDIB back = ReadImageFile(path, &type);
        ASSERT_NE(back, nullptr) << name;
        GlobalLockGuard lock(back);
        EXPECT_EQ(DibGetWidth(lock.get()), 640) << name;
        EXPECT_EQ(DibGetHeight(lock.get()), 480) << name;
        GlobalFree(back);
    }
    EXPECT_TRUE(sink.ShownIds().empty());
    EXPECT_EQ(view->CaptureAndSave(folder + "/e.png"), 0);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CannotSaveImage});
    EXPECT_FALSE(std::filesystem::exists(folder + "/e.png"));
}

TEST_F(Capture, LensTimerSendsTheLensStateOfThePort) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    ::setenv("VANTOREL_COM2", ::ptsname(master), 1);
    // The manual panel connects the controller when it opens; the lens timer runs only for a
    // controller of type 9 that answered.
    AbEmulator controller(AbEmulator::Kind::MII);
    ASSERT_TRUE(controller.Start());
    ::setenv("VANTOREL_COM1", controller.SlavePath().c_str(), 1);
    Settings(vtid::StartDialog::ManualCapture, "[COMM]\nCONTROLLER=9\nPORT=0\nLENSPORT=1\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_TRUE(f->CaptureView()->LensTimerRunning());
    COrsandelDoc* doc = app->m_pDocument;
    EXPECT_EQ(doc->m_lensNumber, -1);
    // Nothing waiting on the port: polls bring no lens state.
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->CaptureView()->LensPolls() >= 2; }));
    EXPECT_EQ(doc->m_lensNumber, -1);
    const unsigned char state = 0x1D; // lens 90, zoom 2.5
    ASSERT_EQ(::write(master, &state, 1), 1);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc->m_lensNumber == 90; }, 10000));
    EXPECT_DOUBLE_EQ(doc->m_zoom, 2.5); // lParam 25
    EXPECT_EQ(doc->m_currentLens.GetName(), "ML90-2.5");
    EXPECT_EQ(f->TopMenu()->GetDlgItemText(vtid::TopMenuBar::LensName), "Ninety");
    CloseProgram();
    ::unsetenv("VANTOREL_COM1");
    ::unsetenv("VANTOREL_COM2");
    ::close(master);
}

TEST_F(Capture, SecondStartEndsAtOnce) {
    Settings(vtid::StartDialog::ManualCapture);
    ASSERT_TRUE(StartProgram());
    const std::string program = std::string(VT_BINARY_DIR) + "/programs/vantorel/vantorel";
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    pid_t done = 0;
    // The live ticker keeps events coming, so the condition is looked at often.
    ui::testing::PumpUntil([&] { return (done = ::waitpid(pid, &status, WNOHANG)) != 0; }, 30000);
    if (done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    EXPECT_EQ(done, pid) << "the second program did not end";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 127);
}

TEST_F(Capture, InputDeviceChoiceLeadsToTheInputModeAndItsBitDepthRule) {
    Settings(vtid::StartDialog::ManualCapture, "[CAMPARAM]\nCOLORMODE=0\nBPP=12\nRANGEHI=4095\n");
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_FALSE(f->CameraFailed());
    CScriptedMessageSink sink(IDOK);
    // The device dialog offers the module found; OK keeps it and the input mode follows, which
    // brings a 12-bit grey setting down to 8 bits with message 900.
    std::string offered;
    ui::testing::WhenModal([&](wxDialog* d) {
        auto* combo = ui::testing::FindById<wxComboBox>(d, CInpImgDlg::kDeviceCombo);
        ASSERT_NE(combo, nullptr);
        offered = std::string(combo->GetValue().ToUTF8());
        ui::testing::Click(ui::testing::FindById(d, IDOK));
        // The input mode runs the camera's own dialog, which keeps its settings.
        ui::testing::WhenModal(
            [](wxDialog* camera) { ui::testing::Click(ui::testing::FindById(camera, wxID_OK)); });
    });
    f->RouteCommandId(vtid::cmd::SelectInputDevice);
    EXPECT_EQ(offered, "Vantorel Test Camera");
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return !sink.ShownIds().empty(); }));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::GreyReadAs8Bit});
    EXPECT_EQ(f->CameraParameters().m_pRecord->Bpp(), 8);
    EXPECT_EQ(f->CameraParameters().m_pRecord->RangeHi(), 255);
    EXPECT_FALSE(f->CameraFailed());
    EXPECT_EQ(f->CameraModuleName(), "Vantorel Test Camera");

    // Without a module the input mode asks for a device first (1035) and the camera stays off.
    f->ForgetCameraModuleName();
    f->RouteCommandId(vtid::cmd::InputMode);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::GreyReadAs8Bit, vtid::str::SelectInputDevice}));
    EXPECT_TRUE(f->CameraFailed());
}

// A live frame at the test camera's largest size (grab through the module, conversion, drawing)
// costs the program less processor time than one tick of the live picture, so that the picture
// keeps its pace. Processor time, not the time on the clock: on a loaded machine, and with other
// programs drawing on the same X server, the clock time of a frame grows many times over while
// what the frame costs the program stays.
TEST_F(Capture, LiveFrameAtTheLargestSizeCostsLessThanATick) {
    Settings(vtid::StartDialog::ManualCapture, "[CAMPARAM]\nIMAGESIZESEL=3\n"); // 1280 x 1024
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CMultiView* view = f->CaptureView();
    const int tickMs = app->Ticker().GetInterval();
    ASSERT_GT(tickMs, 0);
    app->Ticker().StopTicking();
    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] {
            view->GrabLiveFrame();
            return view->LivePane()->HasImage();
        },
        20000));
    EXPECT_EQ(view->FrameWidth(), 1280);
    EXPECT_EQ(view->FrameHeight(), 1024);
    auto processorMs = [] {
        timespec t{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    };
    std::vector<double> cpu, clock;
    for (int i = 0; i < 25; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = processorMs();
        view->GrabLiveFrame();
        view->LivePane()->Update(); // the paint: stretch and overlay
        cpu.push_back(processorMs() - c0);
        clock.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(clock.begin(), clock.end());
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("live frame %dx%d: processor median %.1f ms (max %.1f), clock median %.1f ms, "
                "load %.2f; start-up %ld ms\n",
                view->FrameWidth(), view->FrameHeight(), cpu[cpu.size() / 2], cpu.back(),
                clock[clock.size() / 2], load[0], app->m_startupMs);
    EXPECT_LT(cpu[cpu.size() / 2], tickMs);
}

} // namespace
