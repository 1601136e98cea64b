#include "viewer3d/core/data/CalibRecord.h"

#include "platform/Encoding.h"

namespace v3d {

std::string UnitTextFromCp932(const std::string& cp932) {
    return Cp932ToUtf8(Cp932Cut(cp932, kCalibUnitBytes));
}

} // namespace v3d
