// A working folder with its own settings file and lens file in which the application object
// starts as the program does; the windows are closed and the folder removed afterwards.
#pragma once

#include "browser/core/ThumbCacheNames.h"
#include "platform/ProgramHelpers.h"
#include "platform/Settings.h"
#include "platform/ScriptedMessageSink.h"
#include "shell/frame/MainFrame.h"
#include "shell/app/OrsandelApp.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/support/ScratchTerminal.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

class ShellWindows : public ::testing::Test {
protected:
    void SetUp() override {
        outputDir = ui::testing::OutputFolder();
        char tmpl[] = "/tmp/vt-shell-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        folder = tmpl;
        char cwd[4096];
        previousDir = ::getcwd(cwd, sizeof cwd) ? cwd : "/tmp";
        ASSERT_EQ(::chdir(folder.c_str()), 0);
        Write("LENS.TXT", "ML30-1,Thirty,0.3,3\nML90-2.5,Ninety,0.09,1\n");
        // The single-instance lock lives in the runtime folder: one of the test's own, so that
        // tests running at the same time do not see each other's program.
        if (const char* r = std::getenv("XDG_RUNTIME_DIR"))
            previousRuntime = r;
        ::mkdir((folder + "/runtime").c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", (folder + "/runtime").c_str(), 1);
        cameraDir = std::string(VT_BINARY_DIR) + "/tools/testcam/render";
        ::setenv("VANTOREL_CAMERA_DIR", cameraDir.c_str(), 1);
    }
    void TearDown() override {
        CloseProgram();
        // The program has let go of its ports: their names and terminals go.
        portNames.clear();
        terminals.clear();
        ::chdir(previousDir.c_str());
        if (previousRuntime.empty())
            ::unsetenv("XDG_RUNTIME_DIR");
        else
            ::setenv("XDG_RUNTIME_DIR", previousRuntime.c_str(), 1);
        SetSettingsFilePath("Vantorel.ini");
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(folder + "/" + name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // One section of the folder's settings file, from its header to the next one (empty when
    // there is none): the golden text of what was written.
    std::string SettingsSection(const std::string& name) const {
        const std::string text = Read("Vantorel.ini");
        const size_t at = text.find("[" + name + "]\n");
        if (at == std::string::npos)
            return {};
        const size_t end = text.find("\n[", at + 1);
        return text.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    }
    // Settings that start the program in a mode without the start dialog.
    // initial: more lines of [InitialSettings]; more: further sections.
    void Settings(int mode, const std::string& more = "", const std::string& initial = "") {
        Write("Vantorel.ini", "[InitialSettings]\nNOSTARTDISP=1\nSTARTINGMODE=" + std::to_string(mode) +
                                  "\n" + initial + "[STAGEINPUT]\nINPDEVICE=Vantorel Test Camera\n" + more);
    }
    bool StartProgram() {
        app = std::make_unique<COrsandelApp>();
        return app->InitInstance();
    }
    CMainFrame* Frame() const { return app ? app->m_pMainFrame : nullptr; }
    // Closes the main frame as the user would and waits until it is gone.
    void CloseProgram() {
        if (!app)
            return;
        if (CMainFrame* f = Frame()) {
            f->Close();
            ui::testing::PumpUntil([&] { return app->m_pMainFrame == nullptr; });
        }
        app.reset();
        ui::testing::ProcessPending();
    }

    // A pseudo terminal that the program finds as COM<com> until the test ends, in every path
    // out of it; null when none could be had.
    const ScratchTerminal* TerminalOnCom(int com) {
        auto terminal = std::make_unique<ScratchTerminal>();
        if (!terminal->Made())
            return nullptr;
        const std::string name = "VANTOREL_COM" + std::to_string(com);
        portNames.push_back(std::make_unique<ScopedEnv>(name.c_str(), terminal->SlavePath().c_str()));
        terminals.push_back(std::move(terminal));
        return terminals.back().get();
    }

    // Where screenshots go (the gui-output folder of the test's own working folder).
    std::string Shot(const std::string& name) const { return outputDir + "/" + name; }

    std::string folder, previousDir, previousRuntime, cameraDir, outputDir;
    std::unique_ptr<COrsandelApp> app;
    std::vector<std::unique_ptr<ScratchTerminal>> terminals;
    std::vector<std::unique_ptr<ScopedEnv>> portNames;
};
