// Each program's one install call fills every seam the libraries leave to it, so that the
// drivers, the imaging helpers and camera modules reach the window layer.
#include "ids/CommonIds.h"
#include "ids/VantorelIds.h"
#include "programs/common/ProgramServices.h"

#include "devices/camera/CamDllHost.h"
#include "devices/serial/AbortKeys.h"
#include "imaging/files/SECImage.h"
#include "platform/ProgramHelpers.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/MessageBoxes.h"
#include "ui/PrivateMessages.h"
#include "ui/Services.h"
#include "ui/testing/GuiTest.h"

#include "tests/platform/ScopedEnv.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <wx/filedlg.h>
#include <wx/timer.h>
#include <wx/translation.h>

#include <gtk/gtk.h>
#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace {

class Window : public wxFrame, public ui::MessageTarget {
public:
    Window() : wxFrame(nullptr, wxID_ANY, "Vantorel"), MessageTarget(this) {}
};

// Answers the first mapped toolkit dialog that `is` accepts with Cancel, once a screenshot of the
// screen is taken (into the test output folder, for looking), and keeps its title.
class DialogCloser {
public:
    DialogCloser(std::function<bool(GtkWidget*)> is, const std::string& shot) {
        timer_.Bind(wxEVT_TIMER, [this, is, shot](wxTimerEvent&) {
            GList* tops = gtk_window_list_toplevels();
            for (GList* t = tops; t && !seen_; t = t->next) {
                GtkWidget* w = GTK_WIDGET(t->data);
                if (!is(w) || !gtk_widget_get_mapped(w))
                    continue;
                seen_ = true;
                const char* title = gtk_window_get_title(GTK_WINDOW(w));
                title_ = title ? title : "";
                const std::string command = "import -window root " + ui::testing::OutputFolder() + "/" + shot;
                EXPECT_EQ(std::system(command.c_str()), 0);
                gtk_dialog_response(GTK_DIALOG(w), GTK_RESPONSE_CANCEL);
            }
            g_list_free(tops);
        });
        timer_.Start(200);
    }
    ~DialogCloser() { timer_.Stop(); }
    bool Seen() const { return seen_; }
    const std::string& Title() const { return title_; }

private:
    wxTimer timer_;
    bool seen_ = false;
    std::string title_;
};

// The Japanese locale for one test, when the machine has it; the C locale of the other tests
// comes back at the end.
class JapaneseLocale {
public:
    JapaneseLocale() {
        locale_t japanese = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", nullptr);
        available_ = japanese != nullptr;
        if (japanese)
            freelocale(japanese);
    }
    ~JapaneseLocale() { std::setlocale(LC_ALL, "C"); }
    bool Available() const { return available_; }

private:
    bool available_ = false;
    ScopedEnv lcAll_{"LC_ALL", "ja_JP.UTF-8"};
};

class ProgramServicesGui : public ::testing::Test {
protected:
    void TearDown() override {
        // The next test starts from the services the test main installs.
        SetAbortKeySource({});
        ui::SetKeyStateService({});
        SetPumpOneMessageHook(nullptr);
        SetSetButtonIconHook(nullptr);
        SetScreenCapsFunction(nullptr);
        ui::LoadProgramResources("vantorel");
    }
    CScriptedMessageSink sink{IDOK};
};

TEST_F(ProgramServicesGui, VantorelFillsEverySeam) {
    std::string error;
    ASSERT_TRUE(InstallVantorelServices(false, &error)) << error;

    // Abort keys: the drivers see the window layer's key state.
    ui::SetKeyStateService([](int vk) -> SHORT { return vk == VK_ESCAPE ? SHORT(0x8000) : 0; });
    EXPECT_NE(ReadAbortKeyState(VK_ESCAPE), 0);
    EXPECT_EQ(ReadAbortKeyState(VK_RBUTTON), 0);
    ui::SetKeyStateService({});
    EXPECT_EQ(ReadAbortKeyState(VK_ESCAPE), 0); // nobody holds Esc under Xvfb
    SHORT offThread = -1;
    std::thread([&] { offThread = ReadAbortKeyState(VK_ESCAPE); }).join();
    EXPECT_EQ(offThread, 0);

    // The one-message pump of long loops delivers posted messages.
    Window win;
    int seen = 0;
    win.OnMessage(WM_USER + 3, [&](WPARAM, LPARAM) -> LRESULT { return ++seen; });
    ASSERT_TRUE(::PostMessage(win.GetSafeHwnd(), WM_USER + 3, 0, 0));
    PumpOneMessage(win.GetSafeHwnd());
    EXPECT_EQ(seen, 1);

    // Button icons come from the resources.
    ScratchFolder scratch("vt-services");
    wxImage img(12, 12);
    ASSERT_TRUE(img.SaveFile(scratch / "icon.png", wxBITMAP_TYPE_PNG));
    constexpr int kIcon = 230; // the icon of the text below
    ASSERT_TRUE(ui::Resources().LoadText("ICON 230 \"icon.png\"\n", scratch.Path(), "icons"));
    auto* button = new wxButton(&win, 800, "up");
    EXPECT_EQ(SetButtonIcon(ui::WindowHandle(button), kIcon), nullptr);
    ASSERT_TRUE(button->GetBitmap().IsOk());
    EXPECT_EQ(button->GetBitmap().GetWidth(), 12);

    // The image classes see the display's depth, from any thread.
    ScreenCaps caps;
    std::thread([&] { caps = GetScreenCaps(); }).join();
    EXPECT_EQ(caps.bitsPixel, wxDisplayDepth());

    // A camera module's message reaches the window its token names, sent or posted.
    std::vector<UINT> camera;
    win.OnMessage(WM_CAMERA_GRAB, [&](WPARAM w, LPARAM) -> LRESULT {
        camera.push_back(static_cast<UINT>(w));
        return 7;
    });
    EXPECT_EQ(VantorelCameraMessage(win.Token(), WM_CAMERA_GRAB, 1, 0, VT_CAMERA_SEND), 7);
    EXPECT_EQ(VantorelCameraMessage(win.Token(), WM_CAMERA_GRAB, 2, 0, VT_CAMERA_POST), 1);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return camera.size() == 2; }));
    EXPECT_EQ(camera, (std::vector<UINT>{1, 2}));

    // Message boxes: the sink in place stays when asked; otherwise the wx boxes take over.
    ShowMessage(vtid::str::CannotReadData, MB_OK);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::CannotReadData});
    ASSERT_TRUE(InstallVantorelServices(true, &error)) << error;
    CMessageSink* installed = SetMessageSink(&sink);
    EXPECT_NE(dynamic_cast<ui::WxMessageSink*>(installed), nullptr);
    EXPECT_EQ(ui::Resources().FindDialog(35)->caption, "フォーカス合成中");
}

TEST_F(ProgramServicesGui, BrelvoxaHasItsResourcesAndNoAbortKeys) {
    std::string error;
    ASSERT_TRUE(InstallBrelvoxaServices(false, &error)) << error;
    // Vantorel's progress dialog is not Brelvoxa's
    EXPECT_EQ(ui::Resources().FindDialog(vtid::dlg::CompositionProgress), nullptr);
    EXPECT_NE(ui::Resources().FindString(uiid::str::IntegerRange), nullptr);
    // Brelvoxa drives no controller: the abort keys stay without a source.
    ui::SetKeyStateService([](int) -> SHORT { return SHORT(0x8000); });
    EXPECT_EQ(ReadAbortKeyState(VK_ESCAPE), 0);
    // The imaging helpers are served as in Vantorel.
    Window win;
    int seen = 0;
    win.OnMessage(WM_USER + 4, [&](WPARAM, LPARAM) -> LRESULT { return ++seen; });
    ASSERT_TRUE(::PostMessage(win.GetSafeHwnd(), WM_USER + 4, 0, 0));
    PumpOneMessage(nullptr);
    EXPECT_EQ(seen, 1);
}

// In a Japanese locale the toolkit's own labels are Japanese (the file dialogs' "キャンセル"), while
// numbers keep the C notation of the settings and data files.
TEST_F(ProgramServicesGui, TheUsersLocaleReachesTheToolkitsLabelsAndNumbersStayC) {
    JapaneseLocale japanese;
    if (!japanese.Available())
        GTEST_SKIP() << "no ja_JP.UTF-8 locale on this machine (scripts/install-deps makes one)";
    std::string error;
    const bool installed = InstallVantorelServices(false, &error);
    const std::string messages = std::setlocale(LC_MESSAGES, nullptr);
    const std::string numeric = std::setlocale(LC_NUMERIC, nullptr);
    const std::string cancel = dgettext("gtk30", "_Cancel");
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", 1.5);
    // For looking: the toolkit's save dialog in that locale, closed once it is mapped.
    DialogCloser closer([](GtkWidget* w) { return GTK_IS_FILE_CHOOSER_DIALOG(w); }, "file-dialog-ja.png");
    {
        wxFileDialog save(nullptr, wxString::FromUTF8("名前を付けて保存"), "/tmp", "frame_000.bmp", "*.bmp",
                          wxFD_SAVE);
        save.ShowModal();
    }
    ASSERT_TRUE(installed) << error;
    EXPECT_EQ(messages, "ja_JP.UTF-8");
    EXPECT_EQ(numeric, "C");
    EXPECT_EQ(cancel, "キャンセル(_C)");
    EXPECT_STREQ(number, "1.50");
    EXPECT_TRUE(closer.Seen());
}

// The texts the toolkit draws itself (the colour chooser's title, the print preview's and page
// set-up's labels) come from its catalogue in the user's language after the start-up call.
TEST_F(ProgramServicesGui, TheToolkitsOwnTextsAreInTheUsersLanguage) {
    JapaneseLocale japanese;
    if (!japanese.Available())
        GTEST_SKIP() << "no ja_JP.UTF-8 locale on this machine (scripts/install-deps makes one)";
    std::string error;
    ASSERT_TRUE(InstallBrelvoxaServices(false, &error)) << error;
    EXPECT_EQ(wxGetTranslation("Choose colour").utf8_string(), "色を選んでください");
    EXPECT_EQ(wxGetTranslation("Print Preview").utf8_string(), "印刷プレビュー");
    EXPECT_EQ(wxGetTranslation("Page Setup").utf8_string(), "ページの設定");
    EXPECT_EQ(wxGetTranslation("Close").utf8_string(), "閉じる");

    // The colour chooser as the programs open it, closed once it is mapped.
    // The toolkit's colour dialog on GTK is the colour selection dialog.
    DialogCloser closer(
        [](GtkWidget* w) { return std::strcmp(G_OBJECT_TYPE_NAME(w), "GtkColorSelectionDialog") == 0; },
        "colour-chooser-ja.png");
    EXPECT_EQ(ui::ChooseColour(nullptr, RGB(128, 0, 128)), std::nullopt);
    EXPECT_TRUE(closer.Seen());
    EXPECT_EQ(closer.Title(), "色を選んでください");
    wxTranslations::Set(nullptr); // the other tests' toolkit texts stay as they were
}

} // namespace
