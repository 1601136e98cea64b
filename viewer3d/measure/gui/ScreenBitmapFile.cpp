#include "viewer3d/measure/gui/ScreenBitmapFile.h"

#include "viewer3d/measure/core/BmpSave.h"

#include <wx/bitmap.h>
#include <wx/image.h>

namespace v3d {

int SaveBitmapAsBmp(const wxBitmap& bitmap, const std::string& path) {
    if (!bitmap.IsOk() || bitmap.GetWidth() <= 0 || bitmap.GetHeight() <= 0)
        return 0;
    const wxImage pixels = bitmap.ConvertToImage();
    if (!pixels.IsOk())
        return 0;
    // wxImage rows are top-down (red, green, blue) triples without padding.
    return SaveRgbAsBmp(pixels.GetData(), pixels.GetWidth(), pixels.GetHeight(), pixels.GetWidth() * 3, path);
}

} // namespace v3d
