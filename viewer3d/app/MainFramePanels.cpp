// The two control panels of the main frame: filling them from the active document and the
// handlers that write the user's values back through the document's setters.
#include "ids/BrelvoxaIds.h"
#include "platform/MessageSink.h"
#include "ui/ResourceWidgets.h"
#include "ui/TemplateWindow.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/measure/gui/MeasurePanes.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/measure/core/MeasuredText.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace brx {

namespace {

namespace panel3d = bxid::View3dPanel;
namespace panelMeasure = bxid::MeasurePanel;

constexpr double kScale[11] = {0.0, 0.1, 0.2, 0.4, 0.6, 0.8, 1.0, 2.0, 3.0, 4.0, 5.0};

int scaleIndex(double v) {
    for (int i = 0; i < 11; ++i)
        if (v == kScale[i])
            return i;
    return 0;
}

wxString fmt(const char* format, double v) {
    char b[64];
    std::snprintf(b, sizeof b, format, v);
    return b;
}

double number(const wxString& text) {
    return text.empty() ? 0.0 : std::strtod(text.utf8_string().c_str(), nullptr);
}
int integer(const wxString& text, int empty) {
    return text.empty() ? empty : int(std::strtol(text.utf8_string().c_str(), nullptr, 10));
}

// The size of the analysis pane's picture; 0 x 0 without one.
wxSize analysisExtent(CView3dFrm* frame) {
    int w = 0, h = 0;
    if (!frame || !frame->GetPaneWindow(kPaneAnalysis) || !frame->Doc() ||
        !MeasureImageSize(*frame->Doc(), &w, &h))
        return wxSize(0, 0);
    return wxSize(w, h);
}

// The room the analysis picture gives the lines of a kind: its height for horizontal lines, its
// width for vertical ones and the larger of both for the free line; 0 without a picture.
int lineRoom(CView3dFrm* frame, v3d::LineKind kind) {
    const wxSize extent = analysisExtent(frame);
    return kind == v3d::kLineHorizontal ? extent.y
           : kind == v3d::kLineVertical ? extent.x
                                        : std::max(extent.x, extent.y);
}

// The largest odd line count the room allows (1 without a picture).
int allowedLineCount(int room) {
    return room > 0 ? (room % 2 ? room : room - 1) : 1;
}

// A change of the scene's display values first ends a running spin of the 3D view.
void stopSpin(CView3dFrm* frame) {
    if (frame)
        frame->StopSpin();
}

void invalidate(CView3dFrm* frame, PaneRole role, bool erase) {
    if (frame)
        if (wxWindow* w = frame->GetPaneWindow(role))
            w->Refresh(erase);
}

} // namespace

void CMainFrame::SetLineCountText(const std::string& text) {
    const int ready = panelsReady_;
    panelsReady_ = 0;
    panelMeasure_->SetDlgItemText(panelMeasure::LineCount, wxString::FromUTF8(text));
    panelsReady_ = ready;
    showLineCountOnSpin();
}

void CMainFrame::UpdateScaleEnables(CView3dDoc* doc) {
    const v3d::ViewState& v = *doc->GetViewState();
    if (v.zScaleFixed) {
        panel3d_->EnableItem(panel3d::ZScaleSlider, false);
        panel3d_->EnableItem(panel3d::ZScaleFreeOn, false);
        panel3d_->EnableItem(panel3d::ZScaleFree, false);
    } else {
        panel3d_->EnableItem(panel3d::ZScaleFreeOn, true);
        panel3d_->EnableItem(panel3d::ZScaleFree, true);
        panel3d_->EnableItem(panel3d::ZScaleSlider, !v.zScaleFreeOn);
    }
}

void CMainFrame::UpdateGraphScaleEnables(CView3dDoc* doc) {
    panelMeasure_->EnableItem(panelMeasure::GraphScaleSlider, !doc->GetMeasureState()->graphScaleFreeOn);
    panelMeasure_->EnableItem(panelMeasure::GraphScaleFree, true);
}

void CMainFrame::UpdateSliceSlider(CView3dDoc* doc) {
    v3d::ViewState& v = *doc->GetViewState();
    const double top = doc->GetPitch(2) * (doc->maxLevel - doc->minLevel);
    if (v.sliceLevel > top)
        v.sliceLevel = top; // a level above the height range comes down to its top
    auto* slider = panel3d_->Item<wxSlider>(panel3d::SliceSlider);
    slider->SetRange(0, std::max(0, int(top * 100)));
    slider->SetValue(int(v.sliceLevel * 100));
    panel3d_->SetDlgItemText(panel3d::SliceLevel, fmt("%.2f", doc->BaseOffset() + v.sliceLevel));
    panel3d_->SetDlgItemText(panel3d::SliceBase, fmt("%.1f", doc->BaseOffset()));
}

void CMainFrame::UpdatePanelsFromDoc(CView3dDoc* doc) {
    if (!doc)
        return;
    panelsReady_ = 0;
    if (doc->ScreenMode() != v3d::kScreen3d)
        fillMeasure(doc);
    else
        fill3d(doc);
    panelsReady_ = 1;
}

void CMainFrame::fill3d(CView3dDoc* doc) {
    const v3d::ViewState& v = *doc->GetViewState();
    panel3d_->Item<wxCheckBox>(panel3d::MeasureOnOpen)->SetValue(measureFlag != 0);
    panel3d_->EnableItem(panel3d::Measure, !doc->areaData);
    panel3d_->SetDlgItemText(panel3d::ContourCount, wxString::Format("%d", v.contourCount));
    UpdateSliceSlider(doc);
    panel3d_->Item<wxCheckBox>(panel3d::ZAxisFixed)->SetValue(v.zAxisFixed != 0);
    panel3d_->Item<wxCheckBox>(panel3d::ScaleLines)->SetValue(v.scaleLinesShown != 0);
    panel3d_->Item<wxCheckBox>(panel3d::ZScaleFixed)->SetValue(v.zScaleFixed != 0);
    panel3d_->Item<wxCheckBox>(panel3d::ZScaleFreeOn)->SetValue(v.zScaleFreeOn != 0);
    panel3d_->SetDlgItemText(panel3d::ZAxisLength, fmt("%.4f", v.zAxisLength));
    panel3d_->Item<wxSlider>(panel3d::ZScaleSlider)->SetValue(scaleIndex(v.zScalePreset));
    panel3d_->SetDlgItemText(panel3d::ZScaleFree, fmt("%.1f", v.zScaleFree));
    panel3d_->SetDlgItemText(panel3d::RotationX, fmt("%.1f", v.rotationX));
    panel3d_->SetDlgItemText(panel3d::RotationY, fmt("%.1f", v.rotationY));
    panel3d_->SetDlgItemText(panel3d::RotationZ, fmt("%.1f", v.rotationZ));
    panel3d_->SetDlgItemText(panel3d::Zoom, fmt("%.1f", v.zoom));
    UpdateScaleEnables(doc);
    panel3d_->Item<wxCheckBox>(panel3d::RotationFixed)->SetValue(v.rotationFixed != 0);
    doc->UpdateSliceMeasures();
    showSliceMeasures(doc);
    panel3d_->Item<wxCheckBox>(panel3d::Smoothing)->SetValue(v.smoothingOn != 0);
    panel3d_->Item<wxComboBox>(panel3d::SmoothingMethod)->SetSelection(v.smoothingMethod != 0 ? 1 : 0);
    panel3d_->Item<wxComboBox>(panel3d::SmoothingWidth)->SetSelection(std::clamp(v.smoothingWidth, 0, 3));
    panel3d_->SetDlgItemText(panel3d::Comment, wxString::FromUTF8(v.CommentUtf8()));
    std::string unit, label;
    doc->GetUnitText(0, &unit);
    label = unit;
    doc->GetUnitLabel(&label, 0);
    panel3d_->SetDlgItemText(panel3d::PerimeterUnit, wxString::FromUTF8(unit));
    panel3d_->SetDlgItemText(panel3d::AreaUnit, wxString::FromUTF8(label));
}

void CMainFrame::fillMeasure(CView3dDoc* doc) {
    const v3d::MeasureState& m = *doc->GetMeasureState();
    panelMeasure_->SetDlgItemText(panelMeasure::PitchX, fmt("%.6f", m.xPitch));
    panelMeasure_->SetDlgItemText(panelMeasure::PitchY, fmt("%.6f", m.yPitch));
    panelMeasure_->Item<wxSlider>(panelMeasure::GraphScaleSlider)->SetValue(scaleIndex(m.graphScalePreset));
    if (number(panelMeasure_->GetDlgItemText(panelMeasure::GraphScaleFree)) != m.graphScaleFree ||
        panelMeasure_->GetDlgItemText(panelMeasure::GraphScaleFree).empty())
        panelMeasure_->SetDlgItemText(panelMeasure::GraphScaleFree, fmt("%.1f", m.graphScaleFree));
    panelMeasure_->Item<wxCheckBox>(panelMeasure::GraphScaleFreeOn)->SetValue(m.graphScaleFreeOn != 0);
    UpdateGraphScaleEnables(doc);
    const v3d::LineKind kind = doc->LineKind();
    const bool free = kind == v3d::kLineFree;
    panelMeasure_->EnableItem(panelMeasure::LinePositionFixed, !free);
    panelMeasure_->Item<wxCheckBox>(panelMeasure::LinePositionFixed)
        ->SetValue(!free && m.linePositionFixed[kind] != 0);
    panelMeasure_->SetDlgItemText(
        panelMeasure::LinePositionLabel,
        free ? wxString()
             : wxString::FromUTF8(ui::Resources().LoadString(
                   kind == v3d::kLineHorizontal ? bxid::str::YPosition : bxid::str::XPosition)));
    panelMeasure_->EnableItem(panelMeasure::LinePosition, !free);
    panelMeasure_->SetDlgItemText(panelMeasure::LinePosition,
                                  free ? wxString() : wxString::Format("%d", m.linePosition[kind]));
    if (auto* edit = panelMeasure_->Item<wxTextCtrl>(panelMeasure::LinePosition); edit && !free)
        edit->SetInsertionPoint(std::min<long>(caret_, edit->GetLastPosition()));
    auto* list = panelMeasure_->Item<wxListBox>(panelMeasure::MeasuredData);
    list->Clear();
    std::string z, xy, area;
    doc->GetUnitText(2, &z);
    doc->GetUnitText(0, &xy);
    area = z;
    doc->GetUnitLabel(&area, 2);
    const auto& r = ui::Resources();
    const double values[7] = {m.measured[0],     m.xPitch * m.measured[1], m.measured[2],    m.measured[3],
                              doc->Roughness(1), doc->Roughness(0),        doc->Roughness(2)};
    const std::string units[7] = {z, xy, area, "", z, z, z};
    constexpr UINT first = bxid::str::MeasuredHeight;
    for (UINT id = first; id <= bxid::str::MeasuredRzjis; ++id)
        list->Append(wxString::FromUTF8(
            v3d::FillMeasuredFormat(r.LoadString(id), values[id - first], units[id - first])));
    panelMeasure_->SetDlgItemText(panelMeasure::PitchXUnit, wxString::FromUTF8(xy));
    panelMeasure_->SetDlgItemText(panelMeasure::PitchYUnit, wxString::FromUTF8(xy));
    panelMeasure_->Item<wxRadioButton>(panelMeasure::AutomaticLevels)->SetValue(m.lineMode == 0);
    panelMeasure_->Item<wxRadioButton>(panelMeasure::ManualLevels)->SetValue(m.lineMode == 1);
    panelMeasure_->EnableItem(panelMeasure::MaxMinLevels, m.lineMode == 1);
    if (integer(panelMeasure_->GetDlgItemText(panelMeasure::LineCount), -9999) != m.lineCount)
        panelMeasure_->SetDlgItemText(panelMeasure::LineCount, wxString::Format("%d", m.lineCount));
    showLineCountOnSpin();
}

void CMainFrame::sliceScrolled(CView3dDoc* doc, int position) {
    const double level = position * 0.01;
    CView3dFrm* frame = GetActive3dFrame();
    if (level != doc->GetViewState()->sliceLevel) {
        doc->SetSliceLevel(level);
        if (doc->areaData)
            invalidate(frame, kPaneAreaGraph, true);
        invalidate(frame, kPaneSlice, true);
    }
    panel3d_->SetDlgItemText(panel3d::SliceLevel, fmt("%.2f", doc->BaseOffset() + level));
    measureSliceSoon();
}

void CMainFrame::measureSliceSoon() {
    // A level not measured before takes a perimeter measurement of the whole image; while one
    // runs the slider's further moves wait, and each would queue one more. One measurement waits
    // at a time, and it takes the level the slider has when it runs.
    if (sliceMeasurePending_)
        return;
    sliceMeasurePending_ = true;
    CallAfter([this] {
        sliceMeasurePending_ = false;
        CView3dDoc* doc = GetActive3dDoc();
        if (!doc || doc->ScreenMode() != v3d::kScreen3d)
            return;
        doc->UpdateSliceMeasures();
        showSliceMeasures(doc);
    });
}

void CMainFrame::showSliceMeasures(CView3dDoc* doc) {
    const v3d::ViewState& v = *doc->GetViewState();
    panel3d_->SetDlgItemText(panel3d::SliceArea, doc->areaData ? fmt("%.2f", v.sliceArea) : wxString());
    panel3d_->SetDlgItemText(panel3d::SlicePerimeter,
                             doc->areaData ? fmt("%.2f", v.slicePerimeter) : wxString());
}

LRESULT CMainFrame::onHScroll(WPARAM wParam, LPARAM) {
    CView3dDoc* doc = GetActive3dDoc();
    if (!doc)
        return 0;
    CView3dFrm* frame = GetActive3dFrame();
    // Which slider moved: each panel's sliders are read back at their positions.
    const int slice = panel3d_->Item<wxSlider>(panel3d::SliceSlider)->GetValue();
    if (int(doc->GetViewState()->sliceLevel * 100) != slice)
        sliceScrolled(doc, slice);
    const double preset =
        kScale[std::clamp(panel3d_->Item<wxSlider>(panel3d::ZScaleSlider)->GetValue(), 0, 10)];
    if (doc->ScreenMode() == v3d::kScreen3d && preset != doc->GetViewState()->zScalePreset) {
        stopSpin(frame);
        doc->SetZScalePreset(preset);
        doc->RebuildExtentLists();
        invalidate(frame, kPane3d, true);
    }
    const double graph =
        kScale[std::clamp(panelMeasure_->Item<wxSlider>(panelMeasure::GraphScaleSlider)->GetValue(), 0, 10)];
    if (doc->ScreenMode() == v3d::kScreenMeasure && graph != doc->GetMeasureState()->graphScalePreset) {
        doc->SetGraphScalePreset(graph);
        invalidate(frame, kPaneProfileGraph, true);
    }
    (void)wParam;
    return 0;
}

void CMainFrame::lineCountChanged(int n, bool fromSpin) {
    CView3dDoc* doc = GetActive3dDoc();
    CView3dFrm* frame = GetActive3dFrame();
    if (!doc || (!fromSpin && (n % 2 == 0 || !panelsReady_)))
        return;
    const v3d::LineKind kind = doc->LineKind();
    const int c = lineRoom(frame, kind);
    const int allowed = allowedLineCount(c);
    v3d::MeasureState& m = *doc->GetMeasureState();
    if (n < 0) {
        ShowMessage(bxid::str::TooFewLines, MB_OK | MB_ICONSTOP);
        SetLineCountText(std::to_string(m.lineCount));
        return;
    }
    if (n > 0 && c > 0 && c < n) {
        ShowMessage(bxid::str::TooManyLines, MB_OK | MB_ICONSTOP, {std::to_string(allowed)});
        SetLineCountText(std::to_string(m.lineCount));
        return;
    }
    if (c > 0 && kind != v3d::kLineFree) {
        const int half = n / 2;
        int& position = m.linePosition[kind];
        if (c < position + half + 1) {
            position = c / 2;
            invalidate(frame, kPaneAnalysis, false);
        }
        if (position <= half) {
            position = half;
            invalidate(frame, kPaneAnalysis, false);
        }
    }
    doc->SetLineCount(n);
    doc->SetLinePosition(kind, m.linePosition[kind]);
    invalidate(frame, kPaneProfileGraph, true);
    invalidate(frame, kPaneAnalysis, false);
}

void CMainFrame::bindPanelHandlers() {
    // Combo items of the smoothing method and width.
    for (const char* item : {"移動平均", "加重平均"})
        panel3d_->Item<wxComboBox>(panel3d::SmoothingMethod)->Append(wxString::FromUTF8(item));
    for (const char* item : {" 2ﾎﾟｲﾝﾄ", " 4ﾎﾟｲﾝﾄ", " 8ﾎﾟｲﾝﾄ", "12ﾎﾟｲﾝﾄ"})
        panel3d_->Item<wxComboBox>(panel3d::SmoothingWidth)->Append(wxString::FromUTF8(item));
    OnMessage(ui::WM_HSCROLL, [this](WPARAM w, LPARAM l) { return onHScroll(w, l); });
    // The measured-data list's context menu: its Copy copies the measured data as text.
    auto* measured = panelMeasure_->Item<wxListBox>(panelMeasure::MeasuredData);
    measured->Bind(wxEVT_CONTEXT_MENU, [measured](wxContextMenuEvent&) {
        if (std::unique_ptr<wxMenu> menu{ui::BuildPopupMenu(bxid::menu::CopyMenu, 0)})
            measured->PopupMenu(menu.get());
    });
    measured->Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { RouteCommandId(bxid::cmd::CopyMeasuredData); },
        bxid::cmd::Copy);
    panel3d_->OnMessage(ui::WM_HSCROLL, [this](WPARAM w, LPARAM l) { return onHScroll(w, l); });
    panelMeasure_->OnMessage(ui::WM_HSCROLL, [this](WPARAM w, LPARAM l) { return onHScroll(w, l); });

    auto withDoc = [this](auto fn) {
        return [this, fn] {
            CView3dDoc* doc = GetActive3dDoc();
            if (doc)
                fn(doc, GetActive3dFrame());
        };
    };
    auto& params = v3d::GlobalProcParams();
    auto checked = [this](ui::TemplatePanel* p, int id) {
        return p->Item<wxCheckBox>(id)->GetValue() ? 1 : 0;
    };
    panel3d_->OnControl(ui::EN_CHANGE, panel3d::ContourCount,
                        withDoc([this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            const int count = integer(panel3d_->GetDlgItemText(panel3d::ContourCount), 1);
                            if (doc->SetContourCount(count))
                                params.contourCount = int16_t(count);
                            if (panelsReady_)
                                invalidate(frame, kPaneContour, false);
                        }));
    auto sceneRefresh = [](CView3dDoc* doc, CView3dFrm* frame) {
        if (doc->RebuildExtentLists())
            invalidate(frame, kPane3d, true);
    };
    panel3d_->OnCommand(panel3d::ZAxisFixed, withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            stopSpin(frame);
                            doc->SetZAxisFixed(checked(panel3d_, panel3d::ZAxisFixed));
                            params.zAxisFixed = doc->GetViewState()->zAxisFixed;
                            sceneRefresh(doc, frame);
                        }));
    panel3d_->OnControl(ui::EN_CHANGE, panel3d::ZAxisLength,
                        withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            stopSpin(frame);
                            if (doc->SetZAxisLength(number(panel3d_->GetDlgItemText(panel3d::ZAxisLength))))
                                params.zAxisLength = doc->GetViewState()->zAxisLength;
                            if (doc->GetViewState()->zAxisFixed)
                                sceneRefresh(doc, frame);
                        }));
    panel3d_->OnCommand(panel3d::ScaleLines, withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            stopSpin(frame);
                            doc->SetScaleLinesShown(checked(panel3d_, panel3d::ScaleLines));
                            params.scaleLinesShown = doc->GetViewState()->scaleLinesShown;
                            sceneRefresh(doc, frame);
                        }));
    panel3d_->OnCommand(panel3d::ZScaleFixed, withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            stopSpin(frame);
                            doc->SetZScaleFixed(checked(panel3d_, panel3d::ZScaleFixed));
                            params.zScaleFixed = doc->GetViewState()->zScaleFixed;
                            invalidate(frame, kPane3d, true);
                            UpdateScaleEnables(doc);
                        }));
    panel3d_->OnCommand(panel3d::ZScaleFreeOn,
                        withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            stopSpin(frame);
                            doc->SetZScaleFreeOn(checked(panel3d_, panel3d::ZScaleFreeOn));
                            params.zScaleFreeOn = doc->GetViewState()->zScaleFreeOn;
                            sceneRefresh(doc, frame);
                            UpdateScaleEnables(doc);
                        }));
    panel3d_->OnControl(ui::EN_CHANGE, panel3d::ZScaleFree,
                        withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            if (!panelsReady_)
                                return;
                            stopSpin(frame);
                            if (doc->SetZScaleFree(number(panel3d_->GetDlgItemText(panel3d::ZScaleFree))))
                                params.zScaleFree = doc->GetViewState()->zScaleFree;
                            if (doc->GetViewState()->zScaleFreeOn)
                                sceneRefresh(doc, frame);
                        }));
    auto fixedView = [](CView3dDoc* doc, CView3dFrm* frame) {
        if (doc->GetViewState()->rotationFixed && doc->RebuildScene()) {
            doc->ApplyFixedView();
            invalidate(frame, kPane3d, true);
        }
    };
    panel3d_->OnCommand(panel3d::RotationFixed,
                        withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            stopSpin(frame);
                            doc->SetRotationFixed(checked(panel3d_, panel3d::RotationFixed));
                            params.rotationFixed = doc->GetViewState()->rotationFixed;
                            fixedView(doc, frame);
                        }));
    for (int id : {panel3d::RotationX, panel3d::RotationY, panel3d::RotationZ, panel3d::Zoom})
        panel3d_->OnControl(ui::EN_CHANGE, id,
                            withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                                if (!panelsReady_)
                                    return;
                                stopSpin(frame);
                                const double v = number(panel3d_->GetDlgItemText(id));
                                v3d::ViewState& s = *doc->GetViewState();
                                if (id == panel3d::RotationX && doc->SetRotationX(v))
                                    params.rotationX = s.rotationX;
                                if (id == panel3d::RotationY && doc->SetRotationY(v))
                                    params.rotationY = s.rotationY;
                                if (id == panel3d::RotationZ && doc->SetRotationZ(v))
                                    params.rotationZ = s.rotationZ;
                                if (id == panel3d::Zoom && doc->SetZoom(v))
                                    params.zoom = s.zoom;
                                fixedView(doc, frame);
                            }));
    auto smoothingChain = [this](CView3dDoc* doc, CView3dFrm* frame) {
        if (doc->ReprocessHeight()) {
            invalidate(frame, kPane3d, true);
            doc->contourStale = 1;
            invalidate(frame, kPaneContour, true);
            UpdateSliceSlider(doc);
            doc->binaryStale = 1;
            invalidate(frame, kPaneSlice, true);
            invalidate(frame, kPaneAreaGraph, true);
            UpdatePanelsFromDoc(doc);
        }
    };
    panel3d_->OnCommand(panel3d::Smoothing, withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                            stopSpin(frame);
                            doc->SetSmoothing(checked(panel3d_, panel3d::Smoothing));
                            params.smoothingOn = doc->GetViewState()->smoothingOn;
                            smoothingChain(doc, frame);
                        }));
    for (int id : {panel3d::SmoothingMethod, panel3d::SmoothingWidth})
        panel3d_->OnControl(ui::CBN_SELCHANGE, id,
                            withDoc([=, this, &params](CView3dDoc* doc, CView3dFrm* frame) {
                                stopSpin(frame);
                                auto* choice = panel3d_->Item<wxComboBox>(id);
                                const int sel = choice ? choice->GetSelection() : 0;
                                if (id == panel3d::SmoothingMethod) {
                                    doc->SetSmoothingMethod(sel);
                                    params.smoothingMethod = sel;
                                } else if (doc->SetSmoothingWidth(sel)) {
                                    params.smoothingWidth = sel;
                                }
                                if (doc->GetViewState()->smoothingOn)
                                    smoothingChain(doc, frame);
                            }));
    panel3d_->OnControl(ui::EN_CHANGE, panel3d::Comment, withDoc([this](CView3dDoc* doc, CView3dFrm*) {
                            doc->SetComment(panel3d_->GetDlgItemText(panel3d::Comment).utf8_string());
                        }));
    panel3d_->OnCommand(panel3d::MeasureOnOpen,
                        [this, checked] { measureFlag = checked(panel3d_, panel3d::MeasureOnOpen); });
    panel3d_->OnCommand(panel3d::Measure, withDoc([this](CView3dDoc* doc, CView3dFrm* frame) {
                            const int flag = measureFlag;
                            measureFlag = 1;
                            if (doc->EnsureHistogram()) {
                                invalidate(frame, kPaneAreaGraph, true);
                                invalidate(frame, kPaneSlice, true);
                            }
                            measureFlag = flag;
                            UpdatePanelsFromDoc(doc);
                        }));

    // Measurement panel.
    panelMeasure_->OnCommand(
        panelMeasure::GraphScaleFreeOn, withDoc([=, this](CView3dDoc* doc, CView3dFrm* frame) {
            doc->SetGraphScaleFreeOn(checked(panelMeasure_, panelMeasure::GraphScaleFreeOn));
            invalidate(frame, kPaneProfileGraph, true);
            UpdateGraphScaleEnables(doc);
        }));
    panelMeasure_->OnControl(
        ui::EN_CHANGE, panelMeasure::GraphScaleFree, withDoc([this](CView3dDoc* doc, CView3dFrm* frame) {
            doc->SetGraphScaleFree(number(panelMeasure_->GetDlgItemText(panelMeasure::GraphScaleFree)));
            if (panelsReady_ && doc->GetMeasureState()->graphScaleFreeOn)
                invalidate(frame, kPaneProfileGraph, true);
        }));
    panelMeasure_->OnCommand(
        panelMeasure::LinePositionFixed, withDoc([=, this](CView3dDoc* doc, CView3dFrm*) {
            doc->SetLinePositionFixed(doc->LineKind(),
                                      checked(panelMeasure_, panelMeasure::LinePositionFixed));
        }));
    panelMeasure_->OnControl(
        ui::EN_CHANGE, panelMeasure::LinePosition, withDoc([this](CView3dDoc* doc, CView3dFrm* frame) {
            const v3d::LineKind kind = doc->LineKind();
            if (kind == v3d::kLineFree)
                return;
            auto* edit = panelMeasure_->Item<wxTextCtrl>(panelMeasure::LinePosition);
            if (panelsReady_ && edit)
                caret_ = edit->GetInsertionPoint();
            const int value = integer(panelMeasure_->GetDlgItemText(panelMeasure::LinePosition), 0);
            if (panelsReady_) {
                const wxSize extent = analysisExtent(frame);
                const int limit = kind == v3d::kLineHorizontal ? extent.y : extent.x;
                if (limit < value) {
                    panelsReady_ = 0;
                    panelMeasure_->SetDlgItemText(
                        panelMeasure::LinePosition,
                        wxString::Format("%d", doc->GetMeasureState()->linePosition[kind]));
                    if (edit)
                        edit->SetInsertionPoint(std::min<long>(caret_, edit->GetLastPosition()));
                    panelsReady_ = 1;
                    return;
                }
            }
            doc->SetLinePosition(kind, value);
            if (panelsReady_) {
                invalidate(frame, kPaneAnalysis, false);
                invalidate(frame, kPaneProfileGraph, false);
            }
        }));
    auto lineMode = [this](CView3dDoc* doc, CView3dFrm* frame) {
        const bool automatic = panelMeasure_->Item<wxRadioButton>(panelMeasure::AutomaticLevels)->GetValue();
        doc->SetLineMode(automatic ? 0 : 1);
        panelMeasure_->EnableItem(panelMeasure::MaxMinLevels, !automatic);
        if (automatic)
            invalidate(frame, kPaneProfileGraph, true);
    };
    panelMeasure_->OnCommand(panelMeasure::AutomaticLevels, withDoc(lineMode));
    panelMeasure_->OnCommand(panelMeasure::ManualLevels, withDoc(lineMode));
    panelMeasure_->OnCommand(panelMeasure::MaxMinLevels, withDoc([](CView3dDoc* doc, CView3dFrm* frame) {
                                 for (int cursor : {2, 3})
                                     for (int kind = 0; kind < v3d::kLineKindCount; ++kind)
                                         doc->SetLineCoord(cursor, kind, -1.0);
                                 invalidate(frame, kPaneProfileGraph, true);
                             }));
    panelMeasure_->OnControl(ui::EN_CHANGE, panelMeasure::LineCount, [this] {
        showLineCountOnSpin();
        lineCountChanged(integer(panelMeasure_->GetDlgItemText(panelMeasure::LineCount), 1), false);
    });
    if (auto* spin = panelMeasure_->Item<wxSpinButton>(panelMeasure::LineCountSpin)) {
        // The spin shows the count of the edit beside it: room for three digits. Its range goes
        // far past any count, so that both halves always step.
        spin->SetRange(-1000000, 1000000);
        GiveSpinItsRoom(spin, 3);
        showLineCountOnSpin();
    }
    // The spin steps the count itself (by 2, or 10): the toolkit's step of 1 is refused.
    panelMeasure_->OnNotify(ui::UDN_DELTAPOS, panelMeasure::LineCountSpin, [this](ui::Notification& n) {
        SpinLineCount(n.delta, wxGetKeyState(WXK_CONTROL));
        n.result = 1;
    });
}

void CMainFrame::showLineCountOnSpin() {
    // Once the event that changed the edit is handled: a spin refusing its own step puts its old
    // position back as that step ends.
    CallAfter([this] {
        auto* spin = panelMeasure_->Item<wxSpinButton>(panelMeasure::LineCountSpin);
        const wxString text = panelMeasure_->GetDlgItemText(panelMeasure::LineCount);
        long count = 0;
        if (spin && text.ToLong(&count) && count != spin->GetValue())
            spin->SetValue(static_cast<int>(std::clamp(count, -1000000L, 1000000L)));
    });
}

void CMainFrame::SpinLineCount(int direction, bool control) {
    CView3dDoc* doc = GetActive3dDoc();
    if (!doc)
        return;
    const int by = control ? 10 : 2;
    const int allowed = allowedLineCount(lineRoom(GetActive3dFrame(), doc->LineKind()));
    const int n = std::clamp(doc->GetLineCount() + direction * by, 1, std::max(allowed, 1));
    SetLineCountText(std::to_string(n));
    lineCountChanged(n, true);
}

} // namespace brx
