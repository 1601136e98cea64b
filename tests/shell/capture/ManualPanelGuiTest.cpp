// The manual capture panel on its real template in the running program: which controls are
// shown and enabled when idle and in a run, what the frame's commands make of a run, the
// folder choice and the path display.
#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
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
        Settings(vtid::StartDialog::ManualCapture, "", initial);
        ASSERT_TRUE(StartProgram());
        panel = Frame()->ManualPanel();
        ASSERT_NE(panel, nullptr);
    }
    // Shown (1) or hidden (0) and enabled (1) or disabled (0) of each control, as "sE" pairs.
    std::map<int, std::string> States() const {
        std::map<int, std::string> out;
        for (int id = vtid::ManualPanel::FolderText; id <= vtid::ManualPanel::EndCapture; ++id)
            out[id] = State(id);
        for (int id = vtid::ManualPanel::StartLabel; id <= vtid::ManualPanel::HeightUnit; ++id)
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
    void TypeHeight(const char* text) {
        ui::testing::Type(panel->GetDlgItem(vtid::ManualPanel::Height), wxString::FromUTF8(text));
    }

    CManualDialog* panel = nullptr;
};

TEST_F(ManualPanel, IdleAndRunStatesShowTheirControls) {
    StartManual("AUTOPATH=" + std::string("/tmp/vt-none/img000.bmp") + "\nAUTODIR=/tmp/vt-none\n");
    CMainFrame* f = Frame();
    EXPECT_TRUE(f->Bars().State("ManiualZDlg").shown);
    EXPECT_TRUE(panel->CheckControlIds().empty()); // every id the panel binds is in template 600
    // Idle: folder, height check and start; the run's controls hidden, 608 off.
    const std::map<int, std::string> idle = States();
    for (int id :
         {vtid::ManualPanel::FolderText, vtid::ManualPanel::FileText, vtid::ManualPanel::SelectFolder,
          vtid::ManualPanel::StartCapture, vtid::ManualPanel::HeightInput, vtid::ManualPanel::StartLabel})
        EXPECT_EQ(idle.at(id), "11") << id;
    for (int id :
         {vtid::ManualPanel::FileName, vtid::ManualPanel::Height, vtid::ManualPanel::EndCapture,
          vtid::ManualPanel::FileNameLabel, vtid::ManualPanel::HeightLabel,
          vtid::ManualPanel::TakePictureLabel, vtid::ManualPanel::EndLabel, vtid::ManualPanel::HeightUnit})
        EXPECT_EQ(idle.at(id)[0], '0') << id;
    EXPECT_EQ(idle.at(vtid::ManualPanel::TakePicture), "00");
    for (int id : {vtid::ManualPanel::SelectFolder, vtid::ManualPanel::StartCapture,
                   vtid::ManualPanel::TakePicture, vtid::ManualPanel::EndCapture})
        EXPECT_TRUE(panel->Item<wxAnyButton>(id)->GetBitmap().IsOk()) << "icon on " << id;
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FolderText).ToStdString(), "/tmp/vt-none");
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FileText).ToStdString(), "img000.bmp");
    EXPECT_EQ(Enabled(vtid::cmd::InitialMenu), std::optional<bool>(true));
    EXPECT_EQ(Enabled(vtid::cmd::SelectInputDevice), std::optional<bool>(true));

    // A run without height input: the height is 0 and 608 is on at once.
    Click(vtid::ManualPanel::StartCapture);
    EXPECT_EQ(panel->m_bInRun, 1);
    std::map<int, std::string> run = States();
    for (int id : {vtid::ManualPanel::SelectFolder, vtid::ManualPanel::StartCapture,
                   vtid::ManualPanel::HeightInput, vtid::ManualPanel::StartLabel, vtid::ManualPanel::Height,
                   vtid::ManualPanel::HeightLabel, vtid::ManualPanel::HeightUnit})
        EXPECT_EQ(run.at(id)[0], '0') << id;
    for (int id :
         {vtid::ManualPanel::FileName, vtid::ManualPanel::TakePicture, vtid::ManualPanel::EndCapture,
          vtid::ManualPanel::FileNameLabel, vtid::ManualPanel::TakePictureLabel, vtid::ManualPanel::EndLabel})
        EXPECT_EQ(run.at(id), "11") << id;
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::Height).ToStdString(), "0");
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FileName).ToStdString(), "img000.bmp");
    // The frame: no initial menu, no composition and no other camera module during the run.
    EXPECT_EQ(Enabled(vtid::cmd::InitialMenu), std::optional<bool>(false));
    EXPECT_EQ(Enabled(vtid::cmd::StartComposition), std::optional<bool>(false));
    EXPECT_EQ(Enabled(vtid::cmd::SelectInputDevice), std::optional<bool>(false));
    EXPECT_EQ(Enabled(vtid::cmd::InputMode), std::optional<bool>(false));
    // Nor other stage settings
    EXPECT_EQ(Enabled(vtid::cmd::StageControllerSettings), std::optional<bool>(false));
    EXPECT_EQ(Enabled(vtid::cmd::SpeedSettings), std::optional<bool>(false));

    Click(vtid::ManualPanel::EndCapture);
    EXPECT_EQ(panel->m_bInRun, 0);
    EXPECT_EQ(States(), idle);
    EXPECT_EQ(Enabled(vtid::cmd::InitialMenu), std::optional<bool>(true));
    EXPECT_EQ(Enabled(vtid::cmd::SelectInputDevice), std::optional<bool>(true));
    EXPECT_EQ(Enabled(vtid::cmd::StageControllerSettings), std::optional<bool>(true));

    // With height input and no stage the typed height decides 608.
    ui::testing::Click(panel->GetDlgItem(vtid::ManualPanel::HeightInput));
    ASSERT_TRUE(panel->Item<wxCheckBox>(vtid::ManualPanel::HeightInput)->GetValue());
    TypeHeight("");
    Click(vtid::ManualPanel::StartCapture);
    run = States();
    for (int id : {vtid::ManualPanel::Height, vtid::ManualPanel::HeightLabel, vtid::ManualPanel::HeightUnit})
        EXPECT_EQ(run.at(id), "11") << id;
    EXPECT_EQ(State(vtid::ManualPanel::TakePicture), "10");
    const std::pair<const char*, bool> heights[] = {{"-", false},       {"-12.5", true},     {"999999", true},
                                                    {"1000000", false}, {"-1000000", false}, {"0", true}};
    for (const auto& [text, on] : heights) {
        TypeHeight(text);
        EXPECT_EQ(panel->GetDlgItem(vtid::ManualPanel::TakePicture)->IsEnabled(), on) << text;
    }
    Click(vtid::ManualPanel::EndCapture);
}

TEST_F(ManualPanel, StartNeedsADeviceAndASavePath) {
    StartManual();
    CScriptedMessageSink sink(IDOK);
    Click(vtid::ManualPanel::StartCapture); // no AUTOPATH
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::NoSavePath});
    EXPECT_EQ(panel->m_bInRun, 0);
    EXPECT_EQ(State(vtid::ManualPanel::StartCapture), "11");
    app->m_strAutoPath = folder + "/a.bmp";
    app->m_strAutoDir = folder;
    Frame()->ForgetInputDevice();
    sink.ClearShown();
    Click(vtid::ManualPanel::StartCapture);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::SelectInputDevice});
    EXPECT_EQ(panel->m_bInRun, 0);
}

TEST_F(ManualPanel, FolderChoiceSetsThePathsAndTheDisplay) {
    StartManual();
    // No folder yet: both texts are blank.
    EXPECT_TRUE(panel->GetDlgItemText(vtid::ManualPanel::FolderText).Trim().IsEmpty());
    EXPECT_TRUE(panel->GetDlgItemText(vtid::ManualPanel::FileText).Trim().IsEmpty());
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
    Click(vtid::ManualPanel::SelectFolder);
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
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FolderText).ToStdString(), ShortenFolderText(deep));
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FolderText).ToStdString().substr(0, 5),
              deep.substr(0, 3) + "..");
    EXPECT_EQ(panel->GetDlgItemText(vtid::ManualPanel::FileText).ToStdString(), "sample010.bmp");
    // A name in a folder that does not exist changes nothing.
    Click(vtid::ManualPanel::SelectFolder);
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
