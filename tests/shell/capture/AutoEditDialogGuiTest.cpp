#include "ids/VantorelIds.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/Settings.h"
#include "shell/capture/AutoEditDialog.h"
#include "shell/capture/EDEdit.h"
#include "shell/capture/EDListCtrl.h"
#include "tests/support/ScratchSettingsFile.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/settings.h>
#include <wx/utils.h>

namespace {

// The panel's side of the editor: a drive that reports a Z (none: no answer) and records moves.
class TestOwner : public AutoEditOwner {
public:
    std::optional<double> GetDisplayedZ() override { return z; }
    bool MoveToZ(double target) override {
        moves.push_back(target);
        return z.has_value();
    }
    void OnEditorAccepted(const std::vector<double>& list) override {
        positions = list;
        ++accepted;
    }
    void OnEditorClosed() override { ++closed; }

    std::optional<double> z = 0.0;
    std::vector<double> moves;
    std::vector<double> positions{1.0, 2.0};
    int accepted = 0;
    int closed = 0;
};

class AutoEditGui : public ::testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "panel", wxPoint(0, 0), wxSize(300, 200));
        frame->Show();
        dlg = new CAutoEditDialog(frame, &owner);
        ASSERT_TRUE(dlg->Create());
        list = dlg->GetList();
        ASSERT_NE(list, nullptr);
        dlg->LoadPositions({0, 3.5, -6});
        ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
    }
    void TearDown() override {
        EXPECT_TRUE(ui::testing::DestroyAndWait(dlg));
        EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
    }
    // The middle of a cell in client pixels.
    wxPoint Cell(int row, int column) const {
        const wxRect r = list->GetItemRect(row);
        int x = r.GetLeft();
        for (int c = 0; c < column; ++c)
            x += list->GetColumnWidth(c);
        return {x + list->GetColumnWidth(column) / 2, r.GetTop() + r.GetHeight() / 2};
    }
    std::vector<std::string> Texts() const { return dlg->CellTexts(); }

    ScratchSettingsFile settings;
    CScriptedMessageSink sink{IDOK};
    TestOwner owner;
    wxFrame* frame = nullptr;
    CAutoEditDialog* dlg = nullptr;
    CEDListCtrl* list = nullptr;
};

TEST_F(AutoEditGui, TheTemplateWithItsListAndTheTrailingRow) {
    EXPECT_EQ(dlg->GetTitle(), wxString::FromUTF8("編集"));
    EXPECT_TRUE(dlg->CheckControlIds().empty());
    EXPECT_EQ(dlg->GetDlgItem(vtid::PositionListEditor::PositionList), list);
    const std::vector<std::pair<int, const char*>> buttons = {{vtid::PositionListEditor::Add, "追加"},
                                                              {vtid::PositionListEditor::Delete, "削除"},
                                                              {vtid::PositionListEditor::Move, "移動"},
                                                              {1, "設定"},
                                                              {2, "ｷｬﾝｾﾙ"}};
    for (const auto& [id, label] : buttons) {
        auto* b = dynamic_cast<wxButton*>(dlg->GetDlgItem(id));
        ASSERT_NE(b, nullptr) << id;
        EXPECT_EQ(b->GetLabel(), wxString::FromUTF8(label)) << id;
    }
    ASSERT_EQ(list->GetColumnCount(), 2);
    EXPECT_EQ(list->GetColumnWidth(0), 40);
    EXPECT_EQ(list->GetColumnFormat(1), CEDListCtrl::LVCFMT_RIGHT);
    EXPECT_EQ(list->GetItemCount(), 4);
    EXPECT_TRUE(list->IsTrailingRow(3));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"0", "3.5", "-6"}));
    // An empty list shows the trailing row alone; accepting it empties the positions.
    dlg->LoadPositions({});
    EXPECT_EQ(list->GetItemCount(), 1);
    dlg->OnOK();
    EXPECT_EQ(owner.accepted, 1);
    EXPECT_TRUE(owner.positions.empty());
    EXPECT_EQ(ReadIniString("AUTOFOCUS", "LIST", "none"), "~");
}

TEST_F(AutoEditGui, RowsAreDrawnWithTheirColoursAndFrames) {
    list->SetSelected(1, true);
    wxBitmap bmp(list->GetClientSize());
    {
        wxMemoryDC dc(bmp);
        list->Draw(dc);
    }
    const wxImage img = bmp.ConvertToImage();
    const auto colourAt = [&](int x, int y) {
        return wxColour(img.GetRed(x, y), img.GetGreen(x, y), img.GetBlue(x, y));
    };
    const auto countIn = [&](const wxRect& r, auto pred) {
        int n = 0;
        for (int y = r.GetTop(); y <= r.GetBottom(); ++y)
            for (int x = r.GetLeft(); x <= r.GetRight(); ++x)
                n += pred(colourAt(x, y)) ? 1 : 0;
        return n;
    };
    const wxRect row0 = list->GetItemRect(0), row1 = list->GetItemRect(1);
    const int col0 = list->GetColumnWidth(0);
    const wxRect value0(col0 + 2, row0.GetTop() + 1, list->GetColumnWidth(1) - 4, row0.GetHeight() - 3);
    const wxRect value1(col0 + 2, row1.GetTop() + 1, list->GetColumnWidth(1) - 4, row1.GetHeight() - 3);
    const auto red = [](const wxColour& c) { return c.Red() > 200 && c.Green() < 80 && c.Blue() < 80; };
    const auto blue = [](const wxColour& c) { return c.Blue() > 200 && c.Red() < 80 && c.Green() < 80; };
    const auto dark = [](const wxColour& c) { return c.Red() < 100 && c.Green() < 100 && c.Blue() < 100; };
    // An unselected row: black text on white.
    EXPECT_GT(countIn(value0, dark), 5);
    EXPECT_EQ(countIn(value0, red), 0);
    EXPECT_EQ(colourAt(value0.GetLeft() + 1, value0.GetTop() + 1), *wxWHITE);
    // The selected row: red text on a blue text background.
    EXPECT_GT(countIn(value1, red), 5);
    EXPECT_GT(countIn(value1, blue), 20);
    EXPECT_EQ(countIn(value1, dark), 0);
    // The first cells are framed boxes filled with the face colour, not white.
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    EXPECT_EQ(colourAt(4, row0.GetTop() + 2), face);
    EXPECT_EQ(colourAt(4, row1.GetTop() + 2), face);
}

TEST_F(AutoEditGui, ClicksOpenAnEditOnValueCellsOnly) {
    list->ClickAt(Cell(3, 1), false, false); // the trailing row
    EXPECT_EQ(list->GetEdit(), nullptr);
    EXPECT_EQ(list->GetCurrentRow(), 3);
    list->ClickAt(Cell(1, 0), false, false); // the numbered column
    EXPECT_EQ(list->GetEdit(), nullptr);
    EXPECT_TRUE(list->IsSelected(1));
    list->ClickAt(Cell(1, 1), false, false);
    CEDEdit* edit = list->GetEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetId(), CEDEdit::kControlId);
    EXPECT_EQ(edit->GetValue(), "3.5");
    EXPECT_EQ(edit->Row(), 1);
    // The edit lies over the value cell of its row.
    const wxRect cell = list->GetItemRect(1);
    EXPECT_EQ(edit->GetPosition().x, list->GetColumnWidth(0) + 1);
    EXPECT_LE(std::abs(edit->GetPosition().y - (cell.GetTop() - 1)), 1);
}

TEST_F(AutoEditGui, TheEditFiltersCharactersAndWidens) {
    CEDEdit* edit = list->EditSubLabel(0, 1);
    ASSERT_NE(edit, nullptr);
    edit->SelectAll();
    EXPECT_TRUE(edit->TypeChar('-')); // a selection that begins at 0
    EXPECT_FALSE(edit->TypeChar('-'));
    EXPECT_FALSE(edit->TypeChar('a'));
    EXPECT_TRUE(edit->TypeChar('1'));
    EXPECT_TRUE(edit->TypeChar('.'));
    EXPECT_FALSE(edit->TypeChar('.'));
    EXPECT_TRUE(edit->TypeChar('5'));
    EXPECT_EQ(edit->GetValue(), "-1.5");
    const int before = edit->GetSize().x;
    for (int i = 0; i < 30; ++i)
        edit->TypeChar('9');
    EXPECT_GT(edit->GetSize().x, before);
    EXPECT_LE(edit->GetRect().GetRight(), list->GetClientSize().x);
}

TEST_F(AutoEditGui, KeysCommitMoveAndCancel) {
    CEDEdit* edit = list->EditSubLabel(0, 1);
    ASSERT_NE(edit, nullptr);
    edit->SelectAll();
    edit->TypeChar('7');
    EXPECT_TRUE(edit->HandleKey(WXK_DOWN, false, false)); // commits, edits the row below
    EXPECT_EQ(list->GetItemText(0, 1), "7");
    edit = list->GetEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Row(), 1);
    // Enter as the keyboard delivers it reaches the edit before the dialog's default button.
    edit->SelectAll();
    edit->TypeChar('2');
    wxKeyEvent enter(wxEVT_CHAR_HOOK);
    enter.m_keyCode = WXK_RETURN;
    enter.SetEventObject(edit);
    edit->ProcessWindowEvent(enter);
    EXPECT_TRUE(dlg->IsShown());
    EXPECT_EQ(owner.accepted, 0);
    EXPECT_EQ(list->GetItemText(1, 1), "2");
    ASSERT_NE(list->GetEdit(), nullptr);
    EXPECT_EQ(list->GetEdit()->Row(), 2);
    list->SetItemText(1, 1, "3.5");
    edit = list->EditSubLabel(1, 1);
    // Esc leaves the cell as it was.
    edit->SelectAll();
    edit->TypeChar('4');
    EXPECT_TRUE(edit->HandleKey(WXK_ESCAPE, false, false));
    EXPECT_EQ(list->GetEdit(), nullptr);
    EXPECT_EQ(list->GetItemText(1, 1), "3.5");
    EXPECT_TRUE(dlg->IsShown()); // Esc in a cell does not cancel the editor
    // Ctrl+End goes to the last position row, never to the trailing row; Down stops there.
    edit = list->EditSubLabel(0, 1);
    edit->HandleKey(WXK_END, false, true);
    ASSERT_NE(list->GetEdit(), nullptr);
    EXPECT_EQ(list->GetEdit()->Row(), 2);
    list->GetEdit()->HandleKey(WXK_DOWN, false, false);
    EXPECT_EQ(list->GetEdit()->Row(), 2);
    list->GetEdit()->HandleKey(WXK_HOME, false, true);
    EXPECT_EQ(list->GetEdit()->Row(), 0);
    list->GetEdit()->HandleKey(WXK_UP, false, false);
    EXPECT_EQ(list->GetEdit()->Row(), 0);
    // Enter commits and edits the next row; on the last position row it only commits.
    list->GetEdit()->HandleKey(WXK_RETURN, false, false);
    EXPECT_EQ(list->GetEdit()->Row(), 1);
    edit = list->EditSubLabel(2, 1);
    edit->SelectAll();
    edit->TypeChar('8');
    edit->HandleKey(WXK_RETURN, false, false);
    EXPECT_EQ(list->GetEdit(), nullptr);
    EXPECT_EQ(list->GetItemText(2, 1), "8");
    // Shift+Tab into the numbered column opens nothing.
    edit = list->EditSubLabel(1, 1);
    edit->HandleKey(WXK_TAB, true, false);
    EXPECT_EQ(list->GetEdit(), nullptr);
    EXPECT_EQ(list->EditSubLabel(3, 1), nullptr); // the trailing row
    EXPECT_EQ(list->EditSubLabel(0, 0), nullptr);
    EXPECT_EQ(list->EditSubLabel(9, 1), nullptr);
    // The ended edits are removed once their events are done.
    EXPECT_TRUE(ui::testing::PumpUntil([&] {
        int edits = 0;
        for (wxWindow* w : list->GetChildren())
            edits += dynamic_cast<CEDEdit*>(w) ? 1 : 0;
        return edits == 0;
    }));
}

TEST_F(AutoEditGui, AddRecordsTheDisplayedZAndDeleteKeepsTheTrailingRow) {
    owner.z = -12.25;
    dlg->OnAdd(); // no current row: appended before the trailing row
    EXPECT_EQ(Texts(), (std::vector<std::string>{"0", "3.5", "-6", "-12.25"}));
    EXPECT_TRUE(list->IsSelected(4));
    EXPECT_EQ(list->GetCurrentRow(), 4);
    owner.z = 0.1 * 3; // shown as the panel shows it
    list->ClickAt(Cell(1, 0), false, false);
    dlg->OnAdd(); // inserted at the current row
    EXPECT_EQ(Texts(), (std::vector<std::string>{"0", "0.3", "3.5", "-6", "-12.25"}));
    EXPECT_EQ(list->GetCurrentRow(), 1);
    // Select rows 0 and 3 and the trailing row: the positions go, the trailing row stays.
    list->ClickAt(Cell(0, 0), false, false);
    list->ClickAt(Cell(3, 0), true, false);
    list->ClickAt(Cell(5, 0), true, false);
    dlg->OnDelete();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"0.3", "3.5", "-12.25"}));
    EXPECT_EQ(list->GetItemCount(), 4);
    EXPECT_TRUE(list->IsTrailingRow(3));
    EXPECT_TRUE(list->IsSelected(2)); // the row that followed the last one removed
    owner.z.reset();                  // adds no row with the last Z it gave
    dlg->OnAdd();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"0.3", "3.5", "-12.25"}));
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::WrongController}));
}

TEST_F(AutoEditGui, MoveGoesToTheRowsValueButNotFromTheTrailingRow) {
    list->ClickAt(Cell(3, 0), false, false);
    dlg->OnMove();
    EXPECT_TRUE(owner.moves.empty());
    EXPECT_TRUE(sink.ShownIds().empty());
    list->ClickAt(Cell(2, 0), false, false);
    dlg->OnMove();
    EXPECT_EQ(owner.moves, (std::vector<double>{-6}));
    list->SetItemText(2, 1, "1000000");
    dlg->OnMove();
    EXPECT_EQ(owner.moves.size(), 1u);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::MoveTooFar}));
    owner.z.reset();
    list->SetItemText(2, 1, "-6");
    dlg->OnMove();
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::MoveTooFar, vtid::str::WrongController}));
}

TEST_F(AutoEditGui, AcceptRefusesAValueOutOfRangeAndCancelKeepsThePanelsList) {
    list->SetItemText(1, 1, "1000000");
    dlg->OnOK();
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::ListValueOutOfRange}));
    EXPECT_EQ(owner.accepted, 0);
    EXPECT_EQ(owner.closed, 0);
    EXPECT_TRUE(dlg->IsShown());
    EXPECT_EQ(ReadIniString("AUTOFOCUS", "LIST", "none"), "none");
    list->SetItemText(1, 1, "999999");
    list->SetItemText(2, 1, "");
    dlg->OnOK();
    EXPECT_EQ(owner.positions, (std::vector<double>{0, 999999, 0}));
    EXPECT_EQ(owner.accepted, 1);
    EXPECT_EQ(owner.closed, 1);
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_EQ(ReadIniString("AUTOFOCUS", "LIST", ""), "0|999999|0|~");
    // Reopened and cancelled (Esc): the owner's list stays as it was.
    dlg->LoadPositions(owner.positions);
    dlg->Show();
    list->SetItemText(0, 1, "5");
    wxKeyEvent esc(wxEVT_CHAR_HOOK);
    esc.m_keyCode = WXK_ESCAPE;
    esc.SetEventObject(dlg);
    dlg->ProcessWindowEvent(esc);
    EXPECT_EQ(owner.closed, 2);
    EXPECT_EQ(owner.accepted, 1);
    EXPECT_EQ(owner.positions, (std::vector<double>{0, 999999, 0}));
    EXPECT_FALSE(dlg->IsShown());
}

TEST_F(AutoEditGui, AnEditBelowThePageScrollsItsRowIntoView) {
    std::vector<double> many;
    for (int i = 0; i < 60; ++i)
        many.push_back(i * 2.5);
    dlg->LoadPositions(many);
    ASSERT_GT(list->GetItemCount(), list->CountPerPage());
    CEDEdit* edit = list->EditSubLabel(50, 1);
    ASSERT_NE(edit, nullptr);
    EXPECT_GT(list->GetTopRow(), 0);
    EXPECT_EQ(edit->GetValue(), "125");
    const wxRect row = list->GetItemRect(50);
    EXPECT_GE(row.GetTop(), list->HeaderHeight());
    EXPECT_LE(row.GetBottom(), list->GetClientSize().y);
    EXPECT_LE(std::abs(edit->GetPosition().y - (row.GetTop() - 1)), 1);
    int hitRow = -1, hitColumn = -1;
    EXPECT_TRUE(list->HitTestEx(wxPoint(list->GetColumnWidth(0) + 3, row.GetTop() + 2), &hitRow, &hitColumn));
    EXPECT_EQ(hitRow, 50);
    EXPECT_EQ(hitColumn, 1);
    // Scrolling ends the edit with its text.
    edit->SelectAll();
    edit->TypeChar('1');
    wxScrollWinEvent up(wxEVT_SCROLLWIN_TOP, 0, wxVERTICAL);
    list->ProcessWindowEvent(up);
    EXPECT_EQ(list->GetEdit(), nullptr);
    EXPECT_EQ(list->GetTopRow(), 0);
    EXPECT_EQ(list->GetItemText(50, 1), "1");
}

TEST_F(AutoEditGui, ScreenshotWithACellOpen) {
    dlg->LoadPositions({0, 3, 6, 9, 10, -12.5, 250.125});
    list->ClickAt(Cell(2, 0), false, false);
    list->ClickAt(Cell(4, 0), true, false);
    CEDEdit* edit = list->EditSubLabel(5, 1);
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
    // For looking only: on the shared display another window may take the focus, which ends the
    // open cell as any lost focus does.
    ui::testing::Screenshot(dlg, ui::testing::OutputFolder() + "/auto-edit-dialog.png");
}

// The height list of the settings reuses the control with the plain first column: names in the
// first column, no trailing row, the last row edited like the others.
TEST(EDListCtrlGui, PlainFirstColumnShowsNamesAndEditsEveryRow) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "list", wxPoint(0, 0), wxSize(300, 200));
    auto* list = new CEDListCtrl(frame, 45, wxPoint(0, 0), wxSize(280, 180), true);
    frame->Show();
    list->InsertColumn(0, "name", CEDListCtrl::LVCFMT_LEFT, 90);
    list->InsertColumn(1, "z", CEDListCtrl::LVCFMT_RIGHT, 60);
    for (int i = 0; i < 3; ++i) {
        list->InsertItem(i, wxString::Format("img%03d.bmp", i));
        list->SetItemText(i, 1, wxString::Format("%d", i * 10));
    }
    ASSERT_TRUE(ui::testing::WaitForPaint(frame));
    EXPECT_FALSE(list->IsTrailingRow(2));
    EXPECT_EQ(list->EditSubLabel(2, 0), nullptr); // names are not edited
    CEDEdit* edit = list->EditSubLabel(2, 1);
    ASSERT_NE(edit, nullptr);
    edit->SelectAll();
    edit->TypeChar('5');
    edit->HandleKey(WXK_UP, false, false);
    EXPECT_EQ(list->GetItemText(2, 1), "5");
    ASSERT_NE(list->GetEdit(), nullptr);
    EXPECT_EQ(list->GetEdit()->Row(), 1);
    list->GetEdit()->HandleKey(WXK_END, false, true);
    EXPECT_EQ(list->GetEdit()->Row(), 2); // the last row is a row like the others
    list->EndEdit();
    // The first column shows the row's text, not its number.
    wxBitmap bmp(list->GetClientSize());
    {
        wxMemoryDC dc(bmp);
        list->Draw(dc);
    }
    const wxImage img = bmp.ConvertToImage();
    const wxRect row = list->GetItemRect(0);
    int dark = 0;
    for (int y = row.GetTop(); y < row.GetBottom(); ++y)
        for (int x = 2; x < 88; ++x)
            dark += img.GetRed(x, y) < 100 ? 1 : 0;
    EXPECT_GT(dark, 40); // a whole file name, left-aligned across the column
    EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
}

} // namespace
