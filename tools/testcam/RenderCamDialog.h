// The rendering test camera's own settings dialog, which the program runs through dlog_set_param
// (its command "入力モードの設定"): the frame size and the colour mode of the record.
#pragma once

namespace testcam {

// Control ids of the dialog.
constexpr int kFrameSizeChoice = 1001; // IMAGESIZESEL: 640 x 480, 320 x 240, 1280 x 960, 1280 x 1024
constexpr int kColourModeBox = 1002;   // COLORMODE: monochrome, colour

struct RenderCamSettings {
    int frameSize = 0;
    int colourMode = 0;
};

enum class DialogAnswer {
    Ok,       // the settings hold the user's choice
    Cancel,   // nothing changes
    NoWindows // the process shows no windows (no window toolkit running): nothing was asked
};

// Shows the dialog modally over the program's top window, on the user interface thread.
DialogAnswer RunRenderCamDialog(RenderCamSettings* settings);

} // namespace testcam
