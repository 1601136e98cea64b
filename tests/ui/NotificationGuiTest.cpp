// Control notifications reach the message map of the window that holds the control, in map order,
// with their codes; what a panel does not take goes on to its frame's view and document.
#include "ui/Document.h"
#include "ui/RoutedFrame.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

using namespace ui;

namespace {

using Log = std::vector<std::string>;

const char* kTemplates = R"(
DIALOG 820 0 0 220 140 "通知"
  COMBOBOX 501 "" 7 7 100 80 DROPDOWNLIST
  EDITTEXT 502 "" 7 25 100 13
  LISTBOX 503 "" 7 43 100 40
  LISTVIEW 504 "" 110 7 100 80 SINGLESEL
  PUSHBUTTON 505 "実行" 7 90 50 14
  DEFPUSHBUTTON 1 "OK" 60 120 50 14
  PUSHBUTTON 2 "ｷｬﾝｾﾙ" 120 120 50 14
END
DIALOG 821 0 0 120 40 "" NOCAPTION
  EDITTEXT 601 "" 7 7 60 13
  COMBOBOX 602 "" 7 22 60 60 DROPDOWNLIST
  SLIDER 603 "" 70 7 45 12
END
)";
// The ids of the templates above, and the commands of the message-map panels below.
constexpr int kNotifyDialog = 820;
constexpr int kCombo = 501;
constexpr int kEdit = 502;
constexpr int kListBox = 503;
constexpr int kListView = 504;
constexpr int kRun = 505;
constexpr int kPanel = 821;
constexpr int kPanelEdit = 601;
constexpr int kPanelCombo = 602;
constexpr int kPanelSlider = 603;
constexpr int kFirstCommand = 701;
constexpr int kSecondCommand = 702;
constexpr int kThirdCommand = 703;

class NotifyDialog : public TemplateDialog {
public:
    NotifyDialog(const ResourceRegistry* reg, Log& log)
        : TemplateDialog(nullptr, kNotifyDialog, reg), log_(log) {
        OnControl(CBN_SELCHANGE, kCombo, &NotifyDialog::OnSelChange);
        OnControl(EN_CHANGE, kEdit,
                  [this] { log_.push_back("change " + Item<wxTextCtrl>(kEdit)->GetValue().utf8_string()); });
        OnControl(EN_CHANGE, kEdit, [this] { log_.push_back("second change entry"); }); // never reached
        OnControl(EN_KILLFOCUS, kEdit, [this] { log_.push_back("edit done"); });
        OnControl(LBN_DBLCLK, kListBox, [this] { log_.push_back("list box double click"); });
        OnNotify(LVN_ITEMCHANGED, kListView, [this](Notification& n) {
            log_.push_back("item " + std::to_string(n.item) +
                           (n.newState & LVIS_SELECTED ? " selected" : " left"));
        });
        OnNotify(LVN_COLUMNCLICK, kListView,
                 [this](Notification& n) { log_.push_back("column " + std::to_string(n.column)); });
        OnNotify(LVN_ENDLABELEDIT, kListView, [this](Notification& n) {
            log_.push_back("label " + n.text.utf8_string());
            n.result = n.text.empty() ? 0 : 1; // an empty label is refused
        });
        OnCommand(kRun, [this] { log_.push_back("click"); });
    }

private:
    void OnSelChange() {
        log_.push_back("selection " + std::to_string(Item<wxComboBox>(kCombo)->GetSelection()));
    }
    Log& log_;
};

class NotificationGui : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(reg.LoadText(kTemplates, "", "notifications", &error)) << error;
    }
    ResourceRegistry reg;
    Log log;
};

template <class Event> void Deliver(wxWindow* control, Event& ev) {
    ev.SetEventObject(control);
    control->ProcessWindowEvent(ev);
}

TEST_F(NotificationGui, ComboSelectionEditChangeAndListNotificationsReachTheirEntries) {
    NotifyDialog dlg(&reg, log);
    ASSERT_TRUE(dlg.Create(false));
    auto* combo = dlg.Item<wxComboBox>(kCombo);
    auto* edit = dlg.Item<wxTextCtrl>(kEdit);
    auto* list = dlg.Item<wxListCtrl>(kListView);
    ASSERT_TRUE(combo && edit && list);
    combo->Append("A");
    combo->Append("B");

    // The user picks the second entry: GTK reports the selection as wxEVT_COMBOBOX.
    combo->SetSelection(1);
    wxCommandEvent picked(wxEVT_COMBOBOX, kCombo);
    picked.SetInt(1);
    Deliver(combo, picked);
    ui::testing::Type(edit, "12");
    wxFocusEvent leave(wxEVT_KILL_FOCUS, kEdit);
    Deliver(edit, leave);
    wxCommandEvent twice(wxEVT_LISTBOX_DCLICK, kListBox);
    Deliver(dlg.GetDlgItem(kListBox), twice);

    wxListEvent selected(wxEVT_LIST_ITEM_SELECTED, kListView);
    selected.SetIndex(2);
    Deliver(list, selected);
    wxListEvent deselected(wxEVT_LIST_ITEM_DESELECTED, kListView);
    deselected.SetIndex(2);
    Deliver(list, deselected);
    wxListEvent column(wxEVT_LIST_COL_CLICK, kListView);
    column.SetColumn(1);
    Deliver(list, column);
    wxListItem named;
    named.SetText(wxString::FromUTF8("試料"));
    wxListEvent renamed(wxEVT_LIST_END_LABEL_EDIT, kListView);
    renamed.SetItem(named);
    Deliver(list, renamed);
    EXPECT_TRUE(renamed.IsAllowed());
    wxListEvent emptied(wxEVT_LIST_END_LABEL_EDIT, kListView);
    Deliver(list, emptied);
    EXPECT_FALSE(emptied.IsAllowed());

    ui::testing::Click(dlg.GetDlgItem(kRun));
    // Core code sends the notification with the control's handle, as a control would.
    ::SendMessage(dlg.GetSafeHwnd(), WM_COMMAND, MAKELONG(kCombo, CBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(WindowHandle(combo)));

    EXPECT_EQ(log, (Log{"selection 1", "change 12", "edit done", "list box double click", "item 2 selected",
                        "item 2 left", "column 1", "label 試料", "label ", "click", "selection 1"}));
}

TEST_F(NotificationGui, WhatAPanelDoesNotTakeReachesTheFramesDocument) {
    auto* frame = new RoutedFrame(nullptr, "panel", wxDefaultPosition, wxSize(400, 300));
    wxWeakRef<wxFrame> weak(frame);
    auto* panel = new TemplatePanel(kPanel, &reg);
    ASSERT_TRUE(panel->Create(frame));
    Document doc;
    frame->SetActiveView(nullptr, &doc);
    panel->OnControl(CBN_SELCHANGE, kPanelCombo, [&] { log.push_back("panel selection"); });
    doc.OnControl(CBN_SELCHANGE, kPanelCombo, [&] { log.push_back("document selection"); });
    doc.OnControl(EN_CHANGE, kPanelEdit, [&] { log.push_back("document change"); });
    doc.OnControl(EN_KILLFOCUS, kPanelEdit, [&] { log.push_back("document edit done"); });

    auto* combo = panel->Item<wxComboBox>(kPanelCombo);
    wxCommandEvent picked(wxEVT_COMBOBOX, kPanelCombo);
    Deliver(combo, picked);
    ui::testing::Type(panel->GetDlgItem(kPanelEdit), "3");
    wxFocusEvent leave(wxEVT_KILL_FOCUS, kPanelEdit);
    Deliver(panel->GetDlgItem(kPanelEdit), leave);
    EXPECT_EQ(log, (Log{"panel selection", "document change", "document edit done"}));

    // A slider scrolls as WM_HSCROLL to the frame's message table.
    frame->OnMessage(WM_HSCROLL, [&](WPARAM w, LPARAM l) -> LRESULT {
        wxWindow* from = WindowFromHandle(reinterpret_cast<HWND>(l));
        log.push_back("scroll " + std::to_string(LOWORD(w)) + " to " + std::to_string(HIWORD(w)) + " by " +
                      std::to_string(from ? from->GetId() : 0));
        return 0;
    });
    wxScrollEvent dragged(wxEVT_SCROLL_THUMBTRACK, kPanelSlider, 40, wxHORIZONTAL);
    Deliver(panel->GetDlgItem(kPanelSlider), dragged);
    EXPECT_EQ(log.back(), "scroll 5 to 40 by 603");

    frame->SetActiveView(nullptr, nullptr);
    frame->Destroy();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weak; }));
}

// A base class that ends its entries: the entries of a class derived from it come first, each
// class's in the order they were added, for commands, update-UI and messages alike.
class BaseMapPanel : public TemplatePanel {
public:
    BaseMapPanel(const ResourceRegistry* reg, Log& log) : TemplatePanel(kPanel, reg), log_(log) {
        OnCommand(kFirstCommand, [this] { log_.push_back("base 701"); });
        OnCommand(kSecondCommand, [this] { log_.push_back("base 702"); });
        OnUpdateUI(kFirstCommand, [](CmdUI& c) { c.SetText("base"); });
        OnMessage(0x8001, [this](WPARAM, LPARAM) {
            log_.push_back("base message");
            return LRESULT(1);
        });
        EndBaseClassEntries();
    }

protected:
    Log& log_;
};

class DerivedMapPanel : public BaseMapPanel {
public:
    DerivedMapPanel(const ResourceRegistry* reg, Log& log) : BaseMapPanel(reg, log) {
        OnCommand(kFirstCommand, [this] { log_.push_back("derived 701"); });
        OnCommand(kFirstCommand, [this] { log_.push_back("second derived 701"); }); // never reached
        OnCommand(kThirdCommand, [this] { log_.push_back("derived 703"); });
        OnUpdateUI(kFirstCommand, [](CmdUI& c) { c.SetText("derived"); });
        OnMessage(0x8001, [this](WPARAM, LPARAM) {
            log_.push_back("derived message");
            return LRESULT(2);
        });
    }
};

TEST_F(NotificationGui, ADerivedClassesEntriesComeBeforeThoseItsBaseEnded) {
    DerivedMapPanel panel(&reg, log);
    for (int id : {kFirstCommand, kSecondCommand, kThirdCommand})
        EXPECT_TRUE(panel.HandleCommand(id)) << id;
    CmdUI update(kFirstCommand);
    EXPECT_TRUE(panel.HandleUpdate(update));
    EXPECT_EQ(update.label.value_or(""), "derived");
    LRESULT result = 0;
    EXPECT_TRUE(panel.Dispatch(0x8001, 0, 0, result));
    EXPECT_EQ(result, 2);
    EXPECT_EQ(log, (Log{"derived 701", "base 702", "derived 703", "derived message"}));
}

} // namespace
