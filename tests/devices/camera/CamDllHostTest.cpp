// The camera messages a module sends back to the program's windows, through the exported entry
// that the modules look up by name in the running process.
#include "CamTestFolders.h"

#include "devices/camera/CamDllHost.h"
#include "platform/WindowMessages.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using camtest::CamFolders;
using camtest::OpenCamera;

namespace {

struct Delivered {
    uint32_t window, message, wParam;
    bool post;
    bool operator==(const Delivered&) const = default;
};

// Stands in for the window layer: windows 0x10 (main) and 0x20 (picture) exist.
class RecordingRoute {
public:
    RecordingRoute() {
        previous_ = SetCameraMessageRoute([this](uint32_t w, uint32_t m, uint32_t wp, int32_t, bool post) {
            if (w != 0x10 && w != 0x20)
                return -1;
            got.push_back({w, m, wp, post});
            return post ? 1 : 0;
        });
    }
    ~RecordingRoute() { SetCameraMessageRoute(previous_); }
    std::vector<Delivered> got;

private:
    CameraMessageRoute previous_;
};

TEST(CamHost, TheEntryIsExportedFromTheProgram) {
    void* entry = dlsym(RTLD_DEFAULT, VANTOREL_CAMERA_MESSAGE_ENTRY);
    EXPECT_EQ(entry, reinterpret_cast<void*>(&VantorelCameraMessage));
}

TEST(CamHost, OnlyTheThreeCameraMessagesToKnownWindowsPass) {
    RecordingRoute route;
    EXPECT_EQ(VantorelCameraMessage(0x10, WM_CAMERA_ALLOC, 0, 0, VT_CAMERA_SEND), 0);
    EXPECT_EQ(VantorelCameraMessage(0x20, WM_CAMERA_GRAB, 3, 0, VT_CAMERA_POST), 1);
    EXPECT_EQ(VantorelCameraMessage(0x10, 0x503, 0, 0, VT_CAMERA_SEND), -1);
    EXPECT_EQ(VantorelCameraMessage(0x10, 0x010 /* a close request */, 0, 0, VT_CAMERA_POST), -1);
    EXPECT_EQ(VantorelCameraMessage(0x99, WM_CAMERA_FREE, 0, 0, VT_CAMERA_SEND), -1);
    EXPECT_EQ(VantorelCameraMessage(0, WM_CAMERA_FREE, 0, 0, VT_CAMERA_SEND), -1);
    EXPECT_EQ(VantorelCameraMessage(0x10, WM_CAMERA_FREE, 0, 0, 7), -1);
    EXPECT_EQ(route.got, (std::vector<Delivered>{{0x10, 0x500, 0, false}, {0x20, 0x502, 3, true}}));
}

TEST(CamHost, ModulesReachTheMainAndPictureWindowsByTheirTokens) {
    CamFolders folders;
    CScriptedMessageSink messages;
    ScopedManualClock clock;
    RecordingRoute route;
    folders.AddCameraModule("a.cam", "tc_v44");
    OpenCamera c("TestCam 44");
    c.cam.SetHostTokens(0x10, 0x77);
    ASSERT_TRUE(c.Ready());
    c.record.SetFrameWindow(0x20);

    c.cam.StartConnect(&c.record);                           // the module asks for a frame bitmap
    c.cam.DlogSetParam(c.record.MainWindow(), &c.record, 2); // new settings: a new bitmap
    c.cam.SpecialMonitor(5);                                 // a frame is ready for the picture window
    c.cam.StopConnect(&c.record);                            // the bitmap can go
    EXPECT_EQ(route.got, (std::vector<Delivered>{{0x10, WM_CAMERA_ALLOC, 0, false},
                                                 {0x10, WM_CAMERA_ALLOC, 0, false},
                                                 {0x20, WM_CAMERA_GRAB, 5, false},
                                                 {0x10, WM_CAMERA_FREE, 0, false}}));
    EXPECT_EQ(c.record.GetInt(VT_CAMPARAM_REVERSEINP), 0); // the module saw the window's answer
    EXPECT_EQ(WM_CAMERA_ALLOC, 0x500);
    EXPECT_EQ(WM_CAMERA_FREE, 0x501);
    EXPECT_EQ(WM_CAMERA_GRAB, 0x502);
}

} // namespace

namespace {

// Without a route of its own the entry uses the program's window messages.
TEST(CamHost, WithoutARouteTheWindowMessagesDeliver) {
    std::vector<Delivered> got;
    WindowMessageHooks hooks;
    hooks.isWindow = [](HWND w) { return HandleToToken(w) == 0x30 ? TRUE : FALSE; };
    hooks.send = [&](HWND w, UINT m, WPARAM wp, LPARAM) -> LRESULT {
        got.push_back({HandleToToken(w), m, static_cast<uint32_t>(wp), false});
        return 0;
    };
    hooks.post = [&](HWND w, UINT m, WPARAM wp, LPARAM) -> BOOL {
        got.push_back({HandleToToken(w), m, static_cast<uint32_t>(wp), true});
        return TRUE;
    };
    SetWindowMessageHooks(hooks);
    EXPECT_EQ(VantorelCameraMessage(0x30, WM_CAMERA_GRAB, 1, 0, VT_CAMERA_SEND), 0);
    EXPECT_EQ(VantorelCameraMessage(0x30, WM_CAMERA_FREE, 0, 0, VT_CAMERA_POST), 1);
    EXPECT_EQ(VantorelCameraMessage(0x31, WM_CAMERA_ALLOC, 0, 0, VT_CAMERA_SEND), -1); // no such window
    ClearWindowMessageHooks();
    EXPECT_EQ(got,
              (std::vector<Delivered>{{0x30, WM_CAMERA_GRAB, 1, false}, {0x30, WM_CAMERA_FREE, 0, true}}));
}

} // namespace
