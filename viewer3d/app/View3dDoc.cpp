#include "viewer3d/app/View3dDoc.h"

#include "ui/Clipboard.h"
#include "platform/File.h"
#include "platform/MessageSink.h"
#include "ui/Services.h"
#include "ui/Timers.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/measure/core/MeasuredText.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

namespace brx {

namespace {

std::function<void(CView3dDoc*)>& panelRefill() {
    static std::function<void(CView3dDoc*)> f;
    return f;
}

} // namespace

std::string ResourceText(unsigned id) {
    return ui::Resources().LoadString(id);
}

CView3dDoc::CView3dDoc() = default;

CView3dDoc::~CView3dDoc() {
    DeleteGlLists();
    CView3dDoc::DeleteContents();
}

void CView3dDoc::SetPanelRefill(std::function<void(CView3dDoc*)> refill) {
    panelRefill() = std::move(refill);
}

void CView3dDoc::DeleteContents() {
    v3d::View3dData::DeleteContents();
    ui::Document::DeleteContents();
}

std::vector<v3d::CView3dView*> CView3dDoc::SceneViews() const {
    std::vector<v3d::CView3dView*> views;
    for (ui::View* v : GetViews())
        if (auto* view = dynamic_cast<v3d::CView3dView*>(v))
            views.push_back(view);
    return views;
}

void CView3dDoc::ReleaseGlLists(int32_t first, int32_t count) {
    // The lists live in the context the 3D views share; without one that can be made current
    // (no view, or the view not on screen) there is nothing of them to delete here.
    if (!v3d::gl::IsOpenGlBound() || !sharedRenderContext || count <= 0)
        return;
    for (v3d::CView3dView* view : SceneViews())
        if (view->MakeSceneCurrent()) {
            v3d::gl::Gl().glDeleteLists(GLuint(first), GLsizei(count));
            return;
        }
}

void CView3dDoc::BuildSceneLists(unsigned) {
    // Each view builds the whole scene anew in its context at its next frame: a partial
    // rebuild would leave lists of the old extents beside the new ones.
    for (v3d::CView3dView* view : SceneViews())
        view->RequestBuildAll();
}

void CView3dDoc::OnScenePrepared() {
    UpdateAllViews(nullptr, 0, nullptr);
}

bool CView3dDoc::OnOpenDocument(const std::string& path) {
    if (path.empty())
        return false;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
        ShowMessage(bxid::str::CannotOpenDocument, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    DeleteContents();
    const int format = FormatIndexOfPath(path);
    int slotType = -1;
    bool read = false, room = true;
    {
        ui::WaitCursor wait;
        try {
            // A data set's size is in its header: one that cannot fit is not read at all.
            int w = 0, h = 0;
            if (format == 1 && v3d::ReadVv3Size(&file, &w, &h))
                room = RoomForDocument(w, h);
            read = room && ReadFileOfFormat(&file, format, &slotType);
            room = room && (!read || RoomForPlanes());
            file.Close();
        } catch (const CFileException&) {
            file.Abort();
            DeleteContents();
            ShowMessage(bxid::str::CannotOpenDocument, MB_OK | MB_ICONEXCLAMATION);
            return false;
        } catch (const std::exception&) {
            file.Abort();
            read = false;
        }
    }
    if (!room) {
        DeleteContents();
        ShowMessage(bxid::str::NotEnoughMemory, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!read) {
        DeleteContents();
        ShowMessage(bxid::str::CannotReadData, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    ProcessPlanes(format, slotType);
    NoteWorkersStarted();
    SetModifiedFlag(false);
    if (panelRefill())
        panelRefill()(this);
    SetParamSource(2);
    return true;
}

bool CView3dDoc::OnSaveDocument(const std::string& path) {
    if (path.empty())
        return false;
    if (FormatIndexOfPath(path) != 6) {
        ShowMessage(bxid::str::UnsupportedExtension, MB_OK | MB_ICONEXCLAMATION);
        ShowMessage(bxid::str::CannotSaveImage, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    int result = 0;
    CFileException error;
    {
        ui::WaitCursor wait;
        result = SaveTdv(path, &error);
    }
    // A file that could not be created for want of access or room is not a wrong name.
    if (result == -1 &&
        (FileFailureOf(error) == FileFailure::AccessDenied || FileFailureOf(error) == FileFailure::DiskFull))
        result = -2;
    switch (result) {
    case 1:
        SetModifiedFlag(false);
        return true;
    case -1:
        ShowMessage(bxid::str::InvalidFileName, MB_OK | MB_ICONEXCLAMATION, {path});
        return false;
    case -2:
        ShowMessage(bxid::str::CannotSaveDocument, MB_OK | MB_ICONEXCLAMATION, {path});
        return false;
    default:
        ShowMessage(bxid::str::CannotSaveImage, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
}

int CView3dDoc::LoadVv3dRecord(const void* data, uint64_t length) {
    int w = 0, h = 0;
    if (v3d::CheckHeightRecord(data, length, &w, &h) && !RoomForDocument(w, h)) {
        DeleteContents();
        ShowMessage(bxid::str::NotEnoughMemory, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    bool loaded = false;
    {
        ui::WaitCursor wait;
        loaded = View3dData::LoadVv3dRecord(data, length);
    }
    if (!loaded) {
        ShowMessage(bxid::str::CannotReadData, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    ProcessPlanes(-1, -1);
    NoteWorkersStarted();
    return 1;
}

std::string CView3dDoc::MeasuredText(bool csv) const {
    auto* self = const_cast<CView3dDoc*>(this);
    const v3d::MeasureState& m = *self->GetMeasureState();
    v3d::MeasuredValues v;
    v.height = m.measured[0];
    v.width = m.measured[1] * m.xPitch;
    v.area = m.measured[2];
    v.angle = m.measured[3];
    v.rz = Roughness(0);
    v.ra = Roughness(1);
    v.rzjis = Roughness(2);
    GetUnitText(2, &v.zUnit);
    GetUnitText(0, &v.xyUnit);
    v.areaLabel = v.zUnit;
    GetUnitLabel(&v.areaLabel, 2);
    return v3d::FormatMeasuredValues(v, csv, ResourceText);
}

int CView3dDoc::SaveMeasuredData(wxWindow* parent) {
    ui::FileDialogRequest request;
    request.open = false;
    const auto& r = ui::Resources();
    request.fileName = r.LoadString(bxid::str::CsvDefaultName) + "." + r.LoadString(bxid::str::CsvExtension);
    request.filter = r.LoadString(bxid::str::CsvFiles) + "|" + r.LoadString(bxid::str::CsvPattern) + "|" +
                     r.LoadString(bxid::str::AllFiles) + "|" + r.LoadString(bxid::str::AllPattern);
    request.confirmOverwrite = true;
    const ui::FileDialogResult chosen = ui::RunFileDialog(parent, request);
    if (chosen.paths.empty())
        return 1;
    std::string path = chosen.paths.front();
    const std::string ext = "." + r.LoadString(bxid::str::CsvExtension);
    if (path.find('.', path.find_last_of('/') + 1) == std::string::npos)
        path += ext;
    const int written = v3d::WriteMeasuredCsv(path, MeasuredText(true));
    if (written <= 0) { // not created, or a write error: reported, never taken for success
        ShowMessage(bxid::str::CannotWriteMeasuredData, MB_OK | MB_ICONEXCLAMATION, {path});
        return 0;
    }
    return 1;
}

int CView3dDoc::CopyMeasuredText() {
    const std::string text = MeasuredText(false);
    return ui::PutTextOnClipboard(wxString::FromUTF8(text)) ? 1 : 0;
}

} // namespace brx
