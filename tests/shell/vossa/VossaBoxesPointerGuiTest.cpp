// The continuous composition mode entered from the initial menu after a start in the thumbnail
// mode, with the program's own message boxes on the screen: the live steps wait for the camera
// module, and a box that shows is answered with the pointer and the keys through the X server.
#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
#include "shell/vossa/VossaLiveView.h"
#include "ui/MessageBoxes.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include <vector>

namespace {

// The program's message boxes, with the ids they showed.
class ShownBoxes : public ui::WxMessageSink {
public:
    int Show(UINT id, UINT type, const std::vector<std::string>& args) override {
        ids.push_back(id);
        return ui::WxMessageSink::Show(id, type, args);
    }
    std::vector<UINT> ids;
};

// Answers every message box that comes on the screen as the user would: a click on its button
// (Answer::Click), Return or Esc, through the X server. A box still there three seconds after
// its answer is counted as stuck and closed from its title bar's ×, as the user had to.
class BoxAnswerer {
public:
    enum class Answer { Click, Return, Escape };
    explicit BoxAnswerer(Answer a) : answer(a) {
        timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Look(); });
        timer.Start(50);
    }
    Answer answer;
    int answered = 0;
    int stuck = 0;

private:
    void Look() {
        // The program's message box: the shown modal dialog.
        wxDialog* box = nullptr;
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal() && d->IsShownOnScreen())
                box = d;
        if (box != current) {
            current = box;
            pressed = false;
            since = 0;
        }
        if (!box)
            return;
        ++since;
        if (!pressed) {
            pressed = Press(box);
            answered += pressed;
        } else if (since > 60) {
            ++stuck;
            gtk_window_close(GTK_WINDOW(box->GetHandle()));
            since = -1000;
        }
    }
    bool Press(wxDialog* box) {
        auto* button = dynamic_cast<wxButton*>(box->FindWindow(wxID_OK));
        if (!button || !button->IsShownOnScreen())
            return false;
        const wxRect r = button->GetScreenRect();
        wxUIActionSimulator sim;
        // On the box's button: with no window manager the keys go where the pointer is.
        sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
        switch (answer) {
        case Answer::Click:
            sim.MouseClick();
            break;
        case Answer::Return:
            sim.Char(WXK_RETURN);
            break;
        case Answer::Escape:
            sim.Char(WXK_ESCAPE);
            break;
        }
        return true;
    }
    wxTimer timer;
    wxDialog* current = nullptr;
    bool pressed = false;
    int since = 0;
};

class VossaBoxes : public ShellWindows {
protected:
    void SetUp() override {
        ShellWindows::SetUp();
        previous = SetMessageSink(&boxes);
    }
    void TearDown() override {
        ShellWindows::TearDown();
        SetMessageSink(previous);
    }
    // Starts in the thumbnail mode with the live ticker going, then enters the continuous
    // composition from the initial menu.
    void StartThenEnterVossa(const std::string& device) {
        Write("Vantorel.ini", "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=" +
                                  std::to_string(vtid::StartDialog::SelectByThumbnail) +
                                  "\n[STAGEINPUT]\nINPDEVICE=" + device + "\n");
        ASSERT_TRUE(StartProgram());
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return app->Ticker().IsRunning(); }));
        ui::testing::WhenModal([](wxDialog* d) {
            ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::VossaComposition));
        });
        Frame()->RouteCommandId(vtid::cmd::InitialMenu);
        ASSERT_EQ(app->m_nStartMode, vtid::StartDialog::VossaComposition);
    }
    CVossaLiveView* Live() const { return Frame()->VossaLiveView(); }

    ShownBoxes boxes;
    CMessageSink* previous = nullptr;
};

TEST_F(VossaBoxes, FromTheInitialMenuTheLiveStepsWaitForTheModule) {
    BoxAnswerer answerer(BoxAnswerer::Answer::Click);
    StartThenEnterVossa("Vantorel Test Camera");
    CMainFrame* f = Frame();
    EXPECT_TRUE(f->IsShown());
    EXPECT_TRUE(f->CameraModule().IsLoaded());
    const long delivered = Live()->FramesDelivered();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return Live()->FramesDelivered() >= delivered + 3; }, 20000));
    // No box: the module was there before the first step.
    EXPECT_TRUE(boxes.ids.empty()) << boxes.ids.front();
    EXPECT_EQ(answerer.stuck, 0);
}

TEST_F(VossaBoxes, ABoxOfALiveStepClosesWithItsButtonReturnAndEsc) {
    StartThenEnterVossa("Missing Camera");
    CMainFrame* f = Frame();
    EXPECT_TRUE(f->IsShown());
    ASSERT_FALSE(f->CameraModule().IsLoaded());
    for (const auto answer :
         {BoxAnswerer::Answer::Click, BoxAnswerer::Answer::Return, BoxAnswerer::Answer::Escape}) {
        SCOPED_TRACE(static_cast<int>(answer));
        BoxAnswerer answerer(answer);
        const size_t before = boxes.ids.size();
        // The input mode command lets the steps try the camera again: each tells 9224 once.
        f->RouteCommandId(vtid::cmd::InputMode);
        if (answer != BoxAnswerer::Answer::Click) {
            ui::testing::WhenModal([](wxDialog* d) {
                ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::VossaComposition));
            });
            f->RouteCommandId(vtid::cmd::InitialMenu); // entered again, the mode tells it once more
            f->RouteCommandId(vtid::cmd::InputMode);
        }
        const long steps = Live()->Steps();
        ASSERT_TRUE(ui::testing::PumpUntil(
            [&] {
                return boxes.ids.size() > before && answerer.answered > 0 && Live()->Steps() >= steps + 5;
            },
            20000));
        EXPECT_EQ(boxes.ids.back(), static_cast<unsigned>(vtid::str::ImageInputFailed));
        EXPECT_EQ(answerer.stuck, 0);
    }
}

} // namespace
