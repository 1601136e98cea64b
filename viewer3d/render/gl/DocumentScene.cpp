#include "viewer3d/render/gl/DocumentScene.h"

#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace v3d::scene {
namespace {

// Extreme samples of the height plane.
void rawExtremes(HDIB plane, int& maximum, int& minimum) {
    maximum = minimum = 0;
    GlobalLockGuard lock(plane);
    if (!lock)
        return;
    const int w = DibGetWidth(lock.get());
    const int h = std::abs(static_cast<int>(DibGetHeight(lock.get())));
    if (w < 1 || h < 1)
        return;
    std::vector<int> row(w);
    int hi = INT_MIN, lo = INT_MAX;
    for (int y = 0; y < h; ++y) {
        const int n = DibReadRow(row.data(), lock.get(), 0, y, w);
        for (int x = 0; x < n; ++x)
            hi = std::max(hi, row[x]), lo = std::min(lo, row[x]);
    }
    if (hi >= lo)
        maximum = hi, minimum = lo;
}

} // namespace

SceneValues SceneValuesOf(View3dData& doc, DocumentScene& scene, bool scan) {
    const ViewState& view = *doc.GetViewState();
    SceneValues v;
    v.displayMode = view.displayMode;
    v.paletteIndex = view.paletteIndex;
    v.wireframeDivisions = view.wireframeDivisions;
    v.rotationMode = view.rotationFixed;
    v.gridShown = view.scaleLinesShown;
    v.zAxisFixed = view.zAxisFixed;
    v.zAxisLength = view.zAxisLength;
    v.zScaleFactor = doc.GetZScaleFactor();
    v.heightPercentage = doc.heightPercent;
    v.meshDivisions = doc.meshDivisions;
    v.fullResolution = doc.fullResolution;
    v.textureOn = doc.textureOn;
    v.lightW = doc.lightW;
    v.imageWidth = doc.sourceWidth;
    v.imageHeight = doc.sourceHeight;
    v.pitch = doc.XyPitchInZUnit(); // the surface's height and width in one unit
    v.zCalibration = doc.GetPitch(2);
    v.maxRawValue = doc.HeightMaxValue();
    if (scan)
        rawExtremes(doc.HeightPlane(), scene.rawMaximum, scene.rawMinimum);
    v.rawMaximum = scene.rawMaximum;
    v.rawMinimum = scene.rawMinimum;
    std::copy(doc.rotationMatrix, doc.rotationMatrix + 16, v.rotation);
    v.meshImage = doc.levelledHeight ? doc.levelledHeight : doc.heightDisplay;
    v.textureImage = doc.glTexture;
    return v;
}

SceneLists ListsOf(View3dData& doc, const DocumentScene& scene) {
    const GlListBlock& b = *doc.GetGlLists();
    SceneLists l;
    l.surface = b.surface;
    l.colorMaterial = b.colorMaterial;
    l.frameBox = b.frameBox;
    l.whiteMaterial = b.whiteMaterial;
    for (int i = 0; i < 3; ++i) {
        l.axisLetter[i] = b.axisFirst[i];
        l.axisLetterLength[i] = b.axisLength[i];
        l.axisValue[i] = b.extentFirst[i];
        l.axisValueLength[i] = b.extentLength[i];
    }
    l.dataTop = b.rangeFirst;
    l.dataTopLength = b.rangeLength;
    l.origin = b.baseFirst;
    l.originLength = b.baseLength;
    l.texture = scene.texture;
    l.mesh = scene.mesh;
    l.labelCharWidth = scene.font.charWidth;
    l.labelAscent = scene.font.ascent;
    l.labelDescent = scene.font.descent;
    return l;
}

void StoreLists(View3dData& doc, DocumentScene& scene, const SceneLists& l) {
    GlListBlock& b = *doc.GetGlLists();
    b.surface = l.surface;
    b.colorMaterial = l.colorMaterial;
    b.frameBox = l.frameBox;
    b.whiteMaterial = l.whiteMaterial;
    for (int i = 0; i < 3; ++i) {
        b.axisFirst[i] = l.axisLetter[i];
        b.axisLength[i] = l.axisLetterLength[i];
        b.extentFirst[i] = l.axisValue[i];
        b.extentLength[i] = l.axisValueLength[i];
    }
    b.rangeFirst = l.dataTop;
    b.rangeLength = l.dataTopLength;
    b.baseFirst = l.origin;
    b.baseLength = l.originLength;
    scene.texture = l.texture;
    scene.mesh = l.mesh;
}

void DeleteAllGlLists(View3dData& doc, DocumentScene& scene) {
    SceneLists l = ListsOf(doc, scene);
    DeleteSceneLists(l);
    StoreLists(doc, scene, l);
}

void BuildAllGlLists(View3dData& doc, DocumentScene& scene) {
    SceneLists l = ListsOf(doc, scene);
    DeleteSceneLists(l);
    SceneValues v = SceneValuesOf(doc, scene, true);
    l.surface = BuildSurfaceList(v, scene.extents, l);
    l.colorMaterial = BuildColorMaterialList();
    l.frameBox = BuildFrameBoxList(v, scene.extents);
    l.whiteMaterial = BuildWhiteMaterialList();
    const char* letters[3] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        l.axisLetter[i] = BuildTextLists(scene.font, letters[i], &l.axisLetterLength[i]);
        l.axisValue[i] = BuildTextLists(scene.font, doc.extentTexts[i], &l.axisValueLength[i]);
    }
    l.dataTop = BuildTextLists(scene.font, doc.rangeText, &l.dataTopLength);
    l.origin = BuildTextLists(scene.font, doc.baseText, &l.originLength);
    StoreLists(doc, scene, l);
}

int RebuildGlLists(View3dData& doc, DocumentScene& scene) {
    doc.textureOn = doc.GetViewState()->displayMode == 0 ? 1 : 0;
    SceneLists l = ListsOf(doc, scene);
    auto drop = [](int& id) {
        if (id != 0)
            v3d::gl::Gl().glDeleteLists(static_cast<GLuint>(id), 1);
        id = 0;
    };
    drop(l.colorMaterial);
    drop(l.surface);
    drop(l.frameBox);
    SceneValues v = SceneValuesOf(doc, scene, true);
    l.colorMaterial = BuildColorMaterialList();
    l.surface = BuildSurfaceList(v, scene.extents, l);
    l.frameBox = BuildFrameBoxList(v, scene.extents);
    StoreLists(doc, scene, l);
    return 1;
}

void RenderDocumentScene(View3dData& doc, DocumentScene& scene, float angleX, float angleY, float angleZ,
                         float zoom) {
    SceneValues v = SceneValuesOf(doc, scene, false);
    v.meshImage = nullptr; // drawing reads only the lists
    const SceneLists l = ListsOf(doc, scene);
    RenderScene(v, l, scene.extents, angleX, angleY, angleZ, zoom, doc.pixelFormatOption == 1);
    std::copy(v.rotation, v.rotation + 16, doc.rotationMatrix);
}

} // namespace v3d::scene
