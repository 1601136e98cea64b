// The 3D viewer's table of OpenGL, GLU and GLX entry points, bound by name at start-up from the
// system's libraries (never linked): every GL call of the viewer goes through this table.
//
// Slots 1..75 come from the GL library, 76..81 from the GLU library, in the order below; the
// window-system slots take their GLX counterparts (font bitmaps: glXUseXFont; list sharing is
// done at context creation: glXCreateNewContext). Extra names follow slot 81: texture objects
// and the calls off-screen rendering, the surface's vertex arrays and the tests need, looked up
// through glXGetProcAddressARB (the GL library need not export them). Framebuffer-object names
// are optional: without them off-screen rendering falls back to the back buffer; so are
// buffer-object names: without them the surface's arrays are drawn from memory.
//
// Binding fails (LoadOpenGl gives 0) when a library cannot be loaded or any name the viewer
// calls is missing, so a partly bound table is never used for drawing.
#pragma once

#include "platform/WinTypes.h"

#include <GL/gl.h>

#include <cstddef>
#include <string>

// The window-system types of the GLX slots, declared as the X and GLX headers declare them
// (those headers define macros that clash with ordinary names, so they stay in sources).
struct _XDisplay;
struct __GLXcontextRec;
struct __GLXFBConfigRec;

namespace v3d::gl {

using XDisplay = ::_XDisplay;
using XContext = ::__GLXcontextRec*;
using XFbConfig = ::__GLXFBConfigRec*;
using XId = unsigned long; // fonts and drawables
using XBool = int;

// X(slot name, return type, parameter list, library 0 GL / 1 GLU / 2 extra, called by the viewer)
#define V3D_GL_SLOTS(X)                                                                                      \
    X(glBegin, void, (GLenum), 0, 1)                                                                         \
    X(glBlendFunc, void, (GLenum, GLenum), 0, 1)                                                             \
    X(glCallList, void, (GLuint), 0, 1)                                                                      \
    X(glClear, void, (GLbitfield), 0, 1)                                                                     \
    X(glClearColor, void, (GLclampf, GLclampf, GLclampf, GLclampf), 0, 1)                                    \
    X(glClearDepth, void, (GLclampd), 0, 1)                                                                  \
    X(glClipPlane, void, (GLenum, const GLdouble*), 0, 0)                                                    \
    X(glColor3d, void, (GLdouble, GLdouble, GLdouble), 0, 0)                                                 \
    X(glColor3f, void, (GLfloat, GLfloat, GLfloat), 0, 0)                                                    \
    X(glColorMaterial, void, (GLenum, GLenum), 0, 1)                                                         \
    X(glDeleteLists, void, (GLuint, GLsizei), 0, 1)                                                          \
    X(glDepthFunc, void, (GLenum), 0, 1)                                                                     \
    X(glDisable, void, (GLenum), 0, 1)                                                                       \
    X(glDrawBuffer, void, (GLenum), 0, 1)                                                                    \
    X(glEnable, void, (GLenum), 0, 1)                                                                        \
    X(glEnd, void, (), 0, 1)                                                                                 \
    X(glEndList, void, (), 0, 1)                                                                             \
    X(glFlush, void, (), 0, 1)                                                                               \
    X(glGenLists, GLuint, (GLsizei), 0, 1)                                                                   \
    X(glGetBooleanv, void, (GLenum, GLboolean*), 0, 0)                                                       \
    X(glGetDoublev, void, (GLenum, GLdouble*), 0, 1)                                                         \
    X(glGetError, GLenum, (), 0, 0)                                                                          \
    X(glGetFloatv, void, (GLenum, GLfloat*), 0, 0)                                                           \
    X(glGetIntegerv, void, (GLenum, GLint*), 0, 1)                                                           \
    X(glGetMaterialfv, void, (GLenum, GLenum, GLfloat*), 0, 0)                                               \
    X(glInitNames, void, (), 0, 0)                                                                           \
    X(glLightfv, void, (GLenum, GLenum, const GLfloat*), 0, 1)                                               \
    X(glLightModeli, void, (GLenum, GLint), 0, 1)                                                            \
    X(glLineStipple, void, (GLint, GLushort), 0, 0)                                                          \
    X(glLineWidth, void, (GLfloat), 0, 1)                                                                    \
    X(glLoadIdentity, void, (), 0, 1)                                                                        \
    X(glLoadName, void, (GLuint), 0, 0)                                                                      \
    X(glMaterialf, void, (GLenum, GLenum, GLfloat), 0, 0)                                                    \
    X(glMaterialfv, void, (GLenum, GLenum, const GLfloat*), 0, 1)                                            \
    X(glMateriali, void, (GLenum, GLenum, GLint), 0, 0)                                                      \
    X(glMaterialiv, void, (GLenum, GLenum, const GLint*), 0, 0)                                              \
    X(glMatrixMode, void, (GLenum), 0, 1)                                                                    \
    X(glMultMatrixd, void, (const GLdouble*), 0, 1)                                                          \
    X(glNewList, void, (GLuint, GLenum), 0, 1)                                                               \
    X(glNormal3f, void, (GLfloat, GLfloat, GLfloat), 0, 1)                                                   \
    X(glOrtho, void, (GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble), 0, 0)                     \
    X(glPixelStoref, void, (GLenum, GLfloat), 0, 0)                                                          \
    X(glPixelStorei, void, (GLenum, GLint), 0, 1)                                                            \
    X(glPolygonMode, void, (GLenum, GLenum), 0, 1)                                                           \
    X(glPopMatrix, void, (), 0, 1)                                                                           \
    X(glPushMatrix, void, (), 0, 1)                                                                          \
    X(glPushName, void, (GLuint), 0, 0)                                                                      \
    X(glRasterPos3f, void, (GLfloat, GLfloat, GLfloat), 0, 1)                                                \
    X(glReadPixels, void, (GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid*), 0, 1)                   \
    X(glRectd, void, (GLdouble, GLdouble, GLdouble, GLdouble), 0, 0)                                         \
    X(glRectf, void, (GLfloat, GLfloat, GLfloat, GLfloat), 0, 0)                                             \
    X(glRecti, void, (GLint, GLint, GLint, GLint), 0, 0)                                                     \
    X(glRenderMode, GLint, (GLenum), 0, 0)                                                                   \
    X(glRotated, void, (GLdouble, GLdouble, GLdouble, GLdouble), 0, 1)                                       \
    X(glRotatef, void, (GLfloat, GLfloat, GLfloat, GLfloat), 0, 0)                                           \
    X(glScaled, void, (GLdouble, GLdouble, GLdouble), 0, 1)                                                  \
    X(glScalef, void, (GLfloat, GLfloat, GLfloat), 0, 0)                                                     \
    X(glSelectBuffer, void, (GLsizei, GLuint*), 0, 0)                                                        \
    X(glShadeModel, void, (GLenum), 0, 0)                                                                    \
    X(glTexCoord2f, void, (GLfloat, GLfloat), 0, 1)                                                          \
    X(glTexEnvi, void, (GLenum, GLenum, GLint), 0, 1)                                                        \
    X(glTexParameteri, void, (GLenum, GLenum, GLint), 0, 1)                                                  \
    X(glTranslated, void, (GLdouble, GLdouble, GLdouble), 0, 1)                                              \
    X(glTranslatef, void, (GLfloat, GLfloat, GLfloat), 0, 1)                                                 \
    X(glVertex3d, void, (GLdouble, GLdouble, GLdouble), 0, 0)                                                \
    X(glVertex3f, void, (GLfloat, GLfloat, GLfloat), 0, 1)                                                   \
    X(glVertex3i, void, (GLint, GLint, GLint), 0, 0)                                                         \
    X(glViewport, void, (GLint, GLint, GLsizei, GLsizei), 0, 1)                                              \
    X(glXCreateContext, XContext, (XDisplay*, void*, XContext, XBool), 0, 1)                                 \
    X(glXDestroyContext, void, (XDisplay*, XContext), 0, 1)                                                  \
    X(glXGetCurrentContext, XContext, (), 0, 0)                                                              \
    X(glXGetCurrentDrawable, XId, (), 0, 0)                                                                  \
    X(glXMakeCurrent, XBool, (XDisplay*, XId, XContext), 0, 1)                                               \
    X(glXCreateNewContext, XContext, (XDisplay*, XFbConfig, int, XContext, XBool), 0, 1)                     \
    X(glXUseXFont, void, (XId, int, int, int), 0, 1)                                                         \
    X(gluBuild2DMipmaps, GLint, (GLenum, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*), 1, 1)        \
    X(gluLookAt, void,                                                                                       \
      (GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble), 1, 0)      \
    X(gluPerspective, void, (GLdouble, GLdouble, GLdouble, GLdouble), 1, 1)                                  \
    X(gluPickMatrix, void, (GLdouble, GLdouble, GLdouble, GLdouble, GLint*), 1, 0)                           \
    X(gluProject, GLint,                                                                                     \
      (GLdouble, GLdouble, GLdouble, const GLdouble*, const GLdouble*, const GLint*, GLdouble*, GLdouble*,   \
       GLdouble*),                                                                                           \
      1, 0)                                                                                                  \
    X(gluUnProject, GLint,                                                                                   \
      (GLdouble, GLdouble, GLdouble, const GLdouble*, const GLdouble*, const GLint*, GLdouble*, GLdouble*,   \
       GLdouble*),                                                                                           \
      1, 0)                                                                                                  \
    X(glGenTextures, void, (GLsizei, GLuint*), 2, 1)                                                         \
    X(glBindTexture, void, (GLenum, GLuint), 2, 1)                                                           \
    X(glDeleteTextures, void, (GLsizei, const GLuint*), 2, 1)                                                \
    X(glFinish, void, (), 2, 1)                                                                              \
    X(glReadBuffer, void, (GLenum), 2, 1)                                                                    \
    X(glGetString, const GLubyte*, (GLenum), 2, 1)                                                           \
    X(glXChooseVisual, void*, (XDisplay*, int, int*), 2, 1)                                                  \
    X(glXSwapBuffers, void, (XDisplay*, XId), 2, 1)                                                          \
    X(glGenFramebuffers, void, (GLsizei, GLuint*), 2, 0)                                                     \
    X(glBindFramebuffer, void, (GLenum, GLuint), 2, 0)                                                       \
    X(glDeleteFramebuffers, void, (GLsizei, const GLuint*), 2, 0)                                            \
    X(glGenRenderbuffers, void, (GLsizei, GLuint*), 2, 0)                                                    \
    X(glBindRenderbuffer, void, (GLenum, GLuint), 2, 0)                                                      \
    X(glDeleteRenderbuffers, void, (GLsizei, const GLuint*), 2, 0)                                           \
    X(glRenderbufferStorage, void, (GLenum, GLenum, GLsizei, GLsizei), 2, 0)                                 \
    X(glFramebufferRenderbuffer, void, (GLenum, GLenum, GLenum, GLuint), 2, 0)                               \
    X(glCheckFramebufferStatus, GLenum, (GLenum), 2, 0)                                                      \
    X(glVertexPointer, void, (GLint, GLenum, GLsizei, const void*), 2, 1)                                    \
    X(glNormalPointer, void, (GLenum, GLsizei, const void*), 2, 1)                                           \
    X(glColorPointer, void, (GLint, GLenum, GLsizei, const void*), 2, 1)                                     \
    X(glTexCoordPointer, void, (GLint, GLenum, GLsizei, const void*), 2, 1)                                  \
    X(glEnableClientState, void, (GLenum), 2, 1)                                                             \
    X(glDisableClientState, void, (GLenum), 2, 1)                                                            \
    X(glDrawElements, void, (GLenum, GLsizei, GLenum, const void*), 2, 1)                                    \
    X(glCullFace, void, (GLenum), 2, 1)                                                                      \
    X(glGetLightfv, void, (GLenum, GLenum, GLfloat*), 2, 1)                                                  \
    X(glGenBuffers, void, (GLsizei, GLuint*), 2, 0)                                                          \
    X(glBindBuffer, void, (GLenum, GLuint), 2, 0)                                                            \
    X(glBufferData, void, (GLenum, std::ptrdiff_t, const void*, GLenum), 2, 0)                               \
    X(glDeleteBuffers, void, (GLsizei, const GLuint*), 2, 0)                                                 \
    X(glBitmap, void, (GLsizei, GLsizei, GLfloat, GLfloat, GLfloat, GLfloat, const GLubyte*), 2, 1)

// The table: one typed pointer per slot, null until bound.
struct GlEntryPoints {
#define V3D_GL_MEMBER(name, ret, args, lib, called) ret(*name) args = nullptr;
    V3D_GL_SLOTS(V3D_GL_MEMBER)
#undef V3D_GL_MEMBER
};

// The process-wide table (written by LoadOpenGl/FreeOpenGl on the UI thread only).
GlEntryPoints& Gl();

// Slots of the table in binding order: 1..75 GL, 76..81 GLU, then the extra names.
constexpr int kGlLibrarySlots = 75;
constexpr int kGluLibrarySlots = 6;
constexpr int kTableSlots = kGlLibrarySlots + kGluLibrarySlots;
int SlotCount();
// Slot i (0-based): its name, the library it comes from (0 GL, 1 GLU, 2 extra), whether the
// viewer calls it (a missing one fails the binding) and its current address.
const char* SlotName(int i);
int SlotLibrary(int i);
void* SlotAddress(int i);

// The two library handles the program keeps (null until loaded).
struct GlLibraries {
    HMODULE gl = nullptr;
    HMODULE glu = nullptr;
};

// File names the libraries are loaded from: "libGL.so.1" and "libGLU.so.1" unless changed
// (tests name a missing library here). Takes effect at the next LoadOpenGl.
void SetOpenGlLibraryNames(const std::string& glName, const std::string& gluName);

// Loads both libraries and binds the table in slot order. 1 when both libraries loaded and
// every required name was found; otherwise 0: the handles that loaded stay in libs (so
// FreeOpenGl releases them), the slots found stay bound for inspection, and nothing may draw.
int LoadOpenGl(GlLibraries& libs);
// Clears every slot and releases the libraries that were loaded. Safe with nothing loaded.
void FreeOpenGl(GlLibraries& libs);
// 1 after a LoadOpenGl that gave 1 and before FreeOpenGl.
bool IsOpenGlBound();
// Whether the optional framebuffer-object names were all found.
bool HasFramebufferObjects();
// Whether the optional buffer-object names were all found (else vertex arrays stay in memory).
bool HasBufferObjects();
// The names LoadOpenGl found missing (required ones only), for the message and the tests.
std::string MissingOpenGlNames();

} // namespace v3d::gl
