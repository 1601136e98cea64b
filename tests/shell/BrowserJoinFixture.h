// The program started in its thumbnail mode on a folder of the test's, with the frame's folder
// tree, thumbnail list and focus image box at hand.
#pragma once

#include "ShellGuiFixture.h"

#include "browser/DirTreeView.h"
#include "browser/SelListCtrl.h"
#include "browser/ThumbnailListCtrl.h"
#include "ids/VantorelIds.h"
#include "shell/capture/SelectedBox.h"

#include <wx/stattext.h>

class BrowserJoin : public ShellWindows {
protected:
    // Starts in the thumbnail mode on folder/name and waits until its thumbnails are drawn.
    void StartOn(const std::string& name, const std::string& initial = "") {
        Settings(vtid::StartDialog::SelectByThumbnail, "",
                 "IMAGEPATH=" + folder + "/" + name + "\n" + initial);
        ASSERT_TRUE(StartProgram());
        f = Frame();
        ASSERT_TRUE(f);
        tree = f->FolderTree();
        thumbs = f->ThumbnailList();
        box = f->FocusBoxList();
        ASSERT_TRUE(tree && thumbs && box);
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return thumbs->GetItemCount() > 0 && !thumbs->IsBusy(); }));
        WaitDrawn();
    }
    void WaitDrawn() {
        thumbs->Refresh();
        ASSERT_TRUE(ui::testing::PumpUntil([&] {
            for (const auto& i : thumbs->Items())
                if (!i->m_drawnInThumbList)
                    return false;
            return true;
        }));
    }
    static std::vector<std::string> Names(const CSListCtrl* list) {
        std::vector<std::string> out;
        for (const auto& i : list->Items())
            out.push_back(i->IsPlaceholder() ? "*" : GetFileNamePart(i->m_path));
        return out;
    }
    std::string Count() const { return f->SelectedBox()->GetCountStatic()->GetLabel().ToStdString(); }
    // The update state of a command as the frame's menus and bar buttons get it.
    ui::CmdUI State(int id) {
        ui::CmdUI state(id);
        ui::RouteUpdate(f->CommandChain(), state);
        return state;
    }
    void SelectInBox(std::initializer_list<int> rows) {
        for (const auto& i : box->Items())
            i->m_selected = 0;
        for (int r : rows)
            box->GetItem(r)->m_selected = 1;
    }

    CScriptedMessageSink sink{IDOK};
    CMainFrame* f = nullptr;
    CDirTreeView* tree = nullptr;
    CThumbnailListCtrl* thumbs = nullptr;
    CSelListCtrl* box = nullptr;
};
