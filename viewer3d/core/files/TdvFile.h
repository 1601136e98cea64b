// The 3D viewer's document file (.tdv): the document's two state blocks, the image geometry,
// pitch and calibration, then the texture and the height plane as raw samples. Version
// "TDV003" is written; "TDV001" and "TDV002" are read too and their state blocks converted.
//
// TDV003 header (580 bytes, little-endian, unaligned): 0 magic; 6 ViewState (388); 394
// MeasureState (100); 494 width; 498 height; 502 texture type; 506 height type; 510 f64 pitch;
// 518 xy unit (21, CP932, zero-filled); 539 f64 z-scale; 547 z unit (21); 568 maximum value of
// the height plane (-1 = the type's range); 572 f64 height base offset. A plane follows as its
// samples without row padding, rows from the top down, colour samples planar (red plane
// first); types 1 and 10..12 add a 768-byte (red, green, blue) colour table.
#pragma once

#include "platform/GlobalMemory.h"
#include "viewer3d/core/data/CalibRecord.h"
#include "viewer3d/core/data/MeasureState.h"
#include "viewer3d/core/data/ViewState.h"

#include <cstdint>
#include <string>

class CFile;
class CFileException;

namespace v3d {

constexpr size_t kTdv3HeaderBytes = 580;
constexpr size_t kTdv2HeaderBytes = 564;
constexpr size_t kTdv1HeaderBytes = 540;

// Everything a document file holds besides its planes.
struct TdvFields {
    ViewState view;
    MeasureState measure;
    int width = 0;
    int height = 0;
    int textureType = 0;
    int heightType = 0;
    double pitch = 1.0;
    CalibRecord calib{"μｍ", 1.0, "μｍ"};
    int maxValue = -1;
    double baseOffset = 0.0;
};

// How a plane of a slot type is stored: the bitmap depth it needs, bytes a sample and samples a
// pixel; false for the types a file cannot hold (2 and anything but 0, 1, 3..12, 17).
struct TdvPlaneLayout {
    int bitCount;
    int bytesPerSample;
    int samplesPerPixel;
};
bool TdvLayoutOfType(int type, TdvPlaneLayout* layout);

// The 580-byte header of a TDV003 file.
void EncodeTdvHeader(const TdvFields& fields, uint8_t* out);

// Writes header, texture plane (its type) and height plane (its type); width and height come
// from the texture plane. 0 on a refused type, a bitmap of another depth or a null plane, or
// when memory is refused; the header and a plane already written stay in the file then. Write
// errors arrive as CFileException.
int WriteTdvFile(CFile* file, const TdvFields& fields, HDIB texture, HDIB height);
// WriteTdvFile into a temporary file renamed over the path on success. 1 written; 0 when the
// writer failed (the target stays as it was); -1 when the file could not be created; -2 on a
// write error. For -1 and -2 error (when given) holds the file error.
int SaveTdvFile(const std::string& path, const TdvFields& fields, HDIB texture, HDIB height,
                CFileException* error = nullptr);

// Reads a document file of any of the three versions. The header fields go to *fields
// (converted for older versions, then held to their ranges: pitch and z-scale not above 0 or
// not finite become 1.0, unit texts end in a zero on a CP932 boundary). Returns the texture
// plane and the height plane in *height (both owned by the caller), or null when the magic is
// unknown, the header is short, a type is refused or a plane does not fit in the rest of the
// file; *fields keeps what was read before the failure. *version gets 1, 2 or 3 (0 unknown).
HDIB ReadTdvFile(CFile* file, TdvFields* fields, HDIB* height, int* version = nullptr);

} // namespace v3d
