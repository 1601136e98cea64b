// Shared pieces of the JPEG codec hookup: the error record that unwinds with a jump, and the
// slot where a file exception raised inside a codec callback waits to be passed on.
#pragma once

#include "platform/WinTypes.h"

#include <csetjmp>
#include <cstdio>
#include <exception>

#include <jpeglib.h>
#include <jerror.h>

struct SECJpegError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    // A file exception caught in a source or destination callback; rethrown by the
    // operation once the codec object is destroyed.
    std::exception_ptr* pending = nullptr;
};

// One row of four inks a pixel (the decoder's output for a CMYK or YCCK picture) into blue,
// green, red: each colour is its ink times black, over 255. Without the Adobe marker the inks
// are stored inverted.
void CmykRowToBgr(const JSAMPLE* inks, BYTE* bgr, JDIMENSION width, bool sawAdobeMarker);
