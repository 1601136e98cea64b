// Findable wx windows: records sent by another process reach the window's handler on the UI thread,
// titles and activation are what other processes see, and the link ends cleanly with its window.
#include "ui/FindableWindowLink.h"

#include "platform/Process.h"
#include "platform/Sync.h"
#include "ui/testing/GuiTest.h"

#include "tests/support/ScopedRuntimeFolder.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/thread.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

using ui::FindableWindowLink;
using ui::testing::PumpUntil;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Points the runtime folder at a scratch folder for one test.
class FindableWindowLinkGui : public ::testing::Test {
protected:

    ScopedRuntimeFolder runtime_{"findwin-gui"};
    std::string dir_ = runtime_.Folder().Path();
};

struct Arrival {
    DWORD tag;
    std::string bytes;
    bool onUiThread;
};

} // namespace

TEST_F(FindableWindowLinkGui, RecordsFromAnotherProcessArriveUnchangedOnTheUiThread) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "Brelvoxa");
    std::vector<Arrival> got;
    auto link = std::make_unique<FindableWindowLink>(frame, "BrelvoxaMain", [&](const COPYDATASTRUCT& r) {
        got.push_back(
            {r.dwData, std::string(static_cast<const char*>(r.lpData), r.cbData), wxThread::IsMain()});
        return static_cast<LRESULT>(40 + got.size());
    });
    ASSERT_TRUE(link->IsRegistered()) << GetFindableWindowError();
    frame->Show();

    const std::string peer = std::string(VT_BINARY_DIR) + "/tools/findwin-peer/findwin-peer";
    int n = 0;
    for (size_t size : {size_t(1), size_t(64 * 1024), size_t(32u * 1024 * 1024)}) {
        SCOPED_TRACE(size);
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>((i * 131 + size) >> 3);
        const std::string dataFile = dir_ + "/data.bin", resultFile = dir_ + "/result.txt";
        std::ofstream(dataFile, std::ios::binary | std::ios::trunc) << data;
        PROCESS_INFORMATION pi;
        ASSERT_TRUE(CreateProcess("/bin/sh",
                                  {"-c", "exec \"$@\" > \"$0\"", resultFile, peer, "--send", "--title",
                                   "Brelvoxa", "--tag", "VV3D", "--data", dataFile, "--timeout", "30000"},
                                  {}, &pi));
        DWORD code = 0xFFFF;
        bool ended = false;
        // The sender ends once the UI thread has run the handler and the result went back.
        EXPECT_TRUE(PumpUntil(
            [&] { return ended || (ended = WaitForProcess(pi.dwProcessId, 0, &code) == WAIT_OBJECT_0); },
            40000));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(readAll(resultFile), std::to_string(40 + n + 1) + "\n"); // the handler's result
        ASSERT_EQ(got.size(), static_cast<size_t>(++n));
        EXPECT_EQ(got.back().tag, static_cast<DWORD>('V' | 'V' << 8 | '3' << 16 | 'D' << 24));
        EXPECT_TRUE(got.back().bytes == data) << "record of " << size << " bytes changed on the way";
        EXPECT_TRUE(got.back().onUiThread);
    }

    // The title other processes see follows the window's.
    link->SetTitle(wxString::FromUTF8("Brelvoxa - 名称未設定1"));
    EXPECT_EQ(frame->GetTitle().utf8_string(), "Brelvoxa - 名称未設定1");
    TopWindowInfo w;
    EXPECT_FALSE(FindTopWindow(nullptr, "Brelvoxa", &w));
    ASSERT_TRUE(FindTopWindow("BrelvoxaMain", "Brelvoxa - 名称未設定1", &w));
    const std::string socket = w.socketPath;

    // The window's end unregisters it even while the link object lives on.
    frame->Destroy();
    EXPECT_TRUE(PumpUntil([&] { return !FindTopWindow("BrelvoxaMain", nullptr, nullptr); }));
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_FALSE(link->IsRegistered());
    link.reset();
}

TEST_F(FindableWindowLinkGui, ActivationReordersAndALinkEndedByItsOwnHandlerStillAnswers) {
    auto* first = new wxFrame(nullptr, wxID_ANY, "first");
    auto* second = new wxFrame(nullptr, wxID_ANY, "second");
    FindableWindowLink firstLink(first, "Frame", nullptr);
    std::unique_ptr<FindableWindowLink> secondLink;
    secondLink = std::make_unique<FindableWindowLink>(second, "Frame", [&](const COPYDATASTRUCT&) -> LRESULT {
        secondLink.reset(); // the window stops being findable from inside its own handler
        return 5;
    });
    auto titles = [] {
        std::vector<std::string> t;
        for (const auto& w : EnumTopWindows())
            t.push_back(w.title);
        return t;
    };
    EXPECT_EQ(titles(), (std::vector<std::string>{"second", "first"}));
    auto activate = [](wxFrame* f, bool active) {
        wxActivateEvent ev(wxEVT_ACTIVATE, active, f->GetId());
        ev.SetEventObject(f);
        f->ProcessWindowEvent(ev);
    };
    activate(first, true);
    EXPECT_EQ(titles(), (std::vector<std::string>{"first", "second"}));
    activate(second, false); // a window losing the activation keeps its place
    EXPECT_EQ(titles(), (std::vector<std::string>{"first", "second"}));

    TopWindowInfo target;
    ASSERT_TRUE(FindTopWindow("Frame", "second", &target));
    std::atomic<bool> done{false};
    bool sent = false;
    LRESULT result = 0;
    std::thread sender([&] {
        char byte = 'x';
        sent = SendCopyData(target, {1, 1, &byte}, 20000, &result);
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 30000));
    sender.join();
    EXPECT_TRUE(sent) << GetFindableWindowError();
    EXPECT_EQ(result, 5);
    EXPECT_EQ(secondLink, nullptr);
    EXPECT_EQ(titles(), std::vector<std::string>{"first"});
    EXPECT_FALSE(std::filesystem::exists(target.socketPath));
    EXPECT_TRUE(ui::testing::DestroyAndWait(first));
    EXPECT_TRUE(ui::testing::DestroyAndWait(second));
}
