#include "viewer3d/app/CalibFrm.h"

#include "ids/BrelvoxaIds.h"
#include "imaging/gui/WxDibDrawTarget.h"
#include "platform/MessageSink.h"
#include "platform/WindowMessages.h"
#include "ui/ResourceWidgets.h"
#include "ui/TemplateWindow.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/measure/core/ImageGeometry.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/measure/core/CalibMeasure.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/PlaneImages.h"

#include <wx/bmpbuttn.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dc.h>
#include <wx/sizer.h>
#include <wx/slider.h>

#include <cstdio>
#include <cstdlib>

namespace brx {

namespace {
namespace calibBar = bxid::CalibrationBar;

// The units the bar offers, in the order of its list: pixel, nm, µm, mm.
constexpr UINT kFirstUnit = bxid::str::UnitPixel;
constexpr UINT kLastUnit = bxid::str::UnitMm;

wxSize imageSize(HDIB dib) {
    if (!dib)
        return wxSize(0, 0);
    GlobalLockGuard lock(dib);
    return wxSize(v3d::DibGetWidth(lock.get()), v3d::DibGetHeight(lock.get()));
}
} // namespace

CCalibDoc::~CCalibDoc() {
    if (image_)
        GlobalFree(image_);
}

void CCalibDoc::SetImage(HDIB image) {
    if (image_)
        GlobalFree(image_);
    const wxSize s = imageSize(image);
    image_ = image ? v3d::CutDib(image, RECT{0, 0, s.x, s.y}) : nullptr;
}

CCalibVw::CCalibVw(wxWindow* parent) : ui::CanvasView(parent, wxID_ANY) {
    SetBackgroundColour(*wxBLACK);
    // Mouse only, as the frame's panes: a focused window would be made a native X window by the
    // XIM input method, and the line drawn on it would no longer show.
    SetCanFocus(false);
    Bind(wxEVT_LEFT_DOWN, &CCalibVw::onMouse, this);
    Bind(wxEVT_MOTION, &CCalibVw::onMouse, this);
    Bind(wxEVT_LEFT_UP, &CCalibVw::onMouse, this);
    // The pointer taken away midway (a menu, another program): the line is dropped unmeasured.
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { Refresh(); });
    OnCommand(bxid::cmd::ZoomIn, [this] { ZoomIn(); });
    OnCommand(bxid::cmd::ZoomOut, [this] { ZoomOut(); });
    OnCommand(bxid::cmd::FitToWindow, [this] { Fit(); });
}

CCalibDoc* CCalibVw::Doc() const {
    return dynamic_cast<CCalibDoc*>(GetDocument());
}

wxSize CCalibVw::ZoomedSize() const {
    const wxSize s = imageSize(Doc() ? Doc()->Image() : nullptr);
    // Never below one pixel, whatever the image and the zoom.
    return wxSize(std::max(1, int((s.x - 1) * zoom_ * 0.01)), std::max(1, int((s.y - 1) * zoom_ * 0.01)));
}

void CCalibVw::SetZoom(int zoom) {
    zoom = std::clamp(zoom, v3d::kCalibZoomMin, v3d::kCalibZoomMax);
    if (zoom == zoom_)
        return;
    start_ = wxPoint(start_.x * zoom / zoom_, start_.y * zoom / zoom_);
    end_ = wxPoint(end_.x * zoom / zoom_, end_.y * zoom / zoom_);
    zoom_ = zoom;
    const wxSize z = ZoomedSize();
    SetVirtualSize(z);
    SetScrollRate(10, 10);
    if (auto* f = dynamic_cast<CCalibFrm*>(GetParent()))
        f->ZoomText();
    Refresh();
}

void CCalibVw::ZoomIn() {
    SetZoom(v3d::CalibZoomIn(zoom_));
}
void CCalibVw::ZoomOut() {
    SetZoom(v3d::CalibZoomOut(zoom_));
}

void CCalibVw::Fit() {
    const wxSize s = imageSize(Doc() ? Doc()->Image() : nullptr);
    const wxSize c = GetClientSize();
    RECT fit{};
    if (v3d::image::CalcFitRect(s.x, s.y, c.x, c.y, &fit) && s.x > 0 && fit.right > fit.left)
        SetZoom(int(double(fit.right - fit.left) / s.x * 100));
}

wxPoint CCalibVw::toImage(wxPoint client) const {
    return CalcUnscrolledPosition(client) - offset_;
}

wxPoint CCalibVw::clip(wxPoint p, bool shift) const {
    const wxSize z = ZoomedSize();
    p.x = std::clamp(p.x, 0, z.x - 1);
    p.y = std::clamp(p.y, 0, z.y - 1);
    if (shift) {
        if (std::abs(p.x - start_.x) >= std::abs(p.y - start_.y))
            p.y = start_.y;
        else
            p.x = start_.x;
    }
    return p;
}

void CCalibVw::FinishLine(wxPoint start, wxPoint end) {
    start_ = start;
    end_ = end;
    CCalibDoc* doc = Doc();
    if (doc)
        doc->measuredPixels = v3d::CalibMeasuredPixels(end_.x - start_.x, end_.y - start_.y, zoom_);
    if (auto* f = dynamic_cast<CCalibFrm*>(GetParent()))
        f->Recompute();
    Refresh();
}

void CCalibVw::onMouse(wxMouseEvent& ev) {
    const bool shift = ev.ShiftDown();
    if (ev.LeftDown()) {
        CaptureMouse();
        start_ = end_ = toImage(ev.GetPosition());
    } else if (ev.Dragging() && HasCapture()) {
        const wxPoint p = clip(toImage(ev.GetPosition()), shift);
        if (p != end_) {
            end_ = p;
            Refresh();
        }
    } else if (ev.LeftUp() && HasCapture()) {
        ReleaseMouse();
        const wxSize z = ZoomedSize();
        const wxPoint p = clip(toImage(ev.GetPosition()), shift);
        const wxRect box = wxRect(start_, p).Inflate(1);
        if (!box.Intersects(wxRect(wxPoint(0, 0), z)))
            FinishLine(wxPoint(0, 0), wxPoint(0, 0));
        else
            FinishLine(start_, p);
    }
    ev.Skip();
}

void CCalibVw::OnDraw(wxDC& dc) {
    CCalibDoc* doc = Doc();
    if (!doc || !doc->Image())
        return;
    const wxSize s = imageSize(doc->Image());
    const wxSize z = ZoomedSize();
    const wxSize c = GetClientSize();
    offset_ = wxPoint(std::max(0, (c.x - z.x) / 2), std::max(0, (c.y - z.y) / 2));
    CWxDibDrawTarget target(dc);
    const RECT dest{offset_.x, offset_.y, offset_.x + z.x, offset_.y + z.y};
    const RECT src{0, 0, s.x, s.y};
    v3d::DibDraw(&target, &dest, doc->Image(), &src, nullptr);
    if (start_ != end_) {
        dc.SetPen(wxPen(wxColour(255, 255, 0), 2));
        dc.DrawLine(start_ + offset_, end_ + offset_);
    }
    if (first_) {
        first_ = false;
        SetVirtualSize(z);
        SetScrollRate(10, 10);
        if (auto* f = dynamic_cast<CCalibFrm*>(GetParent()))
            f->CallAfter([f] { f->InitialFill(); });
    }
}

CCalibFrm::CCalibFrm(CMainFrame* main, HDIB image, double pitch, const std::string& unit, HWND target)
    : ui::RoutedMdiChildFrame(main, wxString()), main_(main) {
    auto doc = std::make_unique<CCalibDoc>();
    doc->SetTitle(main->NewCalibrationTitle());
    SetTitle(wxString::FromUTF8(doc->GetTitle()));
    doc->SetImage(image);
    doc->knownLength = pitch;
    doc->lengthPerPixel = pitch;
    doc->unit = unit;
    doc->target = target;
    SetDocument(std::move(doc));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    bar_ = new ui::TemplatePanel(bxid::dlg::CalibrationBar);
    bar_->Create(this);
    sizer->Add(bar_, 0, wxEXPAND);
    view_ = new CCalibVw(this);
    view_->SetDocument(GetDocument());
    sizer->Add(view_, 1, wxEXPAND);
    SetSizer(sizer);
    auto* units = bar_->Item<wxComboBox>(calibBar::Unit);
    for (UINT id = kFirstUnit; id <= kLastUnit; ++id)
        units->Append(wxString::FromUTF8(ui::Resources().LoadString(id)));
    auto* slider = bar_->Item<wxSlider>(calibBar::ZoomSlider);
    slider->SetRange(v3d::kCalibZoomMin, v3d::kCalibZoomMax);
    slider->SetLineSize(10);
    slider->SetValue(100);
    static const int kButtonImages[][2] = {{calibBar::Close, bxid::img::CloseButton},
                                           {calibBar::Set, bxid::img::SetButton},
                                           {calibBar::ZoomOut, bxid::img::ZoomOutButton},
                                           {calibBar::ZoomIn, bxid::img::ZoomInButton},
                                           {calibBar::FitToWindow, bxid::img::FitToWindowButton}};
    for (const auto& b : kButtonImages)
        if (auto* button = dynamic_cast<wxButton*>(bar_->GetDlgItem(b[0])))
            if (wxBitmap bitmap = ui::LoadBitmapResource(b[1]); bitmap.IsOk()) {
                // A picture button: its text becomes its tool tip.
                button->SetToolTip(button->GetLabel());
                button->SetBitmap(bitmap);
                button->SetLabel(wxString());
            }

    bar_->OnControl(ui::EN_CHANGE, calibBar::KnownLength, [this] {
        if (updating_)
            return;
        const wxString text = bar_->GetDlgItemText(calibBar::KnownLength);
        Doc()->knownLength = text.empty() ? 0.0 : std::atof(text.utf8_string().c_str());
        Recompute();
    });
    bar_->OnCommand(calibBar::OnePixel, [this] { Recompute(); });
    bar_->OnControl(ui::CBN_SELCHANGE, calibBar::Unit, [this] { ResultText(); });
    bar_->OnCommand(calibBar::Set, [this] { OnSet(); });
    bar_->OnCommand(calibBar::Close, [this] { Close(); });
    OnCommand(bxid::cmd::CloseFile, [this] { Close(); }); // the File menu's close
    // The zoom buttons hand their commands on to the view.
    static const int kZoomButtons[][2] = {{calibBar::ZoomOut, bxid::cmd::ZoomOut},
                                          {calibBar::ZoomIn, bxid::cmd::ZoomIn},
                                          {calibBar::FitToWindow, bxid::cmd::FitToWindow}};
    for (const auto& b : kZoomButtons)
        bar_->OnCommand(b[0], [this, command = b[1]] { view_->HandleCommand(command); });
    bar_->OnMessage(ui::WM_HSCROLL, [this](WPARAM, LPARAM) -> LRESULT {
        view_->SetZoom(bar_->Item<wxSlider>(calibBar::ZoomSlider)->GetValue());
        return 0;
    });
    Bind(wxEVT_CLOSE_WINDOW, &CCalibFrm::onClose, this);
    InitialUpdateFrame();
    Show();
    Activate();
}

CCalibFrm::~CCalibFrm() {
    if (!main_->IsBeingDeleted()) {
        CMainFrame* main = main_;
        main->CallAfter([main] { main->ChildClosed(); });
    }
}

void CCalibFrm::OnMDIActivate(bool activate) {
    ui::RoutedMdiChildFrame::OnMDIActivate(activate);
    if (activate)
        main_->RefreshTitle();
}

CCalibDoc* CCalibFrm::Doc() const {
    return dynamic_cast<CCalibDoc*>(GetDocument());
}

void CCalibFrm::Recompute() {
    CCalibDoc* doc = Doc();
    doc->lengthPerPixel = v3d::CalibLengthPerPixel(doc->knownLength, doc->measuredPixels,
                                                   bar_->Item<wxCheckBox>(calibBar::OnePixel)->GetValue());
    ResultText();
}

void CCalibFrm::ResultText() {
    char text[128];
    const std::string unit = bar_->Item<wxComboBox>(calibBar::Unit)->GetValue().utf8_string();
    std::snprintf(text, sizeof text, "%f%s/pixel", Doc()->lengthPerPixel, unit.c_str());
    bar_->SetDlgItemText(calibBar::LengthPerPixel, wxString::FromUTF8(text));
}

void CCalibFrm::ZoomText() {
    bar_->SetDlgItemText(calibBar::ZoomPercent, wxString::Format("%d%%", view_->Zoom()));
    bar_->Item<wxSlider>(calibBar::ZoomSlider)->SetValue(view_->Zoom());
}

void CCalibFrm::InitialFill() {
    updating_ = true;
    char text[64];
    std::snprintf(text, sizeof text, "%f", Doc()->knownLength);
    bar_->SetDlgItemText(calibBar::KnownLength, text);
    updating_ = false;
    auto* units = bar_->Item<wxComboBox>(calibBar::Unit);
    units->SetSelection(wxNOT_FOUND);
    for (unsigned i = 0; i < units->GetCount(); ++i)
        if (!Doc()->unit.empty() && units->GetString(i).Lower() == wxString::FromUTF8(Doc()->unit).Lower())
            units->SetSelection(int(i));
    ResultText();
    ZoomText();
}

void CCalibFrm::OnSet() {
    CCalibDoc* doc = Doc();
    if (!v3d::CalibValuesAcceptable(doc->knownLength, doc->lengthPerPixel)) {
        ShowMessage(bxid::str::CalibValueOutOfRange, MB_OK | MB_ICONSTOP);
        return;
    }
    accepted_ = true;
    Close();
}

void CCalibFrm::onClose(wxCloseEvent& ev) {
    CCalibDoc* doc = Doc();
    if (!posted_ && doc && doc->target && !ownerGone) {
        posted_ = true;
        HGLOBAL block = nullptr;
        if (accepted_) {
            const int sel = bar_->Item<wxComboBox>(calibBar::Unit)->GetSelection();
            std::string unit; // empty when no unit is selected
            for (UINT id = kFirstUnit; id <= kLastUnit; ++id)
                if (int(id - kFirstUnit) == sel)
                    unit = ui::Resources().LoadString(id);
            block = v3d::MakeCalibResultBlock(doc->lengthPerPixel, unit);
        }
        // A message to a window that is gone is dropped: the block is then ours to free.
        if (!PostMessage(doc->target, WM_CALIB_RESULT, reinterpret_cast<WPARAM>(block), 0) && block)
            GlobalFree(block);
    } else if (!posted_ && doc && doc->target && ownerGone) {
        // The owner that locked the document frames is gone and cannot free them: this window does.
        posted_ = true;
        main_->EnableDocFrames(true);
        CMainFrame* main = main_;
        main->CallAfter([main] {
            if (CView3dFrm* frame = main->GetActive3dFrame(); frame && frame->Doc())
                main->SwitchModeMenu(frame->Doc()->ScreenMode(), 0);
        });
    }
    ev.Skip();
}

} // namespace brx
