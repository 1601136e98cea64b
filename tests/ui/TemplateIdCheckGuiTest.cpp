// Every dialog template of both programs builds, and every template class finds each control id
// it binds in its message map or exchanges in DoDataExchange in its template; a class that refers
// to an id its template lacks fails the check, which names the class and the id.
#include "AssertRecorder.h"

#include "devices/serial/XyTblCtrl.h"
#include "devices/camera/gui/InpImgDlg.h"
#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "devices/serial/gui/StageSerchDialog.h"
#include "devices/serial/gui/XyTblSpeedDlg.h"
#include "devices/serial/gui/ZCalibrationDialog.h"
#include "devices/serial/gui/ZCtrlComSetDlg.h"
#include "devices/serial/gui/ZCtrlSetDlg.h"
#include "ids/VantorelIds.h"
#include "result/FocusProgDialog.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/DataExchange.h"
#include "ui/RoutedFrame.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/weakref.h>

using namespace ui;

namespace {

const char* kBroken = R"(
DIALOG 840 0 0 160 60 "検査"
  AUTOCHECKBOX 1297 "自動" 7 7 60 12
  PUSHBUTTON 1 "OK" 7 40 50 14
END
)";
// The ids of the template above, of its check box, of controls it lacks and of a menu command.
constexpr int kBrokenTemplate = 840;
constexpr int kCheckBox = 1297;
constexpr int kForeignEdit = 1298;
constexpr int kForeignCombo = 1299;
constexpr int kForeignControl = 1296;
constexpr int kMenuCommand = 32800;

// Binds a combo box and exchanges an edit that its template does not have.
class BrokenDialog : public TemplateDialog {
public:
    explicit BrokenDialog(const ResourceRegistry* reg) : TemplateDialog(nullptr, kBrokenTemplate, reg) {
        OnControl(CBN_SELCHANGE, kForeignCombo, [] {});
        OnCommand(kCheckBox, [] {});
    }
    void DoDataExchange(DataExchange& dx) override {
        dx.Check(kCheckBox, check);
        dx.Text(kForeignEdit, count);
    }
    int check = 0, count = 0;
};

TEST(TemplateIdCheckGui, AnIdTheTemplateLacksFailsTheCheckNamingClassAndId) {
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadText(kBroken, "", "broken", &error)) << error;
    BrokenDialog dlg(&reg);
    AssertRecorder asserts;
    EXPECT_EQ(dlg.CheckControlIds(), (std::vector<int>{kForeignEdit, kForeignCombo}));
    ASSERT_EQ(asserts.Messages().size(), 2u);
    EXPECT_NE(asserts.Messages()[0].find("BrokenDialog binds control 1298, which dialog template 840 lacks"),
              std::string::npos)
        << asserts.Messages()[0];
    EXPECT_NE(asserts.Messages()[1].find("BrokenDialog binds control 1299"), std::string::npos);
    // The check neither builds the window nor touches the fields.
    EXPECT_EQ(dlg.GetDlgItem(kCheckBox), nullptr);
    EXPECT_EQ(dlg.count, 0);
}

// A form view's map also takes menu commands: only its notifications and exchanged ids are checked.
TEST(TemplateIdCheckGui, AFormViewIsCheckedForItsNotificationsNotItsMenuCommands) {
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadText(kBroken, "", "broken", &error)) << error;
    auto* frame = new RoutedFrame(nullptr, "form");
    wxWeakRef<wxFrame> weak(frame);
    auto* form = new FormView(kBrokenTemplate, &reg);
    int menuCommands = 0;
    form->OnCommand(kMenuCommand, [&] { ++menuCommands; }); // a menu item, no control
    ASSERT_TRUE(form->Create(frame));
    frame->InitialUpdateFrame();
    EXPECT_EQ(frame->GetActiveView(), form);
    EXPECT_TRUE(frame->RouteCommandId(kMenuCommand));
    EXPECT_EQ(menuCommands, 1);
    EXPECT_TRUE(form->CheckControlIds().empty());
    form->OnControl(EN_CHANGE, kForeignControl, [] {});
    {
        AssertRecorder asserts;
        EXPECT_EQ(form->CheckControlIds(), (std::vector<int>{kForeignControl}));
        EXPECT_EQ(asserts.Messages().size(), 1u);
    }
    frame->Destroy();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weak; }));
}

// Builds every dialog template of a program's resources (common first) as a dialog; any wx
// assertion on the way fails the test (the harness's assert handler).
void BuildEveryTemplate(const std::string& program) {
    ResourceRegistry reg;
    std::string error;
    ASSERT_TRUE(reg.LoadFolder(std::string(VT_SOURCE_DIR) + "/resources/common", &error)) << error;
    ASSERT_TRUE(reg.LoadFolder(std::string(VT_SOURCE_DIR) + "/resources/" + program, &error)) << error;
    size_t built = 0;
    for (int id = 0; id <= 0xFFFF; ++id) {
        if (!reg.FindDialog(id))
            continue;
        TemplateDialog dlg(nullptr, id, &reg);
        EXPECT_TRUE(dlg.Create(false)) << program << " template " << id;
        EXPECT_TRUE(dlg.CheckControlIds().empty());
        ++built;
    }
    EXPECT_EQ(built, reg.DialogCount()) << program << ": templates with ids above 65535";
}

TEST(TemplateIdCheckGui, EveryTemplateOfBothProgramsBuilds) {
    BuildEveryTemplate("vantorel");
    BuildEveryTemplate("brelvoxa");
}

// Builds the class's window from the program's resources (OnInitDialog runs its lookups), checks
// its map and exchange against the template and runs the exchange in both directions.
void CheckClass(TemplateDialog& dlg) {
    SCOPED_TRACE(dlg.ClassName() + " on template " + std::to_string(dlg.TemplateId()));
    ASSERT_NE(dlg.Template(), nullptr);
    ASSERT_TRUE(dlg.Create(false));
    EXPECT_TRUE(dlg.CheckControlIds().empty());
    dlg.UpdateData(true);
    dlg.UpdateData(false);
}

TEST(TemplateIdCheckGui, EveryTemplateClassFindsTheIdsItBindsAndExchanges) {
    CScriptedMessageSink sink(IDOK); // refused values in a check run are told here
    {
        CFocusProgDialog dlg(nullptr);
        CheckClass(dlg);
    }
    {
        CZCtrlSetDlg dlg(nullptr);
        CheckClass(dlg);
    }
    for (int controller = CTRL_NONE; controller <= CTRL_MII; ++controller) {
        for (int templateId : {vtid::dlg::ComSettingsDialog, vtid::dlg::ComSettingsLensDialog}) {
            CZCtrlComSetDlg dlg(nullptr, templateId);
            dlg.m_nController = controller;
            CheckClass(dlg);
        }
        CXyTblSpeedDlg speeds(nullptr);
        speeds.m_nController = controller;
        CheckClass(speeds);
    }
    {
        CInpImgDlg dlg(nullptr, nullptr);
        CheckClass(dlg);
    }
    {
        CZCalibrationDialog dlg(nullptr, {});
        CheckClass(dlg);
        CXYCalibDialog lenses(nullptr, nullptr, nullptr);
        CheckClass(lenses);
        CXYCalibSetDlg calib(nullptr, 1);
        CheckClass(calib);
        // The two pages of the lens selection, as panels of a frame.
        auto* frame = new wxFrame(nullptr, wxID_ANY, "pages");
        auto* slots = new CLensCalibRegDlg();
        ASSERT_TRUE(slots->Create(frame));
        EXPECT_TRUE(slots->CheckControlIds().empty());
        auto* table = new CLensCalibTxtDlg(nullptr);
        ASSERT_TRUE(table->Create(frame));
        EXPECT_TRUE(table->CheckControlIds().empty());
        EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
    }
    auto* search = new CStageSerchDialog(nullptr);
    EXPECT_TRUE(search->CheckControlIds().empty());
    search->EndWaitAndDestroy();
}

} // namespace
