// Helpers of the 3D viewer's window tests: a running viewer on a scratch program folder with
// the viewer's resources, sample files written byte by byte, and records sent from another
// process through the findable-window layer.
#pragma once

#include "tests/support/ScratchFolder.h"
#include "viewer3d/app/View3dApp.h"

#include <wx/gdicmn.h>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brx {
class CView3dFrm;
}

namespace brxtest {

// A "VV3D" record (or the .vv3 file with file = true) of a w x h data set with a ramp texture
// and heights x + 2y.
std::vector<unsigned char> HeightSet(int w, int h, double pitch, bool file);
// The same with heights height(x, y).
std::vector<unsigned char> HeightSetOf(int w, int h, double pitch, bool file,
                                       const std::function<float(int, int)>& height);
// The same with the texture's red, green, blue at (x, y); y = 0 is the bottom row.
using TexelFunction = std::function<std::array<unsigned char, 3>(int, int)>;
std::vector<unsigned char> HeightSetWith(int w, int h, double pitch, bool file,
                                         const std::function<float(int, int)>& height,
                                         const TexelFunction& texel);
void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);

// The viewer started on a folder (Brelvoxa.ini and 3DPROC.PAR there, and the runtime folder of
// the findable windows, so that viewers of other test processes stay apart); Stop ends it as
// the program does (parameters saved, main frame closed and gone).
class RunningViewer {
public:
    explicit RunningViewer(const std::string& folder, const std::vector<std::string>& paths = {});
    ~RunningViewer();
    void Stop();
    brx::View3dApp& App() { return *app_; }
    std::vector<brx::CView3dFrm*> Frames() const;

private:
    std::unique_ptr<brx::View3dApp> app_;
    bool stopped_ = false;
};

// Opens a path in the viewer and waits for its frame to be active and painted; null when the
// document did not open or its frame did not show.
brx::CView3dFrm* OpenShown(RunningViewer& viewer, const std::string& path);

// The standard error of this process goes to a file while the object lives (the toolkit writes
// its warnings there, some of them past any log handler).
class StderrToFile {
public:
    explicit StderrToFile(const std::string& path);
    ~StderrToFile();
    StderrToFile(const StderrToFile&) = delete;
    StderrToFile& operator=(const StderrToFile&) = delete;

private:
    int saved_ = -1;
};
// A rectangle of the screen as the X server shows it, one 0xRRGGBB value a pixel.
std::vector<unsigned long> ScreenPixels(const wxRect& r);
// The toolkit's warnings and criticals among the lines of a standard error.
std::string ToolkitComplaints(const std::string& text);

// Sends a record file to the viewer's main window from a separate process (findwin-peer);
// returns at once, the exit status comes through *status when the sender ends (-1 before).
void SendRecordFromPeer(const std::string& recordFile, const std::string& tag, std::atomic<int>* status);

} // namespace brxtest
