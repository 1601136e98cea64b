#include "viewer3d/render/gl/SceneRender.h"

#include "viewer3d/core/Dib.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace v3d::scene {
namespace {

using v3d::gl::Gl;

class GlSink final : public SceneSink {
public:
    void PolygonMode(unsigned mode) override { Gl().glPolygonMode(GL_FRONT_AND_BACK, mode); }
    void LineWidth(float width) override { Gl().glLineWidth(width); }
    void Begin(unsigned primitive) override { Gl().glBegin(primitive); }
    void End() override { Gl().glEnd(); }
    void TexCoord(float s, float t) override { Gl().glTexCoord2f(s, t); }
    void Normal(float x, float y, float z) override { Gl().glNormal3f(x, y, z); }
    void Material(const RgbF& c) override {
        const GLfloat colour[4] = {c.r, c.g, c.b, 1.0f};
        Gl().glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, colour);
    }
    void Vertex(float x, float y, float z) override { Gl().glVertex3f(x, y, z); }
};

void rasterPos(const Vec3& p) {
    Gl().glRasterPos3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
}

void callLists(int base, int length) {
    for (int i = 0; i < length; ++i)
        Gl().glCallList(static_cast<GLuint>(base + i));
}

void deleteList(int& id) {
    if (id != 0)
        Gl().glDeleteLists(static_cast<GLuint>(id), 1);
    id = 0;
}

void deleteText(int& base, int& length) {
    for (int i = 0; base != 0 && i < length; ++i)
        Gl().glDeleteLists(static_cast<GLuint>(base + i), 1);
    base = 0;
    length = 0;
}

} // namespace

void InitGlState(const SceneValues& v) {
    auto& g = Gl();
    g.glClearColor(0, 0, 0, 0);
    g.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g.glClearDepth(1.0);
    g.glDepthFunc(GL_LESS);
    g.glEnable(GL_DEPTH_TEST);
    g.glEnable(GL_LINE_SMOOTH);
    g.glEnable(GL_BLEND);
    g.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    SetupLights(v);
    g.glMatrixMode(GL_MODELVIEW);
}

void SetupLights(const SceneValues& v) {
    auto& g = Gl();
    g.glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    g.glEnable(GL_LIGHTING);
    const GLfloat white[4] = {1, 1, 1, 1};
    const GLfloat position[4] = {0, 0, 7, static_cast<GLfloat>(v.lightW)};
    g.glLightfv(GL_LIGHT2, GL_AMBIENT, white);
    g.glLightfv(GL_LIGHT2, GL_DIFFUSE, white);
    g.glLightfv(GL_LIGHT2, GL_SPECULAR, white);
    g.glLightfv(GL_LIGHT2, GL_POSITION, position);
    g.glEnable(GL_LIGHT2);
}

void SetupViewport(int width, int height) {
    auto& g = Gl();
    g.glViewport(0, 0, width, height);
    g.glMatrixMode(GL_PROJECTION);
    g.glLoadIdentity();
    const double aspect = width > 0 && height > 0 ? static_cast<double>(width) / height : 1.0;
    g.gluPerspective(40.0, aspect, 0.001, 30.0);
    g.glTranslated(0.0, 0.0, -7.0);
    g.glMatrixMode(GL_MODELVIEW);
    g.glLoadIdentity();
}

void RenderScene(SceneValues& v, const SceneLists& lists, const SceneExtents& ext, float angleX, float angleY,
                 float angleZ, float zoom, bool drawBackBuffer) {
    auto& g = Gl();
    if (drawBackBuffer)
        g.glDrawBuffer(GL_BACK);
    g.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g.glPushMatrix();
    g.glTranslatef(0, 0, zoom);

    g.glPushMatrix();
    g.glLoadIdentity();
    if (v.rotationMode) {
        g.glRotated(angleX, 1, 0, 0);
        g.glRotated(angleY, 0, 1, 0);
        g.glRotated(angleZ, 0, 0, 1);
    } else {
        g.glRotated(angleX, 0, -1, 0);
        g.glRotated(angleY, -1, 0, 0);
    }
    g.glMultMatrixd(v.rotation);
    g.glGetDoublev(GL_MODELVIEW_MATRIX, v.rotation);
    g.glPopMatrix();

    g.glMultMatrixd(v.rotation);
    g.glScaled(1, 1, v.zScaleFactor);
    if (lists.surface != 0) {
        g.glCallList(static_cast<GLuint>(lists.colorMaterial));
        g.glCallList(static_cast<GLuint>(lists.surface));
    }
    g.glDisable(GL_TEXTURE_2D);
    g.glCallList(static_cast<GLuint>(lists.whiteMaterial));
    g.glCallList(static_cast<GLuint>(lists.frameBox));
    for (int axis = 0; axis < 3; ++axis) {
        rasterPos(AxisLetterPos(v, ext, axis));
        callLists(lists.axisLetter[axis], lists.axisLetterLength[axis]);
    }
    for (int axis = 0; axis < 3; ++axis) {
        rasterPos(AxisValuePos(v, ext, axis));
        callLists(lists.axisValue[axis], lists.axisValueLength[axis]);
    }
    Vec3 top;
    if (DataTopLabelPos(v, ext, top)) {
        if (v.zAxisFixed)
            rasterPos(top);
        callLists(lists.dataTop, lists.dataTopLength);
    }
    rasterPos(OriginLabelPos(ext));
    callLists(lists.origin, lists.originLength);
    if (v.zScaleFactor != 0)
        g.glScaled(1, 1, 1.0 / v.zScaleFactor);
    g.glPopMatrix();
}

int BuildColorMaterialList() {
    auto& g = Gl();
    GLuint id = g.glGenLists(1);
    if (id == 0)
        return 0;
    const GLfloat specular[4] = {0, 0, 0, 1};
    const GLfloat emission[4] = {0, 0, 0, 0};
    const GLfloat shininess[1] = {33.0f};
    g.glNewList(id, GL_COMPILE);
    g.glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    g.glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    g.glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    g.glEndList();
    return static_cast<int>(id);
}

int BuildWhiteMaterialList() {
    auto& g = Gl();
    GLuint id = g.glGenLists(1);
    if (id == 0)
        return 0;
    const GLfloat white[4] = {1, 1, 1, 1};
    const GLfloat shininess[1] = {33.0f};
    g.glNewList(id, GL_COMPILE);
    g.glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
    g.glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
    g.glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    g.glEndList();
    return static_cast<int>(id);
}

unsigned UploadTexture(const SceneValues& v) {
    GlobalLockGuard lock(v.textureImage);
    void* block = lock.get();
    if (!block || DibGetBitCount(block) != 24)
        return 0;
    const int w = DibGetWidth(block);
    const int h = std::abs(static_cast<int>(DibGetHeight(block)));
    if (w < 1 || h < 1)
        return 0;
    auto& g = Gl();
    GLuint texture = 0;
    g.glGenTextures(1, &texture);
    if (texture == 0)
        return 0;
    g.glBindTexture(GL_TEXTURE_2D, texture);
    g.glEnable(GL_TEXTURE_2D);
    g.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    g.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    g.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    g.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    g.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    // The rows of the bitmap are padded to four bytes: an alignment of 1 would skew every
    // texture whose row is not a multiple of four bytes long.
    g.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    g.gluBuild2DMipmaps(GL_TEXTURE_2D, 3, w, h, GL_RGB, GL_UNSIGNED_BYTE, v3d::DibGetBits(block));
    return texture;
}

int BuildSurfaceList(const SceneValues& v, SceneExtents& ext, SceneLists& lists) {
    auto& g = Gl();
    TextureRatios ratios;
    const bool textured = v.textureOn == 1;
    if (lists.texture != 0) {
        g.glDeleteTextures(1, &lists.texture);
        lists.texture = 0;
    }
    if (textured && v.textureImage) {
        lists.texture = UploadTexture(v);
        GlobalLockGuard tex(v.textureImage), mesh(v.meshImage);
        if (lists.texture && tex && mesh) {
            ratios.rs = static_cast<double>(DibGetWidth(tex.get())) / DibGetWidth(mesh.get());
            ratios.rt = static_cast<double>(std::abs(static_cast<int>(DibGetHeight(tex.get())))) /
                        std::abs(static_cast<int>(DibGetHeight(mesh.get())));
        }
    }
    GLuint id = g.glGenLists(1);
    if (id == 0)
        return 0;
    g.glNewList(id, GL_COMPILE);
    if (textured && lists.texture) {
        g.glBindTexture(GL_TEXTURE_2D, lists.texture);
        g.glEnable(GL_TEXTURE_2D);
    } else {
        g.glDisable(GL_TEXTURE_2D);
    }
    GlSink sink;
    BuildSurfaceMesh(v.meshImage, v, ratios, ext, sink);
    g.glEndList();
    return static_cast<int>(id);
}

int BuildFrameBoxList(const SceneValues& v, SceneExtents& ext) {
    auto& g = Gl();
    GLuint id = g.glGenLists(1);
    if (id == 0)
        return 0;
    g.glNewList(id, GL_COMPILE);
    GlSink sink;
    DrawFrameBox(v, ext, sink);
    g.glEndList();
    return static_cast<int>(id);
}

void DeleteSceneLists(SceneLists& lists) {
    deleteList(lists.surface);
    deleteList(lists.colorMaterial);
    deleteList(lists.frameBox);
    deleteList(lists.whiteMaterial);
    for (int i = 0; i < 3; ++i)
        deleteText(lists.axisLetter[i], lists.axisLetterLength[i]);
    for (int i = 0; i < 3; ++i)
        deleteText(lists.axisValue[i], lists.axisValueLength[i]);
    deleteText(lists.dataTop, lists.dataTopLength);
    deleteText(lists.origin, lists.originLength);
    if (lists.texture != 0)
        Gl().glDeleteTextures(1, &lists.texture);
    lists.texture = 0;
}

LabelFont LoadLabelFont(::_XDisplay* display) {
    LabelFont f;
    if (!display)
        return f;
    f.display = display;
    for (const char* name : {"-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso8859-1", "fixed"}) {
        if (XFontStruct* info = XLoadQueryFont(display, name)) {
            f.font = info->fid;
            XFreeFontInfo(nullptr, info, 1);
            break;
        }
    }
    return f;
}

void FreeLabelFont(LabelFont& font) {
    if (font.display && font.font)
        XUnloadFont(font.display, font.font);
    font.font = 0;
}

int BuildTextLists(const LabelFont& font, const std::string& text, int* length) {
    if (length)
        *length = 0;
    const int n = static_cast<int>(text.size());
    if (n == 0 || !font.font)
        return 0;
    GLuint base = Gl().glGenLists(n);
    if (base == 0)
        return 0;
    for (int i = 0; i < n; ++i)
        Gl().glXUseXFont(font.font, static_cast<unsigned char>(text[i]), 1, static_cast<int>(base) + i);
    if (length)
        *length = n;
    return static_cast<int>(base);
}

} // namespace v3d::scene
