// The processing parameter file: any 114 bytes read and held to their ranges stay there.
#include "FuzzSupport.h"

#include "viewer3d/core/data/ProcParams.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < v3d::ProcParams::kBytes)
        return 0;
    v3d::ProcParams p = v3d::ProcParams::Decode(data);
    p.Sanitize();
    if (p.smoothingWidth < 0 || p.smoothingWidth > 3 || !(p.cutoff > 0) || !std::isfinite(p.cutoff) ||
        p.contourCount < 1 || p.contourCount > 256 || !std::isfinite(p.zoom) || p.Sanitize() != 0)
        __builtin_trap();
    if (!(v3d::ProcParams::Decode(p.Encode().data()) == p))
        __builtin_trap();
    return 0;
}
