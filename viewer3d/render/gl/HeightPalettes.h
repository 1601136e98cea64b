// The ten height colour tables of the 3D scene: 256 entries of red, green, blue in [0, 1].
#pragma once

namespace v3d::scene {

struct RgbF {
    float r = 0;
    float g = 0;
    float b = 0;
};

constexpr int kHeightPaletteCount = 10;
constexpr int kHeightPaletteSize = 256;

// Table of a palette index: 0 rainbow, 1 blue-green-red, 2 grey, 3 gold, 4..9 blue, green,
// red, yellow, cyan and magenta ramps. An index outside 1..9 gives table 0.
const RgbF* HeightPalette(int index);

// The colour of height fraction t (index t x 255, truncated) in the palette of the document, for
// the display modes that colour by height (1 surface, 2 wireframe). false, and out untouched,
// when t is outside [0, 1] or the mode colours by texture.
bool PaletteColour(int displayMode, int paletteIndex, double t, RgbF& out);

} // namespace v3d::scene
