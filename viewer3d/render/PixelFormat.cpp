#include "viewer3d/render/PixelFormat.h"

namespace v3d {

int SetupPixelFormat(wxGLAttributes& attributes, int /*option*/) {
    for (int depth : {32, 24}) {
        attributes.Reset();
        attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(depth).EndList();
        if (wxGLCanvas::IsDisplaySupported(attributes))
            return 1;
    }
    return 0;
}

} // namespace v3d
