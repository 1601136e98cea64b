// The window document's measurement: its image toolkit on the height display image, line
// profiles from the measure view's height display and the roughness of the current profile.
#include "viewer3d/app/View3dDoc.h"

#include "viewer3d/core/data/ProcParams.h"

namespace brx {

namespace {

std::function<bool()>& measureFlagSource() {
    static std::function<bool()> f;
    return f;
}

} // namespace

void CView3dDoc::SetMeasureFlagSource(std::function<bool()> source) {
    measureFlagSource() = std::move(source);
}

bool CView3dDoc::MeasureFlag() {
    return measureFlagSource() ? measureFlagSource()() : true;
}

double CView3dDoc::MeasurePerimeter(HDIB image, int level) {
    return imaging_.MeasurePerimeter(image ? image : heightDisplay, level, HeightType());
}

int CView3dDoc::BuildHeightHistogram(HDIB image) {
    const int built =
        imaging_.BuildHeightHistogram(image ? image : heightDisplay, HeightType(), MeasureFlag(), &area_);
    if (built) {
        maxLevel = area_.levelMax;
        minLevel = area_.levelMin;
    }
    areaData = area_.flag;
    return built;
}

int CView3dDoc::BuildPerimeterCurve(HDIB image) {
    const int built =
        imaging_.BuildPerimeterCurve(image ? image : heightDisplay, HeightType(), MeasureFlag(), &area_);
    areaData = area_.flag;
    return built;
}

void CView3dDoc::BuildHeightHistogram() {
    BuildHeightHistogram(nullptr);
}

void CView3dDoc::BuildPerimeterCurve() {
    BuildPerimeterCurve(nullptr);
}

void CView3dDoc::ExtractProfile(v3d::LineKind kind, int lineCount, HDIB image) {
    const v3d::MeasureState& m = *GetMeasureState();
    RECT roi{};
    GetRoiRect(&roi);
    v3d::MeasuringLines lines;
    lines.row = m.linePosition[v3d::kLineHorizontal];
    lines.column = m.linePosition[v3d::kLineVertical];
    lines.freeX1 = roi.left;
    lines.freeY1 = roi.top;
    lines.freeX2 = roi.right;
    lines.freeY2 = roi.bottom;
    v3d::LineProfile p;
    imaging_.ExtractProfile(kind, lineCount, image ? image : profileDisplay, HeightType(), lines, &p);
    profile_.assign(p.samples.begin(), p.samples.end());
    profileMax_ = p.largest;
    profileMin_ = p.smallest;
    p.samples.clear();
    profileLine_ = std::move(p);
}

void CView3dDoc::ExtractProfile(v3d::LineKind kind) {
    ExtractProfile(kind, GetLineCount(), nullptr);
}

void CView3dDoc::ComputeRoughness() {
    const v3d::ProcParams& params = v3d::GlobalProcParams();
    roughnessComputed_ =
        roughness_.ComputeRoughness(profile_.data(), static_cast<int>(profile_.size()), Calib().zScale,
                                    XyPitchInMicrometres(), params.cutoff, params.endEffect);
}

double CView3dDoc::Roughness(int which) const {
    const v3d::RoughnessResults* r = roughness_.GetSectionResults();
    switch (which % 3) {
    case 0:
        return r->rz;
    case 1:
        return r->ra;
    default:
        return r->rzjis;
    }
}

} // namespace brx
