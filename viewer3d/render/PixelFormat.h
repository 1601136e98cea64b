// The pixel format of a 3D view's window: RGBA, double buffer, a depth buffer of 32 bits when
// the display offers one, else 24.
#pragma once

#include <wx/glcanvas.h>

namespace v3d {

// Fills attributes for the option of the document (1 asked for stereo: no stereo visual is
// offered here, so it is the same as 0). Nonzero when the display supports the format.
int SetupPixelFormat(wxGLAttributes& attributes, int option);

} // namespace v3d
