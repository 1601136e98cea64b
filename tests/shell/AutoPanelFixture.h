// The program in the automatic Z-stage mode with a controller emulator on a pseudo terminal as
// COM1 and the rendering test camera focused by the emulator's position file.
#pragma once

#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
#include "imaging/gui/GuiHooks.h"
#include "shell/capture/AutoDialog.h"
#include "shell/capture/MultiView.h"
#include "tools/emulators/Emulators.h"
#include "ui/Services.h"
#include "ui/testing/GuiTest.h"

#include <cstdlib>
#include <memory>
#include <string>

class AutoPanel : public ShellWindows {
protected:
    void SetUp() override {
        ShellWindows::SetUp();
        // The program's pump and button icons, as its start installs them.
        InstallImagingGuiServices();
    }
    void TearDown() override {
        ShellWindows::TearDown(); // the program closes before its controller goes
        emulator.reset();
        ::unsetenv("VANTOREL_COM1");
        ::unsetenv("VANTOREL_STAGE_POSITION_FILE");
        ui::SetFileDialogService({});
        SetPumpOneMessageHook(nullptr);
        SetSetButtonIconHook(nullptr);
    }
    // Starts an emulator of the protocol on COM1 and the program in mode 1012 with controller
    // type `type`. umPerPulse: the Z calibration; start: the emulator's axis count at the start
    // (the panel takes it as the origin); side: SIDE of [COMM].
    bool Start(const std::string& protocol, int type, double umPerPulse = 1.0, long start = 0, int side = 0,
               const std::string& more = "") {
        EmulatorOptions options;
        options.speedScale = 8.0;
        options.umPerPulse = umPerPulse;
        options.positionFile = folder + "/stage-position.txt";
        emulator = MakeEmulator(protocol, options);
        if (!emulator || !emulator->Start())
            return false;
        if (start != 0) {
            if (auto* two = dynamic_cast<TwoAxisEmulator*>(emulator.get()))
                two->SetAxisPosition(1, start);
        }
        ::setenv("VANTOREL_COM1", emulator->SlavePath().c_str(), 1);
        ::setenv("VANTOREL_STAGE_POSITION_FILE", options.positionFile.c_str(), 1);
        Settings(vtid::StartDialog::AutoCapture,
                 "[COMM]\nCONTROLLER=" + std::to_string(type) + "\nPORT=0\nSIDE=" + std::to_string(side) +
                     "\n[ZCALIBRATION]\n1PULSE=" + std::to_string(umPerPulse) + "\n" + more);
        if (!StartProgram())
            return false;
        panel = Frame() ? Frame()->AutoDialog() : nullptr;
        return panel != nullptr;
    }
    wxWindow* Item(int id) const { return panel->GetDlgItem(id); }
    bool Enabled(int id) const { return Item(id) && Item(id)->IsEnabled(); }
    bool Shown(int id) const { return Item(id) && Item(id)->IsShown(); }
    void Click(int id) { ui::testing::Click(Item(id)); }
    // The next file dialogs answer with these paths (an empty one cancels); the requests are kept.
    void ScriptFileDialogs(std::vector<std::string> answers) {
        auto queue = std::make_shared<std::vector<std::string>>(std::move(answers));
        ui::SetFileDialogService([this, queue](wxWindow*, const ui::FileDialogRequest& r) {
            requests.push_back(r);
            ui::FileDialogResult result;
            if (!queue->empty()) {
                if (!queue->front().empty())
                    result.paths.push_back(queue->front());
                queue->erase(queue->begin());
            }
            return result;
        });
    }

    std::unique_ptr<ControllerEmulator> emulator;
    CAutoDialog* panel = nullptr;
    std::vector<ui::FileDialogRequest> requests;
};
