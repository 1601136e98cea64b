// The result window on its real windows, with a composed result of the test's own.
#pragma once

#include "result/core/HeightPicture.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ImagePrintout.h"
#include "result/ImageView.h"
#include "result/NoiseCutDialog.h"
#include "result/PicInfoDialog.h"
#include "result/SetOutputAppDlg.h"
#include "result/SetScaleDlg.h"
#include "result/ViewerMenuDialog.h"

#include "devices/camera/LensTable.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "result/FocusProgDialog.h"
#include "platform/ScriptedMessageSink.h"
#include "platform/WindowMessages.h"
#include "ui/PrivateMessages.h"
#include "ui/Document.h"
#include "ui/Services.h"
#include "ui/testing/GuiTest.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScratchSettingsFile.h"

#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/menu.h>
#include <wx/scrolbar.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <cmath>
#include <cstring>
#include <filesystem>

using namespace ui::testing;

struct Composed {
    int w, h;
    std::vector<std::vector<double>> hv;
    std::vector<std::vector<int>> fv;
    std::vector<const double*> hp;
    std::vector<const int*> fp;
    HDIB image;
    Composed(int w_, int h_) : w(w_), h(h_) {
        image = DibCreate(w, h, 1);
        hv.assign(size_t(h), std::vector<double>(size_t(w)));
        fv.assign(size_t(h), std::vector<int>(size_t(w)));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                DibSetPixel(image, x, y, 0, (x * 255) / w);
                DibSetPixel(image, x, y, 1, (y * 255) / h);
                DibSetPixel(image, x, y, 2, 128);
                hv[size_t(y)][size_t(x)] = 20 * std::sin(x * 0.02) * std::cos(y * 0.03) + 20;
                fv[size_t(y)][size_t(x)] = ((x / 7 + y / 5) % 9 == 0) ? 3 : 200;
            }
        for (auto& r : hv)
            hp.push_back(r.data());
        for (auto& r : fv)
            fp.push_back(r.data());
    }
    ~Composed() { GlobalFree(image); }
};

class ResultWindowGui : public ::testing::Test {
protected:
    void SetUp() override {
        WriteIniDouble("CALIBRATION", "CALIB1", 0.5);
        WriteIniDouble("CALIBRATION", "SCALELEN1", 100.0);
        WriteIniInt("CALIBRATION", "SCALEDOT1", 100);
        WriteIniString("CALIBRATION", "LENSNAME", "10-2.5");
        WriteIniString("CALIBRATION", "CLBNAME1", "Obj");
        frame = new CImageFrame(nullptr);
        frame->SetClientSize(1000, 700);
        frame->Show();
        ASSERT_TRUE(WaitForPaint(frame));
        doc = frame->GetImageDoc();
        view = frame->GetImageView();
        bar = frame->GetViewerBar();
    }
    void TearDown() override {
        frame->m_closingApp = true;
        doc->m_saved = 1;
        EXPECT_TRUE(DestroyAndWait(frame));
    }
    void Show(Composed& c, int smoothing = 8) {
        ASSERT_TRUE(frame->ShowResult(c.image, c.hp.data(), c.fp.data(), smoothing));
        ASSERT_TRUE(PumpUntil([&] { return doc->m_busy == 0; }));
    }
    void Choose(int id) { frame->RouteCommandId(id); }
    wxMenuItem* Item(int id) {
        frame->DoMenuUpdates();
        return frame->GetMenuBar()->FindItem(id);
    }

    ScratchSettingsFile settings;
    CScriptedMessageSink sink{IDOK};
    CImageFrame* frame = nullptr;
    CImageDoc* doc = nullptr;
    CImageView* view = nullptr;
    CViewerMenuDialog* bar = nullptr;
};
