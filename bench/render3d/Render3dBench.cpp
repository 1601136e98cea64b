// Frames per second of the 3D scene: a synthetic 2048 x 1536 height map with its texture in a
// 1024 x 768 GL window on Mesa's software renderer, turned 360 times by 1 degree (each frame
// rendered, finished and swapped). Prints the median of 5 runs per display mode at full and at
// coarse density, the full-density rebuild after a drag, and the load average.
//   xvfb-run -a -s "-screen 0 1600x1200x24" render3d_bench [--shots FOLDER]
// With --shots it only writes pictures of the scene (PPM): each display mode with the grid,
// the surface turned, and returns.
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/View3dData.h"
#include "viewer3d/render/gl/DocumentScene.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kW = 2048, kH = 1536, kRuns = 5, kFrames = 360;
constexpr int kWinW = 1024, kWinH = 768;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

int heightAt(int x, int y) {
    const double fx = x / static_cast<double>(kW), fy = y / static_cast<double>(kH);
    return static_cast<int>(32768 + 20000 * std::sin(fx * 9.0) * std::cos(fy * 7.0) + 8000 * fx);
}

void fill(v3d::View3dData& doc) {
    HDIB plane = v3d::DibCreate(kW, kH, v3d::kKindGrey16);
    HDIB texturePlane = v3d::DibCreate(kW, kH, v3d::kKindRgb24);
    doc.levelledHeight = v3d::DibCreate(kW, kH, v3d::kKindGrey8);
    doc.glTexture = v3d::DibCreate(2048, 2048, v3d::kKindRgb24);
    std::vector<int> row(kW), level(kW);
    {
        GlobalLockGuard p(plane), l(doc.levelledHeight);
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x)
                row[x] = heightAt(x, y), level[x] = std::clamp((row[x] - 4000) / 240, 0, 255);
            v3d::DibWriteRow(row.data(), p.get(), 0, y, kW);
            v3d::DibWriteRow(level.data(), l.get(), 0, y, kW);
        }
        GlobalLockGuard t(doc.glTexture);
        BYTE* bits = v3d::DibGetBits(t.get());
        const uint64_t stride = v3d::DibStride(2048, 24);
        for (int y = 0; y < 2048; ++y)
            for (int x = 0; x < 2048; ++x) {
                BYTE* px = bits + y * stride + x * 3;
                px[0] = static_cast<BYTE>(x / 8), px[1] = static_cast<BYTE>(y / 8),
                px[2] = ((x ^ y) & 64) ? 200 : 40;
            }
    }
    doc.SetPlanes(texturePlane, plane);
    doc.sourceWidth = kW;
    doc.sourceHeight = kH;
    doc.SetPitch(0, 1.0);
    doc.SetPitch(2, 0.02); // height units per raw step: about 1 unit of relief on 2.56
    doc.extentTexts = {"2048.00 um", "1536.00 um", "120.00 um"};
}

// The back buffer as a binary PPM (rows from the top).
void writeShot(const std::string& path) {
    std::vector<unsigned char> rgb(kWinW * kWinH * 3);
    auto& g = v3d::gl::Gl();
    g.glFinish();
    g.glReadBuffer(GL_BACK);
    g.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    g.glReadPixels(0, 0, kWinW, kWinH, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return;
    std::fprintf(f, "P6\n%d %d\n255\n", kWinW, kWinH);
    for (int y = kWinH - 1; y >= 0; --y)
        std::fwrite(rgb.data() + y * kWinW * 3, 1, kWinW * 3, f);
    if (std::fclose(f) == 0)
        std::rename(temp.c_str(), path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string shots = argc == 3 && std::string(argv[1]) == "--shots" ? argv[2] : "";
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "render3d_bench: no X display (run under xvfb-run)\n");
        return 1;
    }
    v3d::gl::GlLibraries libs;
    if (v3d::gl::LoadOpenGl(libs) != 1) {
        std::fprintf(stderr, "render3d_bench: GL missing: %s\n", v3d::gl::MissingOpenGlNames().c_str());
        return 1;
    }
    auto& g = v3d::gl::Gl();
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 24, None};
    auto* visual = static_cast<XVisualInfo*>(g.glXChooseVisual(display, DefaultScreen(display), attributes));
    if (!visual) {
        std::fprintf(stderr, "render3d_bench: no double-buffered RGBA visual\n");
        return 1;
    }
    Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes wa{};
    wa.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    wa.event_mask = StructureNotifyMask;
    Window window = XCreateWindow(display, root, 0, 0, kWinW, kWinH, 0, visual->depth, InputOutput,
                                  visual->visual, CWColormap | CWEventMask, &wa);
    XMapWindow(display, window);
    XEvent e;
    do
        XNextEvent(display, &e);
    while (e.type != MapNotify);
    GLXContext context = g.glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    if (!context || !g.glXMakeCurrent(display, window, context)) {
        std::fprintf(stderr, "render3d_bench: no GL context\n");
        return 1;
    }
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(g.glGetString(GL_RENDERER)));

    v3d::View3dData doc;
    fill(doc);
    v3d::scene::DocumentScene scene;
    scene.font = v3d::scene::LoadLabelFont(display);
    v3d::scene::SceneValues initial = v3d::scene::SceneValuesOf(doc, scene, true);
    v3d::scene::InitGlState(initial);
    v3d::scene::SetupViewport(kWinW, kWinH);

    const char* modeNames[] = {"texture", "surface", "wireframe"};
    if (!shots.empty()) {
        doc.GetViewState()->backgroundColor = 0x800000;
        doc.GetViewState()->wireframeDivisions = 60;
        const COLORREF bg = doc.GetViewState()->backgroundColor;
        g.glClearColor(GetRValue(bg) / 256.0f, GetGValue(bg) / 256.0f, GetBValue(bg) / 256.0f, 0);
        for (int mode = 0; mode < 3; ++mode) {
            doc.SetDisplayMode(mode);
            doc.textureOn = mode == 0;
            v3d::scene::BuildAllGlLists(doc, scene);
            std::fill(doc.rotationMatrix, doc.rotationMatrix + 16, 0.0);
            for (int i = 0; i < 4; ++i)
                doc.rotationMatrix[i * 5] = 1.0;
            // Tilted back and turned a little: the usual first look at a surface.
            v3d::scene::RenderDocumentScene(doc, scene, -25.0f, 55.0f, 0.0f, -1.0f);
            writeShot(shots + "/" + modeNames[mode] + ".ppm");
        }
        v3d::scene::RenderDocumentScene(doc, scene, 70.0f, 0.0f, 0.0f, -1.0f);
        writeShot(shots + "/wireframe-turned.ppm");
        return 0;
    }
    for (int mode = 0; mode < 3; ++mode) {
        doc.SetDisplayMode(mode);
        for (int full = 1; full >= 0; --full) {
            doc.fullResolution = full;
            double build = seconds([&] { v3d::scene::BuildAllGlLists(doc, scene); });
            std::vector<double> fps;
            for (int run = 0; run < kRuns; ++run) {
                double s = seconds([&] {
                    for (int f = 0; f < kFrames; ++f) {
                        v3d::scene::RenderDocumentScene(doc, scene, 1.0f, 0.0f, 0.0f, -1.0f);
                        g.glFinish();
                        g.glXSwapBuffers(display, window);
                    }
                });
                fps.push_back(kFrames / s);
            }
            std::printf("%-9s %-6s lists %.3f s   %.1f frames/s (median of %d x %d frames)\n",
                        modeNames[mode], full ? "full" : "coarse", build, median(fps), kRuns, kFrames);
        }
        // Release after a drag: the coarse lists are replaced by full-density ones.
        std::vector<double> rebuild;
        for (int run = 0; run < kRuns; ++run) {
            doc.fullResolution = 0;
            v3d::scene::RebuildGlLists(doc, scene);
            doc.fullResolution = 1;
            rebuild.push_back(seconds([&] {
                v3d::scene::RebuildGlLists(doc, scene);
                g.glFinish();
            }));
        }
        std::printf("%-9s rebuild at full density after a drag: %.3f s (median of %d)\n", modeNames[mode],
                    median(rebuild), kRuns);
    }
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %.2f %.2f %.2f\n", load[0], load[1], load[2]);

    v3d::scene::DeleteAllGlLists(doc, scene);
    v3d::scene::FreeLabelFont(scene.font);
    g.glXMakeCurrent(display, 0, nullptr);
    g.glXDestroyContext(display, context);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    v3d::gl::FreeOpenGl(libs);
    return 0;
}
