// The 3D scene of one document: reads the values the scene needs from the document's data,
// builds its display lists into the document's list block and draws a frame with its
// accumulated turn. Each document keeps one DocumentScene, so labels always use the extents
// of their own document's scene.
#pragma once

#include "viewer3d/core/data/View3dData.h"
#include "viewer3d/render/gl/SceneRender.h"

namespace v3d::scene {

struct DocumentScene {
    SceneExtents extents; // of the scene built last for this document
    unsigned texture = 0; // texture object the surface list binds
    SurfaceMesh mesh;     // the surface's arrays, drawn after the surface list
    LabelFont font;       // font of the text lists (none: the texts are left out)
    int rawMaximum = 0;   // extremes of the height plane when the lists were built
    int rawMinimum = 0;
};

// The values of the document's data (the rotation matrix is copied in; the mesh image is the
// levelled height image, else the height display image). The raw extremes are those of the
// height plane (0 and 0 without one), scanned when scan is set, else those of the scene.
SceneValues SceneValuesOf(View3dData& doc, DocumentScene& scene, bool scan);

// The document's list block as the builders keep it, and back.
SceneLists ListsOf(View3dData& doc, const DocumentScene& scene);
void StoreLists(View3dData& doc, DocumentScene& scene, const SceneLists& lists);

// Builds every list and text list of the document in the current context (lists held before
// are deleted first).
void BuildAllGlLists(View3dData& doc, DocumentScene& scene);
// Sets the texture flag from the display mode and rebuilds the colour-material, surface and
// frame-box lists. 1.
int RebuildGlLists(View3dData& doc, DocumentScene& scene);
// Deletes every list of the document and its texture.
void DeleteAllGlLists(View3dData& doc, DocumentScene& scene);

// One frame of the document (see RenderScene); the accumulated turn is stored back.
void RenderDocumentScene(View3dData& doc, DocumentScene& scene, float angleX, float angleY, float angleZ,
                         float zoom);

} // namespace v3d::scene
