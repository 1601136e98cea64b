// The thumbnail list and the focus image box side by side in a test frame, filled from a
// folder of the test's own.
#pragma once

#include "tests/browser/core/BrowserTestImages.h"
#include "browser/SelListCtrl.h"
#include "browser/ThumbnailListCtrl.h"
#include "imaging/files/ImageFile.h"
#include "platform/ProgramHelpers.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/WindowMessages.h"
#include "tests/support/ScratchFolder.h"
#include "ui/PrivateMessages.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <filesystem>

using ui::testing::PumpUntil;

class BrowserLists : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "Cache");
        ctx.imageMap = &map;
        frame = new wxFrame(nullptr, wxID_ANY, "browser", wxDefaultPosition, wxSize(1300, 900));
        auto* sizer = new wxBoxSizer(wxHORIZONTAL);
        thumbs = new CThumbnailListCtrl(frame, 802);
        auto* side = new wxBoxSizer(wxVERTICAL);
        count = new wxStaticText(frame, 1106, "0");
        box = new CSelListCtrl(frame, 1022);
        side->Add(count, 0, wxEXPAND);
        side->Add(box, 1, wxEXPAND);
        sizer->Add(thumbs, 3, wxEXPAND);
        sizer->Add(side, 1, wxEXPAND);
        frame->SetSizer(sizer);
        ctx.thumbnailList = thumbs;
        ctx.focusBox = box;
        ctx.removeSelectedFromBox = [this] { box->RemoveItems(false); };
        thumbs->SetContext(&ctx);
        box->SetContext(&ctx);
        thumbs->SetOptionA(false);
        thumbs->SetOptionB(false);
        box->SetOptionA(false);
        box->SetOptionB(false);
        ::SendMessage(box->GetSafeHwnd(), WM_LIST_SET_LINK, WPARAM(ui::WindowHandle(count)), 0);
        frame->Show();
        ASSERT_TRUE(ui::testing::WaitForPaint(frame));
        box->InitList();
        ASSERT_TRUE(PumpUntil([&] { return !box->IsBusy(); }));
    }
    void TearDown() override { EXPECT_TRUE(ui::testing::DestroyAndWait(frame)); }

    // Fills the thumbnail list from a folder and waits for the end of the pass and the drawing
    // of every visible cell.
    void Fill(const std::string& folder) {
        ::SendMessage(thumbs->GetSafeHwnd(), WM_LIST_FILL, WPARAM(folder.c_str()), 0);
        ASSERT_TRUE(PumpUntil([&] { return !thumbs->IsBusy(); }));
        thumbs->Refresh();
        ASSERT_TRUE(PumpUntil([&] {
            for (const auto& f : thumbs->Items())
                if (thumbs->GetCellRect(thumbs->IndexOf(f.get())).GetBottom() < thumbs->GetClientSize().y &&
                    !f->m_drawnInThumbList)
                    return false;
            return true;
        }));
    }
    wxPoint CentreOnScreen(CSListCtrl* list, int i) {
        return list->ClientToScreen(list->GetCellRect(i).GetPosition() + wxPoint(20, 20));
    }
    // Drags the selected items of a list (item i under the pointer) and drops them at a point.
    void DragTo(CSListCtrl* source, int i, const wxPoint& screen) {
        const wxRect r = source->GetCellRect(i);
        ASSERT_FALSE(source->BeginDrag(i, r.x + 20, r.y + 20).empty());
        source->DropAt(screen);
    }
    std::string CountText() const { return count->GetLabel().ToStdString(); }

    ScratchFolder dir{"browser-gui"};
    CacheFolderScope cache{dir / "Cache"};
    CImageDataMap map;
    BrowserContext ctx;
    wxFrame* frame = nullptr;
    CThumbnailListCtrl* thumbs = nullptr;
    CSelListCtrl* box = nullptr;
    wxStaticText* count = nullptr;
    CScriptedMessageSink sink{IDOK};
};
