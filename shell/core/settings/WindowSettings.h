// [WindowsSettings] of the settings file, read and written here for every window: the main
// window's outer rectangle (LEFT, TOP, WIDTH, HEIGHT), whether it was closed maximised (ZOOMED)
// and the first size of the splitter panes (SPLITTER). Every read and write goes to the file
// when it is called.
#pragma once

#include <string>

// The main window's outer rectangle, ints.
struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
// LEFT, TOP, WIDTH, HEIGHT; the fallback's values for absent keys.
WindowRect ReadWindowRect(const WindowRect& fallback);
// LEFT, TOP, WIDTH, HEIGHT, in that order.
void WriteWindowRect(const WindowRect& r);
// ZOOMED (int, 0): 1 when the main window was closed maximised.
int ReadZoomed();
void WriteZoomed(int zoomed);
// SPLITTER (text, empty): the panes' first width and height, as SdiLayout reads them.
std::string ReadSplitterText();
