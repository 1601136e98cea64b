// The folder tree and the thumbnail view side by side in a splitter of a test frame, with a test
// document, on a desktop and a documents folder of the test's own (HOME and the XDG user folders
// point there).
#pragma once

#include "browser/core/ThumbCacheNames.h"
#include "ids/VantorelIds.h"
#include "tests/browser/core/BrowserTestImages.h"
#include "browser/DirTreeView.h"
#include "browser/ThumbnailView.h"
#include "browser/core/ThumbnailCache.h"
#include "platform/ScriptedMessageSink.h"
#include "tests/support/ScratchFolder.h"
#include "platform/WindowMessages.h"
#include "ui/Document.h"
#include "ui/PrivateMessages.h"
#include "ui/RoutedFrame.h"
#include "ui/ResourceWidgets.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/splitter.h>
#include <wx/stattext.h>

#include <cstdlib>
#include <filesystem>

using ui::testing::PumpUntil;

class TestBrowserDoc : public ui::Document, public BrowserDocument {
public:
    TestBrowserDoc() { ctx.imageMap = &map; }
    BrowserContext& Browser() override { return ctx; }
    CImageDataMap map;
    BrowserContext ctx;
};

class EnvScope {
public:
    EnvScope(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old, had_ = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvScope() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

inline std::string Text(wxTreeCtrl* t, const wxTreeItemId& i) {
    return t->GetItemText(i).ToStdString(wxConvUTF8);
}

inline std::vector<std::string> Children(wxTreeCtrl* t, const wxTreeItemId& parent) {
    std::vector<std::string> out;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = t->GetFirstChild(parent, cookie); c.IsOk(); c = t->GetNextChild(parent, cookie))
        out.push_back(Text(t, c));
    return out;
}

class BrowserViews : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "Cache");
        std::filesystem::create_directories(dir / ".config");
        dir.Write(".config/user-dirs.dirs",
                  "XDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
        for (const char* d :
             {"Desk/photos/a/.hidden", "Desk/photos/RECYCLER", "Desk/photos/b/c", "Docs/notes"})
            std::filesystem::create_directories(dir / d);
        WriteFlatImage(dir / "Desk/photos/a/p1.bmp", 64, 48, 200, 60, 20);
        WriteFlatImage(dir / "Desk/photos/a/p2.jpg", 48, 64, 20, 60, 200);

        frame = new ui::RoutedFrame(nullptr, "browser", wxDefaultPosition, wxSize(1100, 700));
        auto* split = new wxSplitterWindow(frame, wxID_ANY);
        tree = new CDirTreeView(split, 100);
        view = new CThumbnailView();
        ASSERT_TRUE(view->Create(split));
        split->SplitVertically(tree, view, 260);
        auto owned = std::make_unique<TestBrowserDoc>();
        doc = owned.get();
        tree->SetDocument(doc);
        view->SetDocument(doc);
        frame->SetDocument(std::move(owned));
        tree->SetStartFolder(vtid::StartDialog::SelectByThumbnail, dir / "Desk/photos");
        frame->Show();
        frame->InitialUpdateFrame();
        ASSERT_TRUE(ui::testing::WaitForPaint(frame));
    }
    void TearDown() override { EXPECT_TRUE(ui::testing::DestroyAndWait(frame)); }

    ScratchFolder dir{"browser-views"};
    EnvScope home{"HOME", dir.Path()};
    EnvScope config{"XDG_CONFIG_HOME", dir / ".config"};
    CacheFolderScope cache{dir / "Cache"};
    CScriptedMessageSink sink{IDOK};
    ui::RoutedFrame* frame = nullptr;
    CDirTreeView* tree = nullptr;
    CThumbnailView* view = nullptr;
    TestBrowserDoc* doc = nullptr;
};
