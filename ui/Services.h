// Services that tests replace: the file and colour dialogs and the user's abort gesture (Esc or
// the right mouse button) that long waits poll. The clock and sleep are the platform's
// (platform/Time.h, InstallClock).
#pragma once

#include "platform/WinTypes.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class wxFileDialog;
class wxWindow;

namespace ui {

struct FileDialogRequest {
    bool open = true;     // false: save
    std::string title;    // empty: the program's open or save title (uiid::str::OpenFileTitle, SaveAsTitle)
    std::string folder;   // start folder
    std::string fileName; // proposed name
    std::string filter;   // "BMP (*.bmp)|*.bmp|TIFF (*.tif)|*.tif"
    int filterIndex = 0;
    bool multiple = false;        // open only
    bool confirmOverwrite = true; // save only
    // Save only: added (without the dot) to a name typed without an extension before the
    // overwrite question is asked for it.
    std::string defaultExtension;
};

struct FileDialogResult {
    std::vector<std::string> paths; // empty: cancelled
    int filterIndex = 0;
};

using FileDialogService = std::function<FileDialogResult(wxWindow* parent, const FileDialogRequest&)>;
using ColourDialogService = std::function<std::optional<COLORREF>(wxWindow* parent, COLORREF initial)>;
// The colour dialog that also offers custom colours (at most 16).
using CustomColourDialogService = std::function<std::optional<COLORREF>(wxWindow* parent, COLORREF initial,
                                                                        const std::vector<COLORREF>& custom)>;
// The state of a key as the asynchronous key state gives it: nonzero (0x8000) while held.
// Keys known: 0x1B Esc, 0x02 right mouse button, 0x01 left mouse button.
using KeyStateService = std::function<SHORT(int virtualKey)>;

// Each setter returns the service it replaces; an empty function puts the real one back.
FileDialogService SetFileDialogService(FileDialogService service);
ColourDialogService SetColourDialogService(ColourDialogService service);
CustomColourDialogService SetCustomColourDialogService(CustomColourDialogService service);
KeyStateService SetKeyStateService(KeyStateService service);

FileDialogResult RunFileDialog(wxWindow* parent, const FileDialogRequest& request);
// Runs a file dialog made by the caller as the real service runs its own: inside the work area
// of its owner's monitor and above the owner while it is open.
int ShowFileDialog(wxFileDialog& dialog, wxWindow* owner);
std::optional<COLORREF> ChooseColour(wxWindow* parent, COLORREF initial);
// The same with custom colours offered beside the standard ones; a replaced plain colour dialog
// (SetColourDialogService) answers it when no custom-colour service is set.
std::optional<COLORREF> ChooseColour(wxWindow* parent, COLORREF initial, const std::vector<COLORREF>& custom);
// The key state (0 off the UI thread for the real service). The serial drivers' abort-key source
// is this function.
SHORT AsyncKeyState(int virtualKey);
// True while Esc or the right mouse button is held.
bool AbortRequested();

} // namespace ui
