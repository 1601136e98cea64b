// Start-up of the window layer: image handlers, the compact control style that dialog-unit
// layouts need, the window-message hooks and the program's own resources.
#pragma once

#include <string>

namespace ui {

struct UiLayerOptions {
    std::string program = "vantorel"; // resources/<program>
    bool installMessageSink = true;   // the wx message boxes (tests install their own)
};

// Call once on the UI thread after wx is initialised. False when the resources did not load
// (error holds the reason); the rest is set up anyway.
bool InitUiLayer(const UiLayerOptions& options, std::string* error = nullptr);

// The compact style alone (padding of buttons, edits and combo boxes reduced so that controls
// keep to the heights the templates give them).
void ApplyCompactControlStyle();

} // namespace ui
