// The 3D pane of a 3D document frame: the document's scene on a GL canvas, turned and moved by
// mouse drags, spun by a CTRL right drag, copied to the clipboard as an image.
//
// The canvas's context shares the display lists of the document's first context. GL work
// asked for before the canvas is on the screen (a list build) runs at its first paint. When
// no context can be made, or the GL binding is incomplete, the pane paints its background only
// and the rest of the frame works.
#pragma once

#include "ui/Timers.h"
#include "ui/View.h"
#include "viewer3d/core/data/View3dData.h"
#include "viewer3d/render/gl/DocumentScene.h"
#include "viewer3d/render/gl/TurnControl.h"

#include <wx/glcanvas.h>

#include <memory>

namespace v3d {

// What the 3D view needs of its document: its data and the scene kept with it (one per
// document). The 3D document implements it.
class SceneDocument {
public:
    virtual ~SceneDocument() = default;
    virtual View3dData& SceneData() = 0;
    virtual scene::DocumentScene& Scene() = 0;
};

class CView3dView : public wxGLCanvas, public ui::View {
public:
    explicit CView3dView(wxWindow* parent, wxWindowID id = wxID_ANY);
    ~CView3dView() override;

    // Whether the pane can draw the scene (context made, binding complete).
    bool HasScene() const { return context_ != nullptr && !failed_; }
    // Builds every list of the document in this view's context (now, or at the first paint).
    void RequestBuildAll();
    // Makes the view's context current (made at the first call); false while the view is not
    // on screen, without a complete GL binding or when no context can be made.
    bool MakeSceneCurrent() { return makeCurrent(); }
    // Ends a running spin.
    void StopSpin();
    // The current scene rendered off screen in this view's own context (its back buffer) into a
    // new 24-bit bitmap of the client size; null without a scene or with a client area of no
    // size. The window's lists and pixels stay as they were.
    HDIB RenderToDib();
    // Puts RenderToDib's picture on the clipboard. False when nothing was put there.
    bool OnCopy();
    // Frames drawn so far (tests wait on it).
    int PaintCount() const { return paints_; }
    // Reads the window's back buffer after the last frame (bottom-up rows, 24-bit, padded to 4),
    // for tests and the snapshot on demand.
    HDIB ReadWindowPixels();

    scene::TurnControl& Turns() { return turns_; }
    void OnUpdate(ui::View* sender, LPARAM hint, CObject* hintObject) override;

private:
    SceneDocument* sceneDocument() const;
    bool makeCurrent();
    void onPaint(wxPaintEvent&);
    void onSize(wxSizeEvent&);
    void onMouse(wxMouseEvent&);
    void onCaptureLost(wxMouseCaptureLostEvent&);
    void onContextMenu(wxContextMenuEvent&);
    void apply(const scene::TurnEffects& e);
    void drawFrame(int width, int height, bool takeTurn);
    HDIB readPixels(int width, int height);

    wxGLContext* context_ = nullptr;
    bool ownsSharedContext_ = false;
    bool failed_ = false;
    bool buildPending_ = true;
    bool stateReady_ = false;
    int paints_ = 0;
    scene::TurnControl turns_;
    ui::WindowTimers timers_;
};

} // namespace v3d
