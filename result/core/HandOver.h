// Passing records to the 3D viewer and to the analysis program through findable windows: the 3D
// viewer's window is found by its title, the analysis program's by its window class; a program
// that has no window yet is started from its configured path and looked for once a second, five
// times.
#pragma once

#include "ids/VantorelIds.h"
#include "platform/FindableWindow.h"
#include "platform/WinTypes.h"

#include <string>
#include <vector>

constexpr UINT kMsgAnalysisTransferFailed = vtid::str::AnalysisTransferFailed;
constexpr UINT kMsgHeightTransferFailed = vtid::str::HeightTransferFailed;
constexpr const char* kAnalysisWindowClass = "Palvint";

struct HandOverTiming {
    int attempts = 5;       // look-ups after a start
    DWORD attemptMs = 1000; // wait before each look-up
    DWORD sendTimeoutMs = 15000;
};

// The title prefix the 3D viewer's path names: "Brelvoxa" when the path contains it
// (case-sensitive), else "Kanderu" when it contains that; empty for a path naming neither.
std::string ViewerTitlePrefix(const std::string& programPath);

// The exact title to look for: titles are examined in activation order and each that begins with
// the current search text replaces it.
std::string PickViewerTitle(const std::vector<TopWindowInfo>& windows, const std::string& prefix);

// Finds (or starts) the 3D viewer and sends the "VV3D" block. 0 when the receiver took it, else
// 1034: a path naming neither viewer, no window after the attempts, a block too large for the
// record, a failed or timed-out send.
UINT SendToHeightViewer(const std::vector<BYTE>& block, const std::string& programPath,
                        const HandOverTiming& timing = {});

// Finds (or starts) the analysis program and sends each record (tag "IMG"). 0 when every record was
// taken, else 1033.
UINT SendToAnalysisProgram(const std::vector<std::vector<BYTE>>& records, const std::string& programPath,
                           const HandOverTiming& timing = {});

// Vantorel's folder, and the 3D viewer's default path in it.
std::string ProgramFolder();
std::string DefaultViewerPath();
