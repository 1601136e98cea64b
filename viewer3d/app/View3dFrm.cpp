#include "viewer3d/app/View3dFrm.h"

#include "ids/BrelvoxaIds.h"
#include "platform/Encoding.h"
#include "platform/MessageSink.h"
#include "ui/ResourceWidgets.h"
#include "ui/Services.h"
#include "ui/SplitterGrid.h"
#include "ui/Timers.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/app/CalibFrm.h"
#include "viewer3d/app/GeneralSetDlg.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/measure/gui/AnalysisVw.h"
#include "viewer3d/measure/gui/GraphVw.h"
#include "viewer3d/measure/gui/ImageVw.h"
#include "viewer3d/measure/gui/MeasurePanes.h"
#include "viewer3d/app/ReportPage.h"
#include "viewer3d/app/View3dApp.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/ViewerSettings.h"
#include "viewer3d/measure/gui/ScreenBitmapFile.h"
#include "viewer3d/render/View3dView.h"

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/toolbar.h>

#include <cstring>

namespace brx {

namespace {

constexpr std::array<int, 4> kDefaultWidths = {266, 533, 266, 533};
constexpr std::array<int, 7> kDefaultHeights = {426, 213, 213, 213, 213, 320, 320};

wxSplitterWindow* splitterOf(wxWindow* pane) {
    return pane ? dynamic_cast<wxSplitterWindow*>(pane->GetParent()) : nullptr;
}

// The smallest size a pane keeps while the window is resized (a splitter too small for two such
// panes is split in the middle).
constexpr int kMinPane = 60;

// The length a splitter shares between its two panes (0 before it has been laid out).
int shareOf(const wxSplitterWindow* s) {
    const wxSize size = s->GetClientSize();
    return std::max(0, (s->GetSplitMode() == wxSPLIT_VERTICAL ? size.x : size.y) - s->GetSashSize());
}

// The sash of the splitter holding pane set so that its first pane is position pixels, as far as
// the splitter leaves both panes their minimum. The wanted size itself is kept by the caller, so
// the panes come back to it when the window grows again.
void setSash(wxWindow* pane, int position) {
    wxSplitterWindow* s = splitterOf(pane);
    if (!s)
        return;
    if (const int share = shareOf(s); share > 0)
        position = share >= 2 * kMinPane ? std::clamp(position, kMinPane, share - kMinPane) : share / 2;
    s->SetSashPosition(position);
}

// True when the splitter holding pane cannot give its first pane the wanted size now: what its
// panes show then is not what the user chose.
bool squeezed(wxWindow* pane, int wanted) {
    const wxSplitterWindow* s = splitterOf(pane);
    const int share = s ? shareOf(s) : 0;
    return share > 0 && (share < 2 * kMinPane || wanted > share - kMinPane);
}

// The extension of a path's file name with its dot, empty when the name has none (a dot in a
// folder name does not count).
std::string extensionOf(const std::string& path, std::string* stem) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        *stem = path;
        return std::string();
    }
    *stem = path.substr(0, dot);
    return path.substr(dot);
}

// The picture format a file name's extension names (".bmp" when it names none this program
// writes); *path gets ".bmp" in place of an extension that names no picture format.
wxBitmapType formatOfName(std::string* path, const std::string& stem, const std::string& ext) {
    const wxString e = wxString::FromUTF8(ext).Lower();
    if (e == ".jpg" || e == ".jpeg")
        return wxBITMAP_TYPE_JPEG;
    if (e == ".png")
        return wxBITMAP_TYPE_PNG;
    if (e == ".tif" || e == ".tiff")
        return wxBITMAP_TYPE_TIFF;
    if (e != ".bmp")
        *path = stem + ".bmp";
    return wxBITMAP_TYPE_BMP;
}

// A pane's picture written in the format given, through a temporary file beside the target
// renamed over it on success.
bool savePicture(const wxImage& image, const std::string& path, wxBitmapType type) {
    if (type == wxBITMAP_TYPE_BMP)
        return v3d::SaveBitmapAsBmp(wxBitmap(image), path) == 1;
    const wxString target = wxString::FromUTF8(path);
    const wxString temporary = target + ".part";
    wxImage copy = image;
    if (type == wxBITMAP_TYPE_JPEG)
        copy.SetOption(wxIMAGE_OPTION_QUALITY, 95);
    bool written = false;
    {
        wxLogNull quiet;
        written = copy.SaveFile(temporary, type);
    }
    if (!written || !wxRenameFile(temporary, target, true)) {
        wxRemoveFile(temporary);
        return false;
    }
    return true;
}

} // namespace

CView3dFrm::CView3dFrm(CMainFrame* main, std::unique_ptr<CView3dDoc> doc, const std::string& title)
    : ui::RoutedMdiChildFrame(main, wxString::FromUTF8(title)), main_(main) {
    SetDocument(std::move(doc));
    // Pane sizes: from the active document frame, else the settings; -1 means the default.
    CView3dFrm* active = main->GetActive3dFrame();
    if (active && active != this) {
        active->SavePaneSizes(kBothScreens);
        widths_ = active->widths_;
        heights_ = active->heights_;
        if (!active->IsMaximized())
            SetSize(active->GetSize());
    } else {
        const v3d::PaneSizes stored = v3d::ReadPaneSizes();
        widths_ = stored.widths;
        heights_ = stored.heights;
    }
    for (int i = 0; i < 4; ++i)
        if (widths_[i] < 0)
            widths_[i] = kDefaultWidths[i];
    for (int i = 0; i < 7; ++i)
        if (heights_[i] < 0)
            heights_[i] = kDefaultHeights[i];

    // The screen and measuring-line bars on top, the file and display bar on the right.
    auto* top = new wxBoxSizer(wxVERTICAL);
    barSizer_ = new wxBoxSizer(wxHORIZONTAL);
    top->Add(barSizer_, 0, wxEXPAND);
    bodySizer_ = new wxBoxSizer(wxHORIZONTAL);
    top->Add(bodySizer_, 1, wxEXPAND);
    SetSizer(top);
    buildBars();
    buildPanes();

    OnCommand(bxid::cmd::Show3dScreen, &CView3dFrm::ShowScreen3d);
    OnCommand(bxid::cmd::ShowMeasureScreen, &CView3dFrm::ShowScreenMeasure);
    OnUpdateUI(bxid::cmd::Show3dScreen,
               [this](ui::CmdUI& c) { c.SetCheck(Doc() && Doc()->ScreenMode() == v3d::kScreen3d); });
    OnUpdateUI(bxid::cmd::ShowMeasureScreen,
               [this](ui::CmdUI& c) { c.SetCheck(Doc() && Doc()->ScreenMode() == v3d::kScreenMeasure); });
    for (v3d::LineKind kind : {v3d::kLineHorizontal, v3d::kLineVertical, v3d::kLineFree}) {
        OnCommand(kLineKindCommands[kind], [this, kind] { SetLineKind(kind); });
        OnUpdateUI(kLineKindCommands[kind], [this, kind](ui::CmdUI& c) {
            c.Enable(Doc() && Doc()->ScreenMode() == v3d::kScreenMeasure);
            c.SetCheck(Doc() && Doc()->LineKind() == kind);
        });
    }
    // The display mode commands in mode order: texture, surface, wire frame.
    static constexpr int kDisplayModeCommands[3] = {bxid::cmd::TextureDisplay, bxid::cmd::SurfaceDisplay,
                                                    bxid::cmd::WireframeDisplay};
    for (int mode = 0; mode < 3; ++mode) {
        OnCommand(kDisplayModeCommands[mode], [this, mode] { onDisplayMode(mode); });
        OnUpdateUI(kDisplayModeCommands[mode], [this, mode](ui::CmdUI& c) {
            c.SetCheck(Doc() && Doc()->GetViewState()->displayMode == mode);
        });
    }
    OnUpdateUI(bxid::cmd::PseudoColor,
               [this](ui::CmdUI& c) { c.Enable(Doc() && Doc()->GetViewState()->displayMode != 0); });
    OnCommand(bxid::cmd::BackgroundColor, &CView3dFrm::onBackground);
    OnCommand(bxid::cmd::PseudoColor, [this] {
        CView3dDoc* d = Doc();
        if (!d)
            return;
        StopSpin();
        CPseudoColorDlg dlg(this, d, [this] {
            if (view3d_)
                view3d_->Refresh(false);
        });
        if (dlg.DoModal() == IDOK) {
            d->SetPaletteIndex(dlg.paletteIndex);
            d->SetWireframeDivisions(dlg.divisions);
            if (d->GetViewState()->displayMode != 0)
                d->RebuildGlLists();
        }
    });
    OnCommand(bxid::cmd::SaveMeasuredData, [this] {
        if (Doc())
            Doc()->SaveMeasuredData(this);
    });
    OnUpdateUI(bxid::cmd::SaveMeasuredData,
               [this](ui::CmdUI& c) { c.Enable(Doc() && Doc()->ScreenMode() == v3d::kScreenMeasure); });
    // Print and Print Preview go to the printing pane; the screenshot commands capture the main
    // window first, the view commands drop a waiting screenshot so the report is printed.
    OnCommand(bxid::cmd::Print, [this] { OnFilePrint(false); });
    OnCommand(bxid::cmd::PrintPreview, [this] { OnFilePrint(true); });
    OnCommand(bxid::cmd::ScreenshotToFile, &CView3dFrm::OnScreenshotToFile);
    OnCommand(bxid::cmd::ScreenshotToClipboard, &CView3dFrm::OnScreenshotToClipboard);
    OnCommand(bxid::cmd::PrintScreenshot, [this] {
        if (CaptureScreenshot())
            OnFilePrint(false);
    });
    OnCommand(bxid::cmd::PrintScreenshotPreview, [this] {
        if (CaptureScreenshot())
            OnFilePrint(true);
    });
    OnCommand(bxid::cmd::PrintScreen, [this] {
        ClearScreenshot();
        OnFilePrint(false);
    });
    OnCommand(bxid::cmd::PrintScreenPreview, [this] {
        ClearScreenshot();
        OnFilePrint(true);
    });
    OnCommand(bxid::cmd::CloseFile, [this] { Close(); });
    OnCommand(bxid::cmd::Save, &CView3dFrm::OnSave);
    OnCommand(bxid::cmd::SaveAs, &CView3dFrm::OnSaveAs);
    OnCommand(bxid::cmd::SplitSave, &CView3dFrm::OnSplitSave);
    OnCommand(bxid::cmd::RoughnessCurve, [this] {
        if (Doc()) {
            Doc()->showRoughness = !Doc()->showRoughness;
            if (wxWindow* w = GetPaneWindow(kPaneProfileGraph))
                w->Refresh(true);
        }
    });
    OnUpdateUI(bxid::cmd::RoughnessCurve,
               [this](ui::CmdUI& c) { c.SetCheck(Doc() && Doc()->showRoughness); });
    OnCommand(bxid::cmd::WavinessCurve, [this] {
        if (Doc()) {
            Doc()->showWaviness = !Doc()->showWaviness;
            if (wxWindow* w = GetPaneWindow(kPaneProfileGraph))
                w->Refresh(true);
        }
    });
    OnUpdateUI(bxid::cmd::WavinessCurve, [this](ui::CmdUI& c) { c.SetCheck(Doc() && Doc()->showWaviness); });
    OnCommand(bxid::cmd::LargeButtons, [this] {
        largeButtons = !largeButtons;
        buildBars();
    });
    OnCommand(bxid::cmd::FlatButtons, [this] {
        flatBars = !flatBars;
        buildBars();
    });
    OnUpdateUI(bxid::cmd::FlatButtons, [this](ui::CmdUI& c) { c.SetCheck(flatBars); });
    OnCommand(bxid::cmd::FilterSettings, [this] {
        v3d::ProcParams& p = v3d::GlobalProcParams();
        CFilterSetDlg dlg(this);
        dlg.endEffect = p.endEffect;
        dlg.cutoff = p.cutoff;
        if (dlg.DoModal() == IDOK) {
            p.endEffect = dlg.endEffect;
            p.cutoff = dlg.cutoff;
            if (Doc()) {
                Doc()->ComputeRoughness();
                main_->UpdatePanelsFromDoc(Doc());
            }
        }
    });
    OnMessage(WM_CALIB_RESULT, &CView3dFrm::OnCalibResult);
    OnCommand(bxid::cmd::Calibration, [this] {
        CView3dDoc* d = Doc();
        if (!d || calib_)
            return;
        HDIB image = d->textureDisplay ? d->textureDisplay : d->TexturePlane();
        std::string unit;
        d->GetUnitText(0, &unit);
        calib_ = new CCalibFrm(main_, image, d->GetPitch(0), unit, GetSafeHwnd());
        calib_->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& ev) {
            if (ev.GetEventObject() == calib_)
                calib_ = nullptr;
            ev.Skip();
        });
        main_->SwitchModeMenu(kNoPanel, 1);
        main_->EnableDocFrames(false);
    });

    // A resized window gives the panes the sizes the user chose as far as it can, and never
    // less than their minimum; a sash the user drags sets the sizes of the screen shown.
    Bind(wxEVT_SIZE, [this](wxSizeEvent& ev) {
        ev.Skip();
        if (ev.GetSize() == laidOutSize_)
            return;
        laidOutSize_ = ev.GetSize();
        CallAfter([this] { ApplyPaneSizes(); });
    });
    Bind(wxEVT_SPLITTER_SASH_POS_CHANGING, [this](wxSplitterEvent& ev) {
        sashDragged_ = true;
        ev.Skip();
    });
    Bind(wxEVT_SPLITTER_SASH_POS_CHANGED, [this](wxSplitterEvent& ev) {
        ev.Skip();
        if (!sashDragged_)
            return;
        sashDragged_ = false;
        CallAfter([this] { SavePaneSizes(Doc() ? Doc()->ScreenMode() : v3d::kScreen3d); });
    });

    SetClientSize(800 + 4, 640 + 4);
    InitialUpdateFrame();
    if (Doc())
        Doc()->SetScreenMode(v3d::kScreenMeasure); // so that the switch below lays the 3D screen out
    ShowScreen3d();
}

CView3dFrm::~CView3dFrm() {
    // An open calibration window of this frame posts nothing once its owner is gone.
    if (calib_)
        calib_->ownerGone = true;
    if (!main_->IsBeingDeleted()) {
        CMainFrame* main = main_;
        main->CallAfter([main] { main->ChildClosed(); });
    }
}

CView3dDoc* CView3dFrm::Doc() const {
    return dynamic_cast<CView3dDoc*>(GetDocument());
}

void CView3dFrm::buildBars() {
    // The screen bar, the measuring-line bar and the file and display bar, with small and large buttons.
    static const int kBars[3][2] = {{bxid::toolbar::ScreenBar, bxid::toolbar::ScreenBarLarge},
                                    {bxid::toolbar::LineBar, bxid::toolbar::LineBarLarge},
                                    {bxid::toolbar::FileBar, bxid::toolbar::FileBarLarge}};
    for (wxToolBar*& bar : bars_)
        if (bar) {
            bar->GetContainingSizer()->Detach(bar);
            bar->Destroy();
            bar = nullptr;
        }
    for (int i = 0; i < 3; ++i) {
        const bool right = i == 2;
        long style = (right ? wxTB_VERTICAL : wxTB_HORIZONTAL) | (flatBars ? wxTB_FLAT : 0);
        bars_[i] = ui::BuildToolBar(this, kBars[i][largeButtons ? 1 : 0], style);
        if (bars_[i] && right)
            bodySizer_->Add(bars_[i], 0, wxEXPAND);
        else if (bars_[i])
            barSizer_->Add(bars_[i], 0, wxRIGHT, 1);
    }
    Layout();
}

void CView3dFrm::buildPanes() {
    auto view = [this](wxWindow* parent, PaneRole role) {
        ui::CanvasView* v = nullptr;
        switch (role) {
        case kPaneImage:
        case kPaneMeasureImage:
            v = new CImageVw(parent, role);
            break;
        case kPaneAreaGraph:
        case kPaneProfileGraph:
            v = new CGraphVw(parent, role == kPaneAreaGraph ? 0 : 1);
            break;
        case kPaneAnalysis:
            v = new CAnalysisVw(parent);
            break;
        case kPaneContour:
        case kPaneSlice: {
            // The contour picture on black, the slice picture in red.
            auto* pane = new v3d::CBaseImgView(parent);
            pane->contentKind = role == kPaneContour ? v3d::kContentContour : v3d::kContentSlice;
            if (role == kPaneContour)
                pane->backgroundColour = RGB(0, 0, 0);
            v = pane;
            break;
        }
        default: // every pane role made here has its view above
            return static_cast<ui::CanvasView*>(nullptr);
        }
        v->SetDocument(GetDocument());
        views_[role] = v;
        return v;
    };
    outer3d_ = std::make_unique<ui::SplitterGrid>(this, 2, 2);
    left3d_ = std::make_unique<ui::SplitterGrid>(outer3d_->PaneParent(0, 0), 2, 1);
    left3d_->SetPane(0, 0, view(left3d_->PaneParent(0, 0), kPaneImage));
    left3d_->SetPane(1, 0, view(left3d_->PaneParent(1, 0), kPaneContour));
    left3d_->Finish(wxSize(266, 213));
    outer3d_->SetPane(0, 0, left3d_->Window());
    view3d_ = new v3d::CView3dView(outer3d_->PaneParent(0, 1));
    view3d_->SetDocument(GetDocument());
    outer3d_->SetPane(0, 1, view3d_);
    outer3d_->SetPane(1, 0, view(outer3d_->PaneParent(1, 0), kPaneSlice));
    outer3d_->SetPane(1, 1, view(outer3d_->PaneParent(1, 1), kPaneAreaGraph));
    outer3d_->Finish(wxSize(266, 213));

    measure_ = std::make_unique<ui::SplitterGrid>(this, 1, 2);
    measure_->SetPane(0, 0, view(measure_->PaneParent(0, 0), kPaneMeasureImage));
    right_ = std::make_unique<ui::SplitterGrid>(measure_->PaneParent(0, 1), 2, 1);
    right_->SetPane(0, 0, view(right_->PaneParent(0, 0), kPaneAnalysis));
    right_->SetPane(1, 0, view(right_->PaneParent(1, 0), kPaneProfileGraph));
    right_->Finish(wxSize(400, 320));
    measure_->SetPane(0, 1, right_->Window());
    measure_->Finish(wxSize(266, 213));

    bodySizer_->Insert(0, outer3d_->Window(), 1, wxEXPAND);
    bodySizer_->Insert(1, measure_->Window(), 1, wxEXPAND);
    measure_->Show(false);
}

ui::View* CView3dFrm::GetPaneView(int role) const {
    if (role == kPane3d)
        return view3d_;
    return role >= 0 && role < kPaneRoleCount ? views_[role] : nullptr;
}

wxWindow* CView3dFrm::GetPaneWindow(int role) const {
    if (role == kPane3d)
        return view3d_;
    return role >= 0 && role < kPaneRoleCount ? views_[role] : nullptr;
}

void CView3dFrm::StopSpin() {
    if (view3d_)
        view3d_->StopSpin();
}

void CView3dFrm::SavePaneSizes(int which) {
    const v3d::ScreenMode mode = Doc() ? Doc()->ScreenMode() : v3d::kScreen3d;
    // A splitter squeezed by a small window keeps the sizes the user gave its panes.
    auto keep = [](int& slot, int value, int fallback, bool squeezedNow) {
        if (!squeezedNow)
            slot = value < 0 ? fallback : value;
    };
    if ((which == v3d::kScreen3d || which == kBothScreens) && mode == v3d::kScreen3d &&
        outer3d_->Window()->IsShown()) {
        const bool columns = squeezed(left3d_->Window(), widths_[0]);
        const bool rows = squeezed(splitterOf(left3d_->Window()), heights_[0]);
        const bool left = squeezed(views_[kPaneImage], heights_[3]);
        keep(widths_[0], left3d_->Window()->GetSize().x, kDefaultWidths[0], columns);
        keep(widths_[1], view3d_->GetSize().x, kDefaultWidths[1], columns);
        keep(heights_[0], left3d_->Window()->GetSize().y, kDefaultHeights[0], rows);
        keep(heights_[1], views_[kPaneSlice]->GetSize().y, kDefaultHeights[1], rows);
        keep(heights_[3], views_[kPaneImage]->GetSize().y, kDefaultHeights[3], left);
        keep(heights_[4], views_[kPaneContour]->GetSize().y, kDefaultHeights[4], left);
    }
    if ((which == v3d::kScreenMeasure || which == kBothScreens) && mode == v3d::kScreenMeasure &&
        measure_->Window()->IsShown()) {
        const bool columns = squeezed(views_[kPaneMeasureImage], widths_[2]);
        const bool right = squeezed(views_[kPaneAnalysis], heights_[5]);
        keep(widths_[2], views_[kPaneMeasureImage]->GetSize().x, kDefaultWidths[2], columns);
        keep(widths_[3], right_->Window()->GetSize().x, kDefaultWidths[3], columns);
        keep(heights_[2], views_[kPaneMeasureImage]->GetSize().y, kDefaultHeights[2], false);
        keep(heights_[5], views_[kPaneAnalysis]->GetSize().y, kDefaultHeights[5], right);
        keep(heights_[6], views_[kPaneProfileGraph]->GetSize().y, kDefaultHeights[6], right);
    }
}

void CView3dFrm::WritePaneSizes() {
    SavePaneSizes(kBothScreens);
    v3d::WritePaneSizes(v3d::PaneSizes{widths_, heights_});
}

void CView3dFrm::ApplyPaneSizes() {
    if (outer3d_->Window()->IsShown()) {
        setSash(left3d_->Window(), widths_[0]);              // column 0 of the 3D screen, row 0
        setSash(views_[kPaneSlice], widths_[0]);             // and row 1
        setSash(splitterOf(left3d_->Window()), heights_[0]); // row 0 of the 3D screen
        setSash(views_[kPaneImage], heights_[3]);            // rows of the left stack
    } else {
        setSash(views_[kPaneMeasureImage], widths_[2]);
        setSash(views_[kPaneAnalysis], heights_[5]);
    }
}

void CView3dFrm::ShowScreen3d() {
    CView3dDoc* doc = Doc();
    if (doc && doc->ScreenMode() == v3d::kScreen3d)
        return;
    SavePaneSizes(v3d::kScreenMeasure);
    if (doc)
        doc->SetScreenMode(v3d::kScreen3d);
    measure_->Show(false);
    outer3d_->Show(true);
    Layout();
    ApplyPaneSizes();
    main_->SwitchModeMenu(v3d::kScreen3d, 1);
}

void CView3dFrm::ShowScreenMeasure() {
    CView3dDoc* doc = Doc();
    if (doc && doc->ScreenMode() == v3d::kScreenMeasure)
        return;
    SavePaneSizes(v3d::kScreen3d);
    if (doc)
        doc->SetScreenMode(v3d::kScreenMeasure);
    outer3d_->Show(false);
    measure_->Show(true);
    Layout();
    ApplyPaneSizes();
    main_->SwitchModeMenu(v3d::kScreenMeasure, 1);
}

void CView3dFrm::SetLineKind(v3d::LineKind kind) {
    CView3dDoc* doc = Doc();
    if (!doc || doc->LineKind() == kind)
        return;
    doc->SetLineKind(kind);
    if (kind == v3d::kLineHorizontal || kind == v3d::kLineVertical) {
        int extent = 0, w = 0, h = 0;
        if (views_[kPaneAnalysis] && MeasureImageSize(*doc, &w, &h))
            extent = kind == v3d::kLineHorizontal ? h : w;
        v3d::MeasureState* m = doc->GetMeasureState();
        if (extent > 0) {
            if (extent < m->lineCount) {
                m->lineCount = 1;
                main_->SetLineCountText("1");
            } else {
                const int half = m->lineCount / 2;
                const int position = m->linePosition[kind];
                if (extent < position + half + 1 || position - half + 1 < 0)
                    m->linePosition[kind] = extent / 2;
            }
        }
        doc->SetLinePosition(kind, m->linePosition[kind]);
    } else {
        // The free line has no position to set: its profile is taken again along the line.
        doc->ExtractProfile(kind);
        doc->ComputeRoughness();
    }
    if (views_[kPaneAnalysis])
        views_[kPaneAnalysis]->Refresh(false);
    if (views_[kPaneProfileGraph])
        views_[kPaneProfileGraph]->Refresh(true);
    main_->UpdatePanelsFromDoc(doc);
}

void CView3dFrm::onDisplayMode(int mode) {
    CView3dDoc* doc = Doc();
    if (!doc)
        return;
    ui::WaitCursor wait;
    StopSpin();
    if (doc->GetViewState()->displayMode != mode) {
        doc->SetDisplayMode(mode);
        if (mode == 0)
            doc->textureOn = 1;
        doc->RebuildGlLists();
        if (view3d_)
            view3d_->Refresh(false);
    }
    doc->ApplyHeightPalette();
}

void CView3dFrm::onBackground() {
    CView3dDoc* doc = Doc();
    if (!doc)
        return;
    // Sixteen grey steps from black as the custom colours.
    std::vector<COLORREF> greys(16);
    for (int i = 0; i < 16; ++i)
        greys[i] = COLORREF(i * 0x101010);
    if (auto colour = ui::ChooseColour(this, doc->GetViewState()->backgroundColor, greys)) {
        doc->SetBackgroundColor(*colour);
        if (view3d_)
            view3d_->Refresh(false);
    }
}

void CView3dFrm::OnSave() {
    CView3dDoc* doc = Doc();
    if (!doc)
        return;
    if (!doc->GetPathName().empty() && v3d::View3dData::FormatIndexOfPath(doc->GetPathName()) == 6)
        doc->OnSaveDocument(doc->GetPathName());
    else
        OnSaveAs();
}

void CView3dFrm::OnSaveAs() {
    CView3dDoc* doc = Doc();
    if (!doc)
        return;
    const auto& r = ui::Resources();
    ui::FileDialogRequest request;
    request.open = false;
    request.filter = r.LoadString(bxid::str::TdvFiles) + "|" + r.LoadString(bxid::str::TdvPattern);
    std::string stem;
    const std::string ext = extensionOf(doc->GetPathName(), &stem);
    if (!doc->GetPathName().empty()) {
        const std::string proposed = ext.empty() ? doc->GetPathName() : stem + ".tdv";
        request.folder = wxFileName(wxString::FromUTF8(proposed)).GetPath().utf8_string();
        request.fileName = wxFileName(wxString::FromUTF8(proposed)).GetFullName().utf8_string();
    }
    const ui::FileDialogResult chosen = ui::RunFileDialog(this, request);
    if (chosen.paths.empty())
        return;
    std::string path = chosen.paths.front();
    std::string chosenStem;
    if (extensionOf(path, &chosenStem).empty())
        path += ".tdv";
    if (doc->OnSaveDocument(path) && path != doc->GetPathName()) {
        doc->SetPathName(path);
        if (ui::RecentFileList* recent = View3dApp::Get().RecentFiles())
            recent->Add(path);
        SetTitle(wxString::FromUTF8(doc->GetTitle()));
        main_->RefreshTitle();
    }
}

bool CView3dFrm::RenderPaneToImage(int role, wxImage* image) const {
    if (role == kPane3d) {
        // The 3D scene rendered off screen at the view's size (bottom-up 24-bit rows).
        HDIB dib = view3d_ ? view3d_->RenderToDib() : nullptr;
        if (!dib)
            return false;
        {
            GlobalLockGuard lock(dib);
            const int w = v3d::DibGetWidth(lock.get()), h = v3d::DibGetHeight(lock.get());
            const BYTE* bits = v3d::DibGetBits(lock.get());
            const uint64_t stride = v3d::DibStride(w, 24);
            *image = wxImage(w, h);
            unsigned char* out = image->GetData();
            for (int y = 0; out && y < h; ++y) {
                const BYTE* row = bits + uint64_t(h - 1 - y) * stride;
                for (int x = 0; x < w; ++x)
                    for (int c = 0; c < 3; ++c)
                        out[(uint64_t(y) * w + x) * 3 + c] = row[x * 3 + 2 - c];
            }
        }
        GlobalFree(dib);
        return image->IsOk();
    }
    ui::CanvasView* view = role >= 0 && role < kPaneRoleCount ? views_[role] : nullptr;
    if (!view)
        return false;
    const wxSize size = view->GetClientSize();
    if (size.x <= 0 || size.y <= 0)
        return false;
    wxBitmap bitmap(size.x, size.y, 24);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        view->OnDraw(dc);
    }
    RECT r{};
    if (auto* pane = dynamic_cast<v3d::CBaseImgView*>(view))
        r = pane->imageRect;
    if (role == kPane3d || role == kPaneAreaGraph || role == kPaneProfileGraph)
        r = RECT{0, 0, size.x, size.y};
    if (r.right <= r.left || r.bottom <= r.top)
        return false;
    *image = bitmap.ConvertToImage().GetSubImage(wxRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    return image->IsOk();
}

void CView3dFrm::OnSplitSave() {
    CView3dDoc* doc = Doc();
    const bool measure = doc && doc->ScreenMode() == v3d::kScreenMeasure;
    // The panes of the screen shown, whose roles follow each other.
    const int first = measure ? kPaneMeasureImage : kPaneImage;
    const int last = measure ? kPaneProfileGraph : kPaneAreaGraph;
    std::array<wxImage, kPaneRoleCount> images;
    std::array<bool, kPaneRoleCount> have{};
    for (int role = first; role <= last; ++role)
        have[role] = RenderPaneToImage(role, &images[role]);
    const auto& r = ui::Resources();
    ui::FileDialogRequest request;
    request.open = false;
    request.filter = r.LoadString(bxid::str::BmpFiles) + "|" + r.LoadString(bxid::str::BmpPattern);
    request.confirmOverwrite = false;
    const ui::FileDialogResult chosen = ui::RunFileDialog(this, request);
    if (chosen.paths.empty())
        return;
    std::string stem;
    std::string ext = extensionOf(chosen.paths.front(), &stem);
    if (ext.empty())
        ext = ".bmp"; // a name without an extension still gives bitmap files
    // Each file is written in the format its extension names.
    for (int role = first; role <= last; ++role) {
        if (!have[role])
            continue;
        const std::string numbered = stem + std::to_string(role);
        std::string path = numbered + ext;
        const wxBitmapType type = formatOfName(&path, numbered, ext);
        if (wxFileName::FileExists(wxString::FromUTF8(path))) {
            const int answer = ShowMessage(bxid::str::FileExists, MB_YESNOCANCEL | MB_ICONQUESTION, {path});
            if (answer == IDCANCEL)
                break;
            if (answer == IDNO)
                continue;
        }
        if (!savePicture(images[role], path, type)) {
            ShowMessage(bxid::str::CannotSaveImage, MB_OK | MB_ICONEXCLAMATION);
            break;
        }
    }
}

LRESULT CView3dFrm::OnCalibResult(WPARAM block, LPARAM) {
    auto* handle = reinterpret_cast<HGLOBAL>(block);
    if (handle) {
        CView3dDoc* doc = Doc();
        {
            GlobalLockGuard lock(handle);
            if (lock && doc && GlobalSize(handle) >= kCalibResultBytes) {
                const double pitch = le::getDouble(lock.get());
                char text[kCalibResultBytes - 8 + 1] = {};
                std::memcpy(text, lock.get() + 8, kCalibResultBytes - 8);
                std::string unit =
                    Cp932ToUtf8(Cp932Cut(std::string(text, strnlen(text, kCalibResultBytes - 8)), 21));
                std::string current;
                doc->GetUnitText(0, &current);
                if (unit.empty())
                    unit = current; // an empty unit keeps the document's unit
                if (pitch != doc->GetPitch(0) || unit != current) {
                    doc->SetPitch(0, pitch);
                    doc->SetPitch(1, pitch);
                    doc->SetUnitText(unit, 0);
                    doc->ReprocessHeight();
                    main_->UpdatePanelsFromDoc(doc);
                }
            }
        }
        GlobalFree(handle);
    }
    main_->EnableDocFrames(true);
    main_->SwitchModeMenu(Doc() ? Doc()->ScreenMode() : v3d::kScreen3d, 1);
    Activate();
    Show();
    return 0;
}

void CView3dFrm::OnMDIActivate(bool activate) {
    ui::RoutedMdiChildFrame::OnMDIActivate(activate);
    if (activate && Doc()) {
        main_->SwitchModeMenu(Doc()->ScreenMode(), 1);
        main_->UpdatePanelsFromDoc(Doc());
    }
    if (activate)
        main_->RefreshTitle();
}

} // namespace brx
