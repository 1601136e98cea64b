// The window document of the 3D viewer: the document data of viewer3d/core with its views,
// its file steps (open by extension, save as .tdv), the received data set and the measured
// values as CSV and clipboard text. Messages are shown by string id.
#pragma once

#include "ui/Document.h"
#include "viewer3d/core/data/View3dData.h"
#include "viewer3d/measure/core/DocImaging.h"
#include "viewer3d/measure/core/ProfileRoughness.h"
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
    // Opens by extension; CannotOpenDocument when the file cannot be read, NotEnoughMemory when
    // the document does not fit in memory, CannotReadData when nothing usable came.
    bool OnOpenDocument(const std::string& path) override;
    // Writes a .tdv; any other extension: UnsupportedExtension then CannotSaveImage.
    bool OnSaveDocument(const std::string& path) override;
    // Takes a received record: 1 loaded, 0 refused (NotEnoughMemory shown for one that does not
    // fit in memory, else CannotReadData; the document stays empty).
    int LoadVv3dRecord(const void* data, uint64_t length);

    // The measured values to a CSV file chosen in a save dialog: 1 written or cancelled, 0 when
    // the file could not be written (CannotWriteMeasuredData shown).
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

    // ---- measurement (View3dDocMeasure.cpp) --------------------------------------------------
    // Where the measure flag comes from (the main frame's check box); without a source it is set.
    static void SetMeasureFlagSource(std::function<bool()> source);
    static bool MeasureFlag();
    // The image toolkit with the document's slots; the members below pass it the height slot
    // image type, the default image for a null one and the measure flag.
    v3d::DocImaging& Imaging() { return imaging_; }
    void SetSlotImage(HDIB dib, int n, int type = -1) { imaging_.SetSlotImage(dib, n, type); }
    HDIB GetSlotImage(int n) const { return imaging_.GetSlotImage(n); }
    v3d::SlotAttributes GetSlotAttributes(int n) const { return imaging_.GetSlotAttributes(n); }
    int GetSlotPixel(int slot, int x, int y) const { return imaging_.GetSlotPixel(slot, x, y); }
    void SetSlotPixel(int slot, int x, int y, int value) { imaging_.SetSlotPixel(slot, x, y, value); }
    HDIB ResizeSlotImage(int n, int width, int height) { return imaging_.ResizeSlotImage(n, width, height); }
    // Null image: the height display image.
    double MeasurePerimeter(HDIB image, int level);
    int BuildHeightHistogram(HDIB image);
    int BuildPerimeterCurve(HDIB image);
    // The profile along the measuring line of a kind over lineCount parallel lines; replaces the
    // document's samples and their largest and smallest value.
    void ExtractProfile(v3d::LineKind kind, int lineCount, HDIB image);
    void ExtractProfile(v3d::LineKind kind) override;
    // Roughness of the current profile with the processing parameters' cut-off and end effect.
    void ComputeRoughness() override;
    // 1 when the last ComputeRoughness computed, 0 when there was no profile to compute on.
    int RoughnessComputed() const { return roughnessComputed_; }
    const v3d::RoughnessResults* GetSectionResults() const { return roughness_.GetSectionResults(); }
    const v3d::ProfileRoughness& RoughnessState() const { return roughness_; }
    double Roughness(int which) const override;
    // Orientation and major-coordinate range of the profile's last sampled line.
    const v3d::LineProfile& ProfileLine() const { return profileLine_; }

protected:
    void OnScenePrepared() override;
    // List deletion and building run in the context of a 3D view of the document.
    void ReleaseGlLists(int32_t first, int32_t count) override;
    void BuildSceneLists(unsigned groups) override;
    // The area results of the height display image, by the image toolkit.
    void BuildHeightHistogram() override;
    void BuildPerimeterCurve() override;
    double MeasureSlicePerimeter(int level) override { return MeasurePerimeter(nullptr, level); }
    // The client area of the document's base image pane of that content kind.
    bool OverlayTargetArea(v3d::PaneContent kind, RECT* area) const override;
    // Bicubic resampling through the image toolkit's work slot; nearest sample where it refuses
    // the type.
    HDIB ResampleImage(HDIB source, int type, int width, int height) override;

private:
    v3d::scene::DocumentScene scene_;
    v3d::DocImaging imaging_;
    v3d::ProfileRoughness roughness_;
    v3d::LineProfile profileLine_; // without its samples: the document holds those
    int roughnessComputed_ = 0;
};

} // namespace brx
