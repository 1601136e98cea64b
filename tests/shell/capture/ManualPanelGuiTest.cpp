// The manual capture panel on its real template in the running program: which controls are
// shown and enabled when idle and in a run, what the frame's commands make of a run, the
// folder choice and the path display.
#include "ShellGuiFixture.h"

#include "imaging/gui/GuiHooks.h"
#include "browser/SelListCtrl.h"
#include "shell/capture/ManualDialog.h"
#include "shell/capture/MultiView.h"
#include "ui/CommandRouting.h"
#include "ui/Services.h"

#include <wx/anybutton.h>
#include <wx/checkbox.h>

#include <map>

namespace {

class ManualPanel : public ShellWindows {
protected:
    // The program's icons on buttons and its one-message pump, as the program installs them.
    void SetUp() override {
        ShellWindows::SetUp();
        InstallImagingGuiServices();
    }
    void StartManual(const std::string& initial = "") {
        Settings(1009, "", initial);
        ASSERT_TRUE(StartProgram());
        panel = Frame()->ManualPanel();
        ASSERT_NE(panel, nullptr);
    }
    // Shown (1) or hidden (0) and enabled (1) or disabled (0) of each control, as "sE" pairs.
    std::map<int, std::string> States() const {
        std::map<int, std::string> out;
        for (int id = 601; id <= 609; ++id)
            out[id] = State(id);
        for (int id = 616; id <= 621; ++id)
            out[id] = State(id);
        return out;
    }
    std::string State(int id) const {
        wxWindow* w = panel->GetDlgItem(id);
        if (!w)
            return "--";
        return std::string(w->IsShown() ? "1" : "0") + (w->IsEnabled() ? "1" : "0");
    }
    std::optional<bool> Enabled(int command) {
        ui::CmdUI state(command);
        ui::RouteUpdate(Frame()->CommandChain(), state);
        return state.enabled;
    }
    void Click(int id) { ui::testing::Click(panel->GetDlgItem(id)); }
    void TypeHeight(const char* text) { ui::testing::Type(panel->GetDlgItem(607), wxString::FromUTF8(text)); }

    CManualDialog* panel = nullptr;
};

TEST_F(ManualPanel, IdleAndRunStatesShowTheirControls) {
    StartManual("AUTOPATH=" + std::string("/tmp/vt-none/img000.bmp") + "\nAUTODIR=/tmp/vt-none\n");
    CMainFrame* f = Frame();
    EXPECT_TRUE(f->Bars().State("ManiualZDlg").shown);
    EXPECT_TRUE(panel->CheckControlIds().empty()); // every id the panel binds is in template 600
    // Idle: folder, height check and start; the run's controls hidden, 608 off.
    const std::map<int, std::string> idle = States();
    for (int id : {601, 602, 603, 604, 605, 616})
        EXPECT_EQ(idle.at(id), "11") << id;
    for (int id : {606, 607, 609, 617, 618, 619, 620, 621})
        EXPECT_EQ(idle.at(id)[0], '0') << id;
    EXPECT_EQ(idle.at(608), "00");
    for (int id : {603, 604, 608, 609})
        EXPECT_TRUE(panel->Item<wxAnyButton>(id)->GetBitmap().IsOk()) << "icon on " << id;
    EXPECT_EQ(panel->GetDlgItemText(601).ToStdString(), "/tmp/vt-none");
    EXPECT_EQ(panel->GetDlgItemText(602).ToStdString(), "img000.bmp");
    EXPECT_EQ(Enabled(950), std::optional<bool>(true));
    EXPECT_EQ(Enabled(32804), std::optional<bool>(true));

    // A run without height input: the height is 0 and 608 is on at once.
    Click(604);
    EXPECT_EQ(panel->m_bInRun, 1);
    std::map<int, std::string> run = States();
    for (int id : {603, 604, 605, 616, 607, 618, 621})
        EXPECT_EQ(run.at(id)[0], '0') << id;
    for (int id : {606, 608, 609, 617, 619, 620})
        EXPECT_EQ(run.at(id), "11") << id;
    EXPECT_EQ(panel->GetDlgItemText(607).ToStdString(), "0");
    EXPECT_EQ(panel->GetDlgItemText(606).ToStdString(), "img000.bmp");
    // The frame: no initial menu, no composition and no other camera module during the run.
    EXPECT_EQ(Enabled(950), std::optional<bool>(false));
    EXPECT_EQ(Enabled(819), std::optional<bool>(false));
    EXPECT_EQ(Enabled(32804), std::optional<bool>(false));
    EXPECT_EQ(Enabled(32812), std::optional<bool>(false));
    EXPECT_EQ(Enabled(32806), std::optional<bool>(false)); // nor other stage settings
    EXPECT_EQ(Enabled(32807), std::optional<bool>(false));

    Click(609);
    EXPECT_EQ(panel->m_bInRun, 0);
    EXPECT_EQ(States(), idle);
    EXPECT_EQ(Enabled(950), std::optional<bool>(true));
    EXPECT_EQ(Enabled(32804), std::optional<bool>(true));
    EXPECT_EQ(Enabled(32806), std::optional<bool>(true));

    // With height input and no stage the typed height decides 608.
    ui::testing::Click(panel->GetDlgItem(605));
    ASSERT_TRUE(panel->Item<wxCheckBox>(605)->GetValue());
    TypeHeight("");
    Click(604);
    run = States();
    for (int id : {607, 618, 621})
        EXPECT_EQ(run.at(id), "11") << id;
    EXPECT_EQ(State(608), "10");
    const std::pair<const char*, bool> heights[] = {{"-", false},       {"-12.5", true},     {"999999", true},
                                                    {"1000000", false}, {"-1000000", false}, {"0", true}};
    for (const auto& [text, on] : heights) {
        TypeHeight(text);
        EXPECT_EQ(panel->GetDlgItem(608)->IsEnabled(), on) << text;
    }
    Click(609);
}

TEST_F(ManualPanel, StartNeedsADeviceAndASavePath) {
    StartManual();
    CScriptedMessageSink sink(IDOK);
    Click(604); // no AUTOPATH
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{1036});
    EXPECT_EQ(panel->m_bInRun, 0);
    EXPECT_EQ(State(604), "11");
    app->m_strAutoPath = folder + "/a.bmp";
    app->m_strAutoDir = folder;
    Frame()->ForgetInputDevice();
    sink.ClearShown();
    Click(604);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{1035});
    EXPECT_EQ(panel->m_bInRun, 0);
}

TEST_F(ManualPanel, FolderChoiceSetsThePathsAndTheDisplay) {
    StartManual();
    // No folder yet: both texts are blank.
    EXPECT_TRUE(panel->GetDlgItemText(601).Trim().IsEmpty());
    EXPECT_TRUE(panel->GetDlgItemText(602).Trim().IsEmpty());
    const std::string deep = folder + "/pictures/2005/May";
    std::filesystem::create_directories(deep);
    ui::FileDialogRequest seen;
    int calls = 0;
    auto previous = ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest& r) {
        seen = r;
        ++calls;
        ui::FileDialogResult out;
        out.paths.push_back(calls == 1 ? deep + "/sample010" : folder + "/missing/x.bmp");
        return out;
    });
    Click(603);
    EXPECT_EQ(seen.title, "保存ファイル設定");
    EXPECT_FALSE(seen.confirmOverwrite);
    EXPECT_EQ(seen.filter.rfind(
                  "画像ﾌｧｲﾙ (*.bmp;*.dib;*.tif;*.jpg;)|*.bmp;*.dib;*.tif;*.jpg|BMPﾌｧｲﾙ (*.bmp)|*.bmp|", 0),
              0u)
        << seen.filter;
    EXPECT_NE(seen.filter.find("|JPEGﾌｧｲﾙ (*.jpg)|*.jpg|すべてのファイル (*.*)|*"), std::string::npos)
        << seen.filter;
    // The default extension completes the name; the folder becomes the capture and image folder.
    EXPECT_EQ(app->m_strAutoPath, deep + "/sample010.bmp");
    EXPECT_EQ(app->m_strAutoDir, deep);
    EXPECT_EQ(app->m_strImagePath, deep);
    EXPECT_EQ(panel->m_strSavePath, deep + "/sample010.bmp");
    EXPECT_EQ(panel->GetDlgItemText(601).ToStdString(), ShortenFolderText(deep));
    EXPECT_EQ(panel->GetDlgItemText(601).ToStdString().substr(0, 5), deep.substr(0, 3) + "..");
    EXPECT_EQ(panel->GetDlgItemText(602).ToStdString(), "sample010.bmp");
    // A name in a folder that does not exist changes nothing.
    Click(603);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(app->m_strAutoPath, deep + "/sample010.bmp");
    ui::SetFileDialogService(previous);
}

TEST(ManualFolderText, ShortensLongFoldersToTheirLastTwoParts) {
    EXPECT_EQ(ShortenFolderText("/home/me/pics"), "/home/me/pics"); // below 20
    EXPECT_EQ(ShortenFolderText("/home/someone/pictures/2005/May"), "/ho../2005/May");
    EXPECT_EQ(ShortenFolderText("/a-very-long-folder-name/x"), "/a-very-long-folder-name/x"); // '/' first
    EXPECT_EQ(ShortenFolderText("/home/someone/pictures//"), "/home/someone/pictures//");     // tail "//"
    EXPECT_EQ(ShortenFolderText("no-slashes-in-this-folder-name"), "no-slashes-in-this-folder-name");
    EXPECT_EQ(ShortenFolderText("/home/someone/pictures/2005/"), "/ho../2005/");
}

} // namespace
