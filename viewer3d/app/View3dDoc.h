// The window document of the 3D viewer: the document data of viewer3d/core with its views,
// its file steps (open by extension, save as .tdv), the received data set and the measured
// values as CSV and clipboard text. Messages are shown by string id.
#pragma once

#include "ui/Document.h"
#include "viewer3d/core/View3dData.h"
#include "viewer3d/render/View3dView.h"

#include <functional>
#include <string>
#include <vector>

class wxWindow;

namespace brx {

// A text of the program's string table (the lookup the document data and its text formats use).
std::string ResourceText(unsigned id);

class CView3dDoc : public ui::Document, public v3d::View3dData, public v3d::SceneDocument {
public:
    CView3dDoc();
    ~CView3dDoc() override;

    void DeleteContents() override;
    // Opens by extension; 61697 when the file cannot be read, 9202 when nothing usable came.
    bool OnOpenDocument(const std::string& path) override;
    // Writes a .tdv; any other extension: 9206 then 9203.
    bool OnSaveDocument(const std::string& path) override;
    // Takes a received record: 1 loaded, 0 refused (9202 shown; the document stays empty).
    int LoadVv3dRecord(const void* data, uint64_t length);

    // The measured values to a CSV file chosen in a save dialog: 1 written or cancelled, 0 when
    // the file could not be written (61732 shown).
    int SaveMeasuredData(wxWindow* parent);
    // The measured values as UTF-8 text (also put on the clipboard by CopyMeasuredText).
    std::string MeasuredText(bool csv) const;
    int CopyMeasuredText();

    // Called after a file was opened so the main window refills its panels.
    static void SetPanelRefill(std::function<void(CView3dDoc*)> refill);

    bool showRoughness = false, showWaviness = false;

    // The data and the 3D scene the document's 3D views draw.
    v3d::View3dData& SceneData() override { return *this; }
    v3d::scene::DocumentScene& Scene() override { return scene_; }
    // The document's 3D views (none while the frame has no 3D pane).
    std::vector<v3d::CView3dView*> SceneViews() const;

protected:
    void OnScenePrepared() override;
    // List deletion and building run in the context of a 3D view of the document.
    void ReleaseGlLists(int32_t first, int32_t count) override;
    void BuildSceneLists(unsigned groups) override;

private:
    v3d::scene::DocumentScene scene_;
};

} // namespace brx
