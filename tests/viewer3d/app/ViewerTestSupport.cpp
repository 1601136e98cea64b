#include "ViewerTestSupport.h"

#include "ui/resources/ResourceRegistry.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <gdk/gdkx.h>
#include <unistd.h>

namespace brxtest {

std::vector<unsigned char> HeightSet(int w, int h, double pitch, bool file) {
    return HeightSetOf(w, h, pitch, file, [](int x, int y) { return static_cast<float>(x + 2 * y); });
}

std::vector<unsigned char> HeightSetOf(int w, int h, double pitch, bool file,
                                       const std::function<float(int, int)>& height) {
    return HeightSetWith(w, h, pitch, file, height, [](int x, int y) {
        return std::array<unsigned char, 3>{static_cast<unsigned char>(x * 7),
                                            static_cast<unsigned char>(y * 11), 100};
    });
}

std::vector<unsigned char> HeightSetWith(int w, int h, double pitch, bool file,
                                         const std::function<float(int, int)>& height,
                                         const TexelFunction& texel) {
    const size_t header = file ? 1440 : 16;
    std::vector<unsigned char> b(header, 0);
    std::memcpy(&b[0], &w, 4);
    std::memcpy(&b[4], &h, 4);
    std::memcpy(&b[file ? 848 : 8], &pitch, 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto [r, g, bl] = texel(x, y);
            b.insert(b.end(), {r, g, bl, static_cast<unsigned char>((3 * r + 6 * g + bl) / 10)});
        }
    for (int copy = 0; copy < (file ? 2 : 1); ++copy)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const float v = height(x, y);
                unsigned char f[4];
                std::memcpy(f, &v, 4);
                b.insert(b.end(), f, f + 4);
            }
    return b;
}

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

RunningViewer::RunningViewer(const std::string& folder, const std::vector<std::string>& paths) {
    // The findable windows of this test alone: other test processes run viewers at the same time.
    const std::string runtime = folder + "/runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ui::LoadProgramResources("brelvoxa");
    app_ = std::make_unique<brx::View3dApp>();
    app_->InitInstance(folder, paths);
    ui::testing::WaitForPaint(app_->MainFrame());
}

RunningViewer::~RunningViewer() {
    Stop();
    ui::LoadProgramResources("vantorel");
}

void RunningViewer::Stop() {
    if (stopped_)
        return;
    stopped_ = true;
    app_->ExitInstance();
    brx::CMainFrame* main = app_->MainFrame();
    main->Close(true);
    ui::testing::DestroyAndWait(main);
    app_.reset();
}

brx::CView3dFrm* OpenShown(RunningViewer& viewer, const std::string& path) {
    brx::CView3dDoc* doc = viewer.App().OpenDocumentFile(path);
    if (!doc)
        return nullptr;
    brx::CView3dFrm* frame = viewer.App().MainFrame()->GetActive3dFrame();
    if (!frame || frame->Doc() != doc || !ui::testing::WaitForPaint(frame))
        return nullptr;
    return frame;
}

std::vector<brx::CView3dFrm*> RunningViewer::Frames() const {
    return app_->MainFrame()->DocFrames();
}

StderrToFile::StderrToFile(const std::string& path) {
    std::fflush(stderr);
    saved_ = dup(2);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, 2);
    close(fd);
}

StderrToFile::~StderrToFile() {
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
}

std::vector<unsigned long> ScreenPixels(const wxRect& r) {
    Display* display = gdk_x11_get_default_xdisplay();
    XSync(display, False);
    std::vector<unsigned long> pixels;
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), r.x, r.y, r.width, r.height, AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    pixels.reserve(static_cast<size_t>(r.width) * r.height);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

std::string ToolkitComplaints(const std::string& text) {
    std::string found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find("Gtk-WARNING") != std::string::npos || line.find("Gtk-CRITICAL") != std::string::npos)
            found += line + "\n";
    return found;
}

void SendRecordFromPeer(const std::string& recordFile, const std::string& tag, std::atomic<int>* status) {
    *status = -1;
    const std::string command = std::string(VT_BINARY_DIR) +
                                "/tools/findwin-peer/findwin-peer --send --class " + brx::kMainWindowClass +
                                " --tag " + tag + " --data '" + recordFile + "' --timeout 20000 > /dev/null";
    std::thread([command, status] {
        const int rc = std::system(command.c_str());
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : 99;
    }).detach();
}

} // namespace brxtest
