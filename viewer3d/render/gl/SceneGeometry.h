// The geometry of the 3D scene, free of any GL call: world extents, the surface mesh with its
// colour bar, the frame box with grid and arrow heads, label positions and the accumulated turn.
// The mesh and the frame box are issued to a SceneSink; the GL side compiles them into display
// lists, the tests count and measure what arrives.
//
// World space: the larger side of the height image spans 2.56 units; x along the columns, y up
// from the bottom row, z height. The z extent m stands to 2.56 as the real height range to the
// real length of the larger side.
#pragma once

#include "platform/GlobalMemory.h"
#include "viewer3d/render/gl/HeightPalettes.h"

#include <vector>

namespace v3d::scene {

// The values of the document the scene reads.
struct SceneValues {
    int displayMode = 0;         // 0 texture, 1 surface, 2 wireframe
    int paletteIndex = 0;        // HeightPalette table
    int wireframeDivisions = 80; // mesh divisions in wireframe mode
    int rotationMode = 0;        // 1: angles turn about x, y, z; 0: about the screen axes
    int gridShown = 1;           // scale lines of the frame box
    int zAxisFixed = 0;          // the height axis has a fixed real length ...
    double zAxisLength = 1.0;    // ... of this many height units
    double zScaleFactor = 1.0;   // z stretch of the whole scene
    int heightPercentage = 100;  // further z stretch of the surface
    int meshDivisions = 80;      // divisions while dragging
    int fullResolution = 1;      // 0 while the mouse turns the scene
    int textureOn = 1;           // 1 exactly in display mode 0
    int lightW = 0;              // w of the light position (0: directional along +z)
    int imageWidth = 0;          // source size in pixels
    int imageHeight = 0;
    double pitch = 1.0; // length per pixel
    int rawMaximum = 0; // extreme values of the 16-bit height data
    int rawMinimum = 0;
    double zCalibration = 1.0; // height unit per raw step
    int maxRawValue = -1;      // maximum value of the height plane, -1 when not known
    double rotation[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; // column order
    HDIB meshImage = nullptr;    // 8-bit height image the mesh is built from
    HDIB textureImage = nullptr; // 24-bit texture, red first, rows from the bottom
};

// The extents of the scene built last for one document (the document keeps one).
struct SceneExtents {
    double zExtent = 2.0;
    double zHalf = 1.0;
    double xMin = -1.28;
    double yMin = -1.28;
    double zBase = -0.01;
};

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

// Receives the primitives of the scene (GL's begin/end model).
class SceneSink {
public:
    virtual ~SceneSink() = default;
    virtual void PolygonMode(unsigned mode) = 0; // GL_LINE or GL_FILL, both faces
    virtual void LineWidth(float width) = 0;
    virtual void Begin(unsigned primitive) = 0; // GL_TRIANGLE_STRIP, GL_QUADS, GL_LINES, GL_POLYGON
    virtual void End() = 0;
    virtual void TexCoord(float s, float t) = 0;
    virtual void Normal(float x, float y, float z) = 0;
    virtual void Material(const RgbF& colour) = 0; // ambient and diffuse of both faces, alpha 1
    virtual void Vertex(float x, float y, float z) = 0;
};

// m: 2.56 x raw range x z-calibration / (larger side x pitch); 2.56 when that length is not
// above 0.
double ZExtent(const SceneValues& v);

// Texture ratios of the mesh: texture size over height image size (1 without a texture).
struct TextureRatios {
    double rs = 1.0;
    double rt = 1.0;
};

// Issues the surface of the height image (strips from the bottom row up) and, in the colour
// modes, the colour bar; stores the extents. Nothing for a missing image or fewer than 2 rows.
void BuildSurfaceMesh(HDIB heightImage, const SceneValues& v, const TextureRatios& ratios, SceneExtents& ext,
                      SceneSink& sink);

// Issues the axes, the grid (when shown) and the three arrow heads; stores z extent, z half
// and the floor level.
void DrawFrameBox(const SceneValues& v, SceneExtents& ext, SceneSink& sink);

// Normal of a mesh cell from its corners (top left, top right, bottom left, bottom right): the
// mean of the unit normals of its two triangles.
Vec3 CellNormal(const Vec3 corners[4]);

// Lengths of the three axes in world units.
void ComputeAxisLengths(const SceneValues& v, double& x, double& y, double& z);
// Raster positions of the labels (the z-scale factor is in force when they are used).
Vec3 AxisLetterPos(const SceneValues& v, const SceneExtents& ext, int axis);
Vec3 AxisValuePos(const SceneValues& v, const SceneExtents& ext, int axis);
// false: no data-top label (the fixed axis is not above the data's full height).
bool DataTopLabelPos(const SceneValues& v, const SceneExtents& ext, Vec3& pos);
Vec3 OriginLabelPos(const SceneExtents& ext);

// One frame's turn as GL accumulates it: R (the angles as glRotated applies them after an
// identity, in the order of the rotation mode) times the matrix, in column order.
void AccumulateRotation(double matrix[16], int rotationMode, double angleX, double angleY, double angleZ);
// The matrix of glRotated(angle, x, y, z) in column order.
void RotationMatrix(double angle, double x, double y, double z, double out[16]);
// out = a x b (column order; out may be a or b).
void MultiplyMatrix(const double a[16], const double b[16], double out[16]);

// A label's place on the screen (window pixels, y upwards): from the raster position (x, y)
// on its baseline, length characters of the cell given.
struct LabelBox {
    int left = 0, bottom = 0, right = 0, top = 0;
};
LabelBox LabelBoxAt(int x, int y, int length, int charWidth, int ascent, int descent);
// How far a label must move up (positive) or down (negative, pixels) so that it overlaps none
// of the labels placed before it, with a gap of 2 pixels: up when it sits higher than the first
// label it meets, else down.
int LabelShiftClearOf(const LabelBox& box, const std::vector<LabelBox>& placed);

// The matrices and viewport a frame is drawn with (column order, as GL reports them).
struct ScreenView {
    double modelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int viewport[4] = {0, 0, 1, 1};
};
// The window point (pixels, y upwards) of a point of the scene; false when it lies at or behind
// the eye.
bool ToWindow(const ScreenView& view, const Vec3& p, double* x, double* y);
// The window boxes of the three arrow heads of the frame box, which the labels keep clear of
// (in a tilted view an axis's arrow head comes onto the labels at its end).
std::vector<LabelBox> ArrowHeadBoxes(const SceneValues& v, const SceneExtents& ext, const ScreenView& view);

// The places of one frame's labels, in the order the scene draws them: each label moves up or
// down clear of the arrow heads of the frame box and of the labels placed before it.
class LabelPlacer {
public:
    // A character cell of charWidth x (ascent + descent) pixels.
    LabelPlacer(const SceneValues& v, const SceneExtents& ext, const ScreenView& view, int charWidth,
                int ascent, int descent);
    // The label of length characters at the raster position (x, y): how far it moves up
    // (positive) or down; it is then kept among the placed ones.
    int Place(int x, int y, int length);

private:
    std::vector<LabelBox> placed_;
    int charWidth_, ascent_, descent_;
};

} // namespace v3d::scene
