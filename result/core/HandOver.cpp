#include "result/core/HandOver.h"

#include "platform/Process.h"
#include "platform/Time.h"
#include "result/core/TransferRecords.h"

#include <climits>
#include <unistd.h>

std::string ViewerTitlePrefix(const std::string& programPath) {
    if (programPath.find("Brelvoxa") != std::string::npos)
        return "Brelvoxa";
    if (programPath.find("Kanderu") != std::string::npos)
        return "Kanderu";
    return {};
}

std::string PickViewerTitle(const std::vector<TopWindowInfo>& windows, const std::string& prefix) {
    std::string search = prefix;
    for (const TopWindowInfo& w : windows) {
        if (w.title.empty() || w.className == "Progman")
            continue;
        if (w.title.compare(0, search.size(), search) == 0)
            search = w.title;
    }
    return search;
}

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

template <class Find>
bool FindOrStart(const std::string& programPath, const HandOverTiming& timing, Find find,
                 TopWindowInfo* target) {
    if (find(target))
        return true;
    CreateProcess(programPath, {}, FolderOf(programPath));
    for (int i = 0; i < timing.attempts; ++i) {
        Sleep(timing.attemptMs);
        if (find(target))
            return true;
    }
    return false;
}

} // namespace

UINT SendToHeightViewer(const std::vector<BYTE>& block, const std::string& programPath,
                        const HandOverTiming& timing) {
    const std::string prefix = ViewerTitlePrefix(programPath);
    if (prefix.empty() || block.empty() || block.size() > 0xFFFFFFFFull)
        return kMsgHeightTransferFailed;
    const std::string title = PickViewerTitle(EnumTopWindows(), prefix);
    TopWindowInfo target;
    auto find = [&](TopWindowInfo* t) { return FindTopWindow(nullptr, title.c_str(), t); };
    if (!FindOrStart(programPath, timing, find, &target))
        return kMsgHeightTransferFailed;
    COPYDATASTRUCT cds;
    cds.dwData = kTagHeightTransfer;
    cds.cbData = DWORD(block.size());
    cds.lpData = block.data();
    return SendCopyData(target, cds, timing.sendTimeoutMs) ? 0 : kMsgHeightTransferFailed;
}

UINT SendToAnalysisProgram(const std::vector<std::vector<BYTE>>& records, const std::string& programPath,
                           const HandOverTiming& timing) {
    TopWindowInfo target;
    auto find = [&](TopWindowInfo* t) { return FindTopWindow(kAnalysisWindowClass, nullptr, t); };
    if (!FindOrStart(programPath, timing, find, &target))
        return kMsgAnalysisTransferFailed;
    for (const auto& record : records) {
        if (record.size() > 0xFFFFFFFFull)
            return kMsgAnalysisTransferFailed;
        COPYDATASTRUCT cds;
        cds.dwData = kTagImageTransfer;
        cds.cbData = DWORD(record.size());
        cds.lpData = record.data();
        if (!SendCopyData(target, cds, timing.sendTimeoutMs))
            return kMsgAnalysisTransferFailed;
    }
    return 0;
}

std::string ProgramFolder() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    buf[n] = 0;
    return FolderOf(buf);
}

std::string DefaultViewerPath() {
    return ProgramFolder() + "/Brelvoxa";
}
