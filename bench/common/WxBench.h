// Start of a benchmark that times windows: wx on the display (run it under xvfb-run -a), the
// window layer's services as Vantorel installs them (message boxes go to the caller's scripted
// sink), and an active event loop so that pending events can be dispatched between the steps.
#pragma once

#include "ui/UiLayer.h"

#include <wx/app.h>
#include <wx/evtloop.h>

#include <cstdio>
#include <memory>
#include <string>

class WxBenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// Null (with a message) when wx cannot start; keep the loop while the benchmark runs.
inline std::unique_ptr<wxGUIEventLoop> StartWxBench(int argc, char** argv) {
    wxApp::SetInstance(new WxBenchApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wx (run under xvfb-run -a)\n");
        return nullptr;
    }
    wxTheApp->CallOnInit();
    ui::ProgramServices services;
    services.program = "vantorel";
    services.wxMessageBoxes = false;
    std::string error;
    if (!ui::InstallProgramServices(services, &error))
        std::fprintf(stderr, "resources: %s\n", error.c_str());
    auto loop = std::make_unique<wxGUIEventLoop>();
    wxEventLoopBase::SetActive(loop.get());
    return loop;
}
