#include "devices/camera/CamParamRecord.h"

#include <cstring>

namespace {
const std::array<CamParamField, 18> kFields = {{
    {"COLORMODE", VT_CAMPARAM_COLORMODE, CamParamType::Int32, 0},
    {"SAMPLE", VT_CAMPARAM_SAMPLE, CamParamType::Int32, 0},
    {"REVERSEINP", VT_CAMPARAM_REVERSEINP, CamParamType::Int32, 0},
    {"REDUCE", VT_CAMPARAM_REDUCE, CamParamType::Int32, 0},
    {"INPCANNEL", VT_CAMPARAM_INPCANNEL, CamParamType::Int32, 0},
    {"EXT1", VT_CAMPARAM_EXT1, CamParamType::Int32, -1},
    {"EXT2", VT_CAMPARAM_EXT2, CamParamType::Int32, -1},
    {"EXT3", VT_CAMPARAM_EXT2 + 4, CamParamType::Int32, -1},
    {"EXT4", VT_CAMPARAM_EXT2 + 8, CamParamType::Int32, -1},
    {"EXT5", VT_CAMPARAM_EXT2 + 12, CamParamType::Int32, -1},
    {"EXT6", VT_CAMPARAM_EXT6, CamParamType::Float32, -1.0},
    {"EXT7", VT_CAMPARAM_EXT7, CamParamType::Float64, -1.0},
    {"REFPARAM", VT_CAMPARAM_REFPARAM, CamParamType::Int32, 0},
    {"CAPCOND", VT_CAMPARAM_CAPCOND, CamParamType::Int32, -1},
    {"BPP", VT_CAMPARAM_BPP, CamParamType::Int32, 8},
    {"RANGELOW", VT_CAMPARAM_RANGELOW, CamParamType::Int32, 0},
    {"RANGEHI", VT_CAMPARAM_RANGEHI, CamParamType::Int32, 255},
    {"IMAGESIZESEL", VT_CAMPARAM_IMAGESIZESEL, CamParamType::Int32, 0},
}};
} // namespace

CamParamRecord::CamParamRecord() {
    for (const CamParamField& f : kFields) {
        int count = f.key == "REFPARAM" ? kRefParamCount : 1;
        for (int i = 0; i < count; ++i) {
            switch (f.type) {
            case CamParamType::Int32:
                SetInt(f.offset + 4 * i, static_cast<int32_t>(f.defaultValue));
                break;
            case CamParamType::Float32:
                SetFloat(f.offset, static_cast<float>(f.defaultValue));
                break;
            case CamParamType::Float64:
                SetDouble(f.offset, f.defaultValue);
                break;
            }
        }
    }
}

float CamParamRecord::GetFloat(int offset) const {
    uint32_t u = le::get32(bytes_.data() + offset);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

void CamParamRecord::SetFloat(int offset, float v) {
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    le::put32(bytes_.data() + offset, u);
}

const std::array<CamParamField, 18>& CamParamRecord::Fields() {
    return kFields;
}
