// [Settings] of Brelvoxa.ini, read and written here for every window of the viewer: the
// language library (Resource), the main window's placement (WindowPos), the measuring switch
// (Measure) and the pane sizes of the document frames (PainWidth1..4, PainHeight1..7). Every
// read and write goes to the file when it is called.
#pragma once

#include <array>
#include <string>

namespace v3d {

// Resource (text, empty): the language library's name.
std::string ReadViewerLanguageLibrary();
void WriteViewerLanguageLibrary(const std::string& name);

// WindowPos (text, empty): ten numbers "flags,show,min x,min y,max x,max y,left,top,right,bottom".
std::string ReadWindowPlacement();
void WriteWindowPlacement(const std::string& text);

// Measure (int, 1): the measuring switch of the main window's panel.
int ReadMeasureSwitch();
void WriteMeasureSwitch(int on);

// The document frames' pane widths (PainWidth1..4) and heights (PainHeight1..7), ints, -1 each
// when absent.
struct PaneSizes {
    std::array<int, 4> widths{};
    std::array<int, 7> heights{};
};
PaneSizes ReadPaneSizes();
// The widths, then the heights, each in their order.
void WritePaneSizes(const PaneSizes& sizes);

} // namespace v3d
