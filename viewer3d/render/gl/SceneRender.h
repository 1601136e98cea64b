// Drawing the 3D scene with OpenGL through the bound entry points: the fixed state, the light,
// the projection, the display lists of the scene and one frame. Every function runs on the UI
// thread with the target context current and the binding complete (IsOpenGlBound).
#pragma once

#include "viewer3d/render/gl/SceneGeometry.h"
#include "viewer3d/render/gl/SurfaceArrays.h"

#include <memory>
#include <string>
#include <vector>

struct _XDisplay;

namespace v3d::scene {

// The surface's triangles as vertex arrays of the current share group: in buffer objects when
// the binding has them, else in memory; drawn after the surface list, followed by the tail list
// (what the mesh issues after its strips: the colour bar).
//
// The software renderer spends most of a frame on per-triangle work that two-sided lighting
// adds; where the picture does not need it, the arrays are drawn without it, to the same pixels:
// - decal: the texture replaces the lit colour (alpha is 1 either way), so no lighting at all;
// - twoPass: filled and lit by a directional light, front faces are drawn lit one-sided, then
//   back faces with the light reversed, which is what two-sided lighting gives them (-n.l = n.-l;
//   the materials of both faces are the same and have no specular part).
struct SurfaceMesh {
    int tail = 0;
    unsigned vertexBuffer = 0;
    unsigned indexBuffer = 0;
    int indexCount = 0;
    bool textured = false;
    bool decal = false;
    bool twoPass = false;
    std::shared_ptr<const SurfaceArrays> memory;
};

// Display-list ids of one document's scene (0 = none), the texture object the surface list
// binds and the surface's arrays.
struct SceneLists {
    int surface = 0;
    int colorMaterial = 0;
    int frameBox = 0;
    int whiteMaterial = 0;
    int axisLetter[3] = {0, 0, 0};
    int axisLetterLength[3] = {0, 0, 0};
    int axisValue[3] = {0, 0, 0};
    int axisValueLength[3] = {0, 0, 0};
    int dataTop = 0;
    int dataTopLength = 0;
    int origin = 0;
    int originLength = 0;
    unsigned texture = 0;
    SurfaceMesh mesh;
    // The character cell of the label font in pixels (0: labels are not kept apart).
    int labelCharWidth = 0, labelAscent = 0, labelDescent = 0;
};

// Fixed state of a new context: black clear colour, depth test (less), smooth lines, alpha
// blending, the light, model-view matrix mode.
void InitGlState(const SceneValues& v);
// Two-sided lighting with one white light at (0, 0, 7, w).
void SetupLights(const SceneValues& v);
// Viewport and a 40-degree perspective (aspect 1.0 when either side is 0) seen from 7 units.
void SetupViewport(int width, int height);

// One frame into the current buffer (no swap, no flush): the angles turn the accumulated
// rotation matrix of v once (AccumulateRotation, done by GL and read back), then the lists are
// drawn. drawBackBuffer selects GL_BACK first.
void RenderScene(SceneValues& v, const SceneLists& lists, const SceneExtents& ext, float angleX, float angleY,
                 float angleZ, float zoom, bool drawBackBuffer = false);

// The list builders; each gives its new list id, 0 when no list could be generated.
int BuildColorMaterialList();
int BuildWhiteMaterialList();
// The surface mesh of v.meshImage. In texture mode with a texture image, the texture is
// uploaded here once, into lists.texture (a previous texture object is deleted), and the list
// only binds it. The strips go into lists.mesh (the previous arrays are deleted); the list holds
// the state before them, the mesh's tail list what follows them.
int BuildSurfaceList(const SceneValues& v, SceneExtents& ext, SceneLists& lists);
// Draws the surface's arrays with one call (the colours as the ambient and diffuse material of
// both faces) and its tail list.
void DrawSurfaceMesh(const SurfaceMesh& mesh);
void DeleteSurfaceMesh(SurfaceMesh& mesh);
int BuildFrameBoxList(const SceneValues& v, SceneExtents& ext);

// Uploads v.textureImage (24-bit, red first, rows from the bottom padded to four bytes) with
// mipmaps into a new texture object and leaves it bound and enabled; 0 without an image.
unsigned UploadTexture(const SceneValues& v);
// Deletes every list of the block and the texture object and sets them to 0.
void DeleteSceneLists(SceneLists& lists);

// The font of the labels: an X core font of the display (null display or font 0: none).
struct LabelFont {
    ::_XDisplay* display = nullptr;
    unsigned long font = 0;
    int charWidth = 0, ascent = 0, descent = 0; // the widest character's cell
};

// Loads the label font (a 13-pixel fixed font, else "fixed"); font 0 when none loads.
LabelFont LoadLabelFont(::_XDisplay* display);
void FreeLabelFont(LabelFont& font);
// One bitmap list per byte of the text; the first id, 0 (and length 0) when no lists could be
// generated or there is no font.
int BuildTextLists(const LabelFont& font, const std::string& text, int* length);

} // namespace v3d::scene
