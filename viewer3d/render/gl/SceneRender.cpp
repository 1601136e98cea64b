#include "viewer3d/render/gl/SceneRender.h"

#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <X11/Xlib.h>

#include <cstddef>
#include <cstdint>
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

// The light's position in eye coordinates set as it is (with an identity model-view).
void setLightPosition(const GLfloat position[4]) {
    auto& g = Gl();
    g.glPushMatrix();
    g.glLoadIdentity();
    g.glLightfv(GL_LIGHT2, GL_POSITION, position);
    g.glPopMatrix();
}

void drawTriangles(const SurfaceMesh& mesh, const void* indices) {
    auto& g = Gl();
    const GLsizei n = mesh.indexCount;
    if (mesh.decal) {
        g.glDisable(GL_LIGHTING);
        g.glDrawElements(GL_TRIANGLES, n, GL_UNSIGNED_INT, indices);
        g.glEnable(GL_LIGHTING);
    } else if (mesh.twoPass) {
        GLfloat light[4] = {0, 0, 0, 0};
        g.glGetLightfv(GL_LIGHT2, GL_POSITION, light);
        const GLfloat reversed[4] = {-light[0], -light[1], -light[2], light[3]};
        g.glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
        g.glEnable(GL_CULL_FACE);
        g.glCullFace(GL_BACK);
        g.glDrawElements(GL_TRIANGLES, n, GL_UNSIGNED_INT, indices);
        setLightPosition(reversed);
        g.glCullFace(GL_FRONT);
        g.glDrawElements(GL_TRIANGLES, n, GL_UNSIGNED_INT, indices);
        setLightPosition(light);
        g.glDisable(GL_CULL_FACE);
        g.glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    } else {
        g.glDrawElements(GL_TRIANGLES, n, GL_UNSIGNED_INT, indices);
    }
}

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
        DrawSurfaceMesh(lists.mesh);
    }
    g.glDisable(GL_TEXTURE_2D);
    g.glCallList(static_cast<GLuint>(lists.whiteMaterial));
    g.glCallList(static_cast<GLuint>(lists.frameBox));
    // The labels are drawn over the scene, so that the surface never hides one, and each is
    // moved up or down clear of the arrow heads and of the labels drawn before it.
    g.glDisable(GL_DEPTH_TEST);
    ScreenView view;
    g.glGetDoublev(GL_MODELVIEW_MATRIX, view.modelview);
    g.glGetDoublev(GL_PROJECTION_MATRIX, view.projection);
    g.glGetIntegerv(GL_VIEWPORT, view.viewport);
    LabelPlacer placer(v, ext, view, lists.labelCharWidth, lists.labelAscent, lists.labelDescent);
    auto label = [&](int base, int length) {
        GLint valid = 0;
        g.glGetIntegerv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
        if (valid && base != 0 && length > 0 && lists.labelCharWidth > 0) {
            GLint at[4] = {0, 0, 0, 0};
            g.glGetIntegerv(GL_CURRENT_RASTER_POSITION, at);
            if (const int shift = placer.Place(at[0], at[1], length); shift != 0)
                g.glBitmap(0, 0, 0, 0, 0, static_cast<GLfloat>(shift), nullptr);
        }
        callLists(base, length);
    };
    // The origin first: the values of the axes give way to it.
    rasterPos(OriginLabelPos(ext));
    label(lists.origin, lists.originLength);
    for (int axis = 0; axis < 3; ++axis) {
        rasterPos(AxisLetterPos(v, ext, axis));
        label(lists.axisLetter[axis], lists.axisLetterLength[axis]);
    }
    for (int axis = 0; axis < 3; ++axis) {
        rasterPos(AxisValuePos(v, ext, axis));
        label(lists.axisValue[axis], lists.axisValueLength[axis]);
    }
    Vec3 top;
    if (DataTopLabelPos(v, ext, top)) {
        if (v.zAxisFixed)
            rasterPos(top);
        label(lists.dataTop, lists.dataTopLength);
    }
    g.glEnable(GL_DEPTH_TEST);
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
    DeleteSurfaceMesh(lists.mesh);
    GLuint id = g.glGenLists(1);
    if (id == 0)
        return 0;
    SurfaceCollector mesh(textured);
    BuildSurfaceMesh(v.meshImage, v, ratios, ext, mesh);
    GlSink sink;
    g.glNewList(id, GL_COMPILE);
    if (textured && lists.texture) {
        g.glBindTexture(GL_TEXTURE_2D, lists.texture);
        g.glEnable(GL_TEXTURE_2D);
    } else {
        g.glDisable(GL_TEXTURE_2D);
    }
    Replay(mesh.before, sink);
    g.glEndList();
    SurfaceMesh& m = lists.mesh;
    if (GLuint tail = g.glGenLists(1)) {
        g.glNewList(tail, GL_COMPILE);
        Replay(mesh.after, sink);
        g.glEndList();
        m.tail = static_cast<int>(tail);
    }
    m.textured = textured;
    m.decal = textured && lists.texture != 0;
    m.twoPass = !m.decal && v.displayMode != 2 && v.lightW == 0;
    m.indexCount = static_cast<int>(mesh.arrays.indices.size());
    if (m.indexCount > 0 && v3d::gl::HasBufferObjects()) {
        GLuint buffers[2] = {0, 0};
        g.glGenBuffers(2, buffers);
        m.vertexBuffer = buffers[0];
        m.indexBuffer = buffers[1];
        g.glBindBuffer(GL_ARRAY_BUFFER, m.vertexBuffer);
        g.glBufferData(GL_ARRAY_BUFFER,
                       static_cast<std::ptrdiff_t>(mesh.arrays.vertices.size() * sizeof(float)),
                       mesh.arrays.vertices.data(), GL_STATIC_DRAW);
        g.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m.indexBuffer);
        g.glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                       static_cast<std::ptrdiff_t>(mesh.arrays.indices.size() * sizeof(uint32_t)),
                       mesh.arrays.indices.data(), GL_STATIC_DRAW);
        g.glBindBuffer(GL_ARRAY_BUFFER, 0);
        g.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    } else if (m.indexCount > 0) {
        m.memory = std::make_shared<const SurfaceArrays>(std::move(mesh.arrays));
    }
    return static_cast<int>(id);
}

void DrawSurfaceMesh(const SurfaceMesh& mesh) {
    auto& g = Gl();
    const bool buffered = mesh.vertexBuffer != 0 && mesh.indexBuffer != 0;
    if (mesh.indexCount > 0 && (buffered || mesh.memory)) {
        // Offsets into the bound buffers, or addresses of the arrays in memory.
        const uintptr_t base = buffered ? 0 : reinterpret_cast<uintptr_t>(mesh.memory->vertices.data());
        const void* indices = buffered ? nullptr : mesh.memory->indices.data();
        auto at = [base](int floats) { return reinterpret_cast<const void*>(base + floats * sizeof(float)); };
        if (buffered) {
            g.glBindBuffer(GL_ARRAY_BUFFER, mesh.vertexBuffer);
            g.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
        }
        g.glEnableClientState(GL_VERTEX_ARRAY);
        if (mesh.textured) {
            const GLsizei stride = 5 * sizeof(float);
            g.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            g.glTexCoordPointer(2, GL_FLOAT, stride, at(0));
            g.glVertexPointer(3, GL_FLOAT, stride, at(2));
        } else {
            // Each vertex's colour is the ambient and diffuse material of both faces.
            const GLsizei stride = 9 * sizeof(float);
            g.glEnableClientState(GL_COLOR_ARRAY);
            g.glEnableClientState(GL_NORMAL_ARRAY);
            g.glColorPointer(3, GL_FLOAT, stride, at(0));
            g.glNormalPointer(GL_FLOAT, stride, at(3));
            g.glVertexPointer(3, GL_FLOAT, stride, at(6));
            g.glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
            g.glEnable(GL_COLOR_MATERIAL);
        }
        drawTriangles(mesh, indices);
        if (!mesh.textured) {
            g.glDisable(GL_COLOR_MATERIAL);
            g.glDisableClientState(GL_COLOR_ARRAY);
            g.glDisableClientState(GL_NORMAL_ARRAY);
        }
        g.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        g.glDisableClientState(GL_VERTEX_ARRAY);
        if (buffered) {
            g.glBindBuffer(GL_ARRAY_BUFFER, 0);
            g.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        }
    }
    if (mesh.tail != 0)
        g.glCallList(static_cast<GLuint>(mesh.tail));
}

void DeleteSurfaceMesh(SurfaceMesh& mesh) {
    auto& g = Gl();
    if (mesh.tail != 0)
        g.glDeleteLists(static_cast<GLuint>(mesh.tail), 1);
    const GLuint buffers[2] = {mesh.vertexBuffer, mesh.indexBuffer};
    if ((buffers[0] || buffers[1]) && g.glDeleteBuffers)
        g.glDeleteBuffers(2, buffers);
    mesh = SurfaceMesh{};
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
    DeleteSurfaceMesh(lists.mesh);
}

LabelFont LoadLabelFont(::_XDisplay* display) {
    LabelFont f;
    if (!display)
        return f;
    f.display = display;
    for (const char* name : {"-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso8859-1", "fixed"}) {
        if (XFontStruct* info = XLoadQueryFont(display, name)) {
            f.font = info->fid;
            f.charWidth = info->max_bounds.width;
            f.ascent = info->ascent;
            f.descent = info->descent;
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
