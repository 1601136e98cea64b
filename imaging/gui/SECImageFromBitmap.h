// Taking the pixels of a window-layer bitmap into an image-file object: what was drawn on the
// screen (a result with its scale bars burnt in, a thumbnail of the browser) becomes an image
// that the image classes save and store like one read from a file.
#pragma once

#include "platform/WinTypes.h"

class SECImage;
class wxBitmap;

// Replaces the image by the bitmap's pixels, rows padded to four bytes and bottom-up as at
// rest. A bitmap of more than 8 bits per pixel (24, or 32 whose fourth byte is dropped) gives
// a 24-bit image of blue, green, red pixels and no colour table; a 1-bit bitmap a 1-bit image
// with the table black, white. 1 on success; 0 for an invalid bitmap, another depth, or when
// memory runs out, and then the image keeps what it held.
BOOL FromBitmap(SECImage& image, const wxBitmap& bitmap);
