#include "viewer3d/render/View3dView.h"

#include "ui/Clipboard.h"
#include "ui/Document.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/render/PixelFormat.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/utils.h>

#include <cstring>

namespace v3d {
namespace {

constexpr UINT kSpinTimer = 1;
constexpr UINT kSpinMs = 10;
constexpr GLenum kBgr = 0x80E0; // GL_BGR: the byte order of a 24-bit bitmap

wxGLAttributes attributesOf() {
    wxGLAttributes a;
    SetupPixelFormat(a, 0);
    return a;
}

} // namespace

CView3dView::CView3dView(wxWindow* parent, wxWindowID id)
    : wxGLCanvas(parent, attributesOf(), id, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE),
      ui::View(this), timers_(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT); // nothing erased: no flicker
    Bind(wxEVT_PAINT, &CView3dView::onPaint, this);
    Bind(wxEVT_SIZE, &CView3dView::onSize, this);
    for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP, wxEVT_MOTION})
        Bind(type, &CView3dView::onMouse, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CView3dView::onCaptureLost, this);
    Bind(wxEVT_CONTEXT_MENU, &CView3dView::onContextMenu, this);
}

CView3dView::~CView3dView() {
    timers_.KillTimer(kSpinTimer);
    if (SceneDocument* doc = sceneDocument()) {
        View3dData& data = doc->SceneData();
        if (data.renderContext == context_)
            data.renderContext = nullptr;
        if (data.sharedRenderContext == context_) {
            // Another 3D view of the document keeps the lists alive; without one they go.
            data.sharedRenderContext = nullptr;
            for (ui::View* v : GetDocument()->GetViews())
                if (auto* other = dynamic_cast<CView3dView*>(v); other && other != this && other->context_) {
                    data.sharedRenderContext = other->context_;
                    break;
                }
            if (!data.sharedRenderContext) {
                if (context_ && !failed_ && makeCurrent())
                    scene::DeleteAllGlLists(data, doc->Scene());
                scene::FreeLabelFont(doc->Scene().font);
            }
        }
    }
    delete context_;
}

SceneDocument* CView3dView::sceneDocument() const {
    return dynamic_cast<SceneDocument*>(GetDocument());
}

bool CView3dView::makeCurrent() {
    // After the binding was freed (at the program's end) nothing may call into GL any more.
    if (failed_ || !IsShownOnScreen() || !gl::IsOpenGlBound())
        return false;
    if (!context_) {
        SceneDocument* doc = sceneDocument();
        if (!doc || !gl::IsOpenGlBound()) {
            failed_ = true;
            return false;
        }
        View3dData& data = doc->SceneData();
        auto* shared = static_cast<wxGLContext*>(data.sharedRenderContext);
        context_ = new wxGLContext(this, shared);
        if (!context_->IsOK()) {
            delete context_;
            context_ = nullptr;
            failed_ = true;
            return false;
        }
        data.renderContext = context_;
        // The label texts are bitmaps of an X core font of the display the canvas is on.
        if (!doc->Scene().font.font)
            doc->Scene().font = scene::LoadLabelFont(wxGetX11Display());
        if (!shared)
            data.sharedRenderContext = context_;
        else
            buildPending_ = false; // the lists of the first view are shared
    }
    return context_->SetCurrent(*this);
}

void CView3dView::RequestBuildAll() {
    buildPending_ = true;
    Refresh(false);
}

void CView3dView::OnUpdate(ui::View*, LPARAM, CObject*) {
    RequestBuildAll();
}

void CView3dView::drawFrame(int width, int height, bool takeTurn) {
    SceneDocument* doc = sceneDocument();
    View3dData& data = doc->SceneData();
    if (!stateReady_) {
        scene::SceneValues v = scene::SceneValuesOf(data, doc->Scene(), false);
        scene::InitGlState(v);
        stateReady_ = true;
    }
    scene::SetupViewport(width, height);
    gl::Gl().glGetIntegerv(GL_VIEWPORT, data.viewport);
    if (buildPending_) {
        scene::BuildAllGlLists(data, doc->Scene());
        buildPending_ = false;
    }
    const COLORREF bg = data.GetViewState()->backgroundColor;
    gl::Gl().glClearColor(GetRValue(bg) / 256.0f, GetGValue(bg) / 256.0f, GetBValue(bg) / 256.0f, 0.0f);
    // A picture for copying shows the scene as it stands: no pending turn is taken then.
    const scene::FrameTurn turn = takeTurn ? scene::TurnControl::TakeFrameTurn(data) : scene::FrameTurn{};
    scene::RenderDocumentScene(data, doc->Scene(), turn.x, turn.y, turn.z, data.zoomFactor);
}

void CView3dView::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize();
    if (!makeCurrent() || size.x <= 0 || size.y <= 0) {
        // No scene: the background of the document, the rest of the frame goes on.
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        return;
    }
    drawFrame(size.x, size.y, true);
    SwapBuffers();
    ++paints_;
}

void CView3dView::onSize(wxSizeEvent& ev) {
    Refresh(false);
    ev.Skip();
}

void CView3dView::apply(const scene::TurnEffects& e) {
    SceneDocument* doc = sceneDocument();
    if (e.stopSpin)
        timers_.KillTimer(kSpinTimer);
    if (e.startSpin)
        timers_.SetTimer(kSpinTimer, kSpinMs, [this](UINT) {
            if (SceneDocument* d = sceneDocument())
                apply(turns_.Tick(d->SceneData()));
        });
    if (e.rebuild && doc && makeCurrent())
        scene::RebuildGlLists(doc->SceneData(), doc->Scene());
    if (e.redraw)
        Refresh(false);
}

void CView3dView::onMouse(wxMouseEvent& ev) {
    SceneDocument* doc = sceneDocument();
    if (!doc) {
        ev.Skip();
        return;
    }
    View3dData& data = doc->SceneData();
    const wxSize size = GetClientSize();
    const int x = ev.GetX(), y = ev.GetY();
    scene::TurnEffects e;
    const wxEventType type = ev.GetEventType();
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN) {
        if (!HasCapture())
            CaptureMouse();
        e = type == wxEVT_LEFT_DOWN ? turns_.LeftDown(data, x, y) : turns_.RightDown(data, x, y);
    } else if (type == wxEVT_LEFT_UP || type == wxEVT_RIGHT_UP) {
        if (HasCapture())
            ReleaseMouse();
        e = type == wxEVT_LEFT_UP ? turns_.LeftUp(data, x, y)
                                  : turns_.RightUp(data, x, y, ev.ControlDown(), size.x, size.y);
    } else {
        e = turns_.MouseMove(data, x, y, ev.LeftIsDown(), ev.RightIsDown(), size.x, size.y);
    }
    apply(e);
    if (!e.handled)
        ev.Skip();
}

void CView3dView::onCaptureLost(wxMouseCaptureLostEvent&) {
    // The drag ends where it is: back to full density.
    if (SceneDocument* doc = sceneDocument())
        if (!turns_.Spinning()) {
            doc->SceneData().fullResolution = 1;
            apply({true, true, false, false, true});
        }
}

void CView3dView::onContextMenu(wxContextMenuEvent& ev) {
    // Right drags turn the scene: the pane's menu comes only with SHIFT.
    if (wxGetKeyState(WXK_SHIFT))
        ev.Skip();
}

void CView3dView::StopSpin() {
    apply(turns_.StopSpin());
}

HDIB CView3dView::readPixels(int width, int height) {
    HDIB dib = v3d::DibCreate(width, height, v3d::kKindRgb24);
    GlobalLockGuard lock(dib);
    if (!lock)
        return dib;
    auto& g = gl::Gl();
    g.glPixelStorei(GL_PACK_ALIGNMENT, 4); // bitmap rows are padded to four bytes
    g.glReadPixels(0, 0, width, height, kBgr, GL_UNSIGNED_BYTE, v3d::DibGetBits(lock.get()));
    return dib;
}

HDIB CView3dView::ReadWindowPixels() {
    const wxSize size = GetClientSize();
    if (size.x <= 0 || size.y <= 0 || !makeCurrent())
        return nullptr;
    gl::Gl().glReadBuffer(GL_BACK);
    return readPixels(size.x, size.y);
}

HDIB CView3dView::RenderToDib() {
    SceneDocument* doc = sceneDocument();
    const wxSize size = GetClientSize();
    if (!doc || size.x <= 0 || size.y <= 0 || !makeCurrent())
        return nullptr;
    // Drawn into the back buffer of the view's own context, with its own lists: the picture is
    // the window's own, pixel for pixel (a framebuffer object rasterises antialiased lines a
    // little differently), and the front buffer the window shows is not touched.
    drawFrame(size.x, size.y, false);
    auto& g = gl::Gl();
    g.glFinish();
    g.glReadBuffer(GL_BACK);
    return readPixels(size.x, size.y);
}

bool CView3dView::OnCopy() {
    HDIB dib = RenderToDib();
    if (!dib)
        return false;
    bool done = false;
    {
        GlobalLockGuard lock(dib);
        const int w = DibGetWidth(lock.get()), h = DibGetHeight(lock.get());
        const BYTE* bits = v3d::DibGetBits(lock.get());
        const uint64_t stride = DibStride(w, 24);
        wxImage image(w, h);
        unsigned char* out = image.GetData();
        for (int y = 0; out && y < h; ++y) {
            const BYTE* row = bits + (h - 1 - y) * stride;
            for (int x = 0; x < w; ++x) {
                out[(y * w + x) * 3 + 0] = row[x * 3 + 2];
                out[(y * w + x) * 3 + 1] = row[x * 3 + 1];
                out[(y * w + x) * 3 + 2] = row[x * 3 + 0];
            }
        }
        done = out && ui::PutBitmapOnClipboard(wxBitmap(image));
    }
    GlobalFree(dib);
    return done;
}

} // namespace v3d
