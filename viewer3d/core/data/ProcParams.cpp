#include "viewer3d/core/data/ProcParams.h"

#include "platform/File.h"
#include "platform/WinTypes.h"

#include <cmath>
#include <cstring>

namespace v3d {

namespace {
void putF32(uint8_t* p, float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    le::put32(p, u);
}
float getF32(const uint8_t* p) {
    const uint32_t u = le::get32(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}
} // namespace

void ProcParams::Encode(uint8_t* out) const {
    std::memset(out, 0, kBytes);
    putF32(out + 4, invalidThreshold);
    le::put32(out + 8, static_cast<uint32_t>(invalidOption));
    le::put16(out + 12, static_cast<uint16_t>(contourCount));
    le::putDouble(out + 14, zAxisLength);
    le::put32(out + 22, static_cast<uint32_t>(zAxisFixed));
    le::put32(out + 26, static_cast<uint32_t>(scaleLinesShown));
    le::put32(out + 30, static_cast<uint32_t>(zScaleFixed));
    le::putDouble(out + 34, zScalePreset);
    le::put32(out + 42, static_cast<uint32_t>(zScaleFreeOn));
    le::putDouble(out + 46, zScaleFree);
    le::put32(out + 54, static_cast<uint32_t>(rotationFixed));
    le::putDouble(out + 58, rotationX);
    le::putDouble(out + 66, rotationY);
    le::putDouble(out + 74, rotationZ);
    le::putDouble(out + 82, zoom);
    le::put32(out + 90, static_cast<uint32_t>(smoothingOn));
    le::put32(out + 94, static_cast<uint32_t>(smoothingMethod));
    le::put32(out + 98, static_cast<uint32_t>(smoothingWidth));
    le::put32(out + 102, static_cast<uint32_t>(endEffect));
    le::putDouble(out + 106, cutoff);
}

std::array<uint8_t, ProcParams::kBytes> ProcParams::Encode() const {
    std::array<uint8_t, kBytes> out{};
    Encode(out.data());
    return out;
}

ProcParams ProcParams::Decode(const uint8_t* in) {
    ProcParams p;
    p.invalidThreshold = getF32(in + 4);
    p.invalidOption = le::getS32(in + 8);
    p.contourCount = le::getS16(in + 12);
    p.zAxisLength = le::getDouble(in + 14);
    p.zAxisFixed = le::getS32(in + 22);
    p.scaleLinesShown = le::getS32(in + 26);
    p.zScaleFixed = le::getS32(in + 30);
    p.zScalePreset = le::getDouble(in + 34);
    p.zScaleFreeOn = le::getS32(in + 42);
    p.zScaleFree = le::getDouble(in + 46);
    p.rotationFixed = le::getS32(in + 54);
    p.rotationX = le::getDouble(in + 58);
    p.rotationY = le::getDouble(in + 66);
    p.rotationZ = le::getDouble(in + 74);
    p.zoom = le::getDouble(in + 82);
    p.smoothingOn = le::getS32(in + 90);
    p.smoothingMethod = le::getS32(in + 94);
    p.smoothingWidth = le::getS32(in + 98);
    p.endEffect = le::getS32(in + 102);
    p.cutoff = le::getDouble(in + 106);
    return p;
}

int ProcParams::Sanitize() {
    const ProcParams d;
    int n = 0;
    auto keep = [&](auto& v, bool ok, auto fallback) {
        if (!ok) {
            v = fallback;
            ++n;
        }
    };
    auto nonNeg = [](double v) { return std::isfinite(v) && v >= 0.0; };
    keep(invalidThreshold,
         std::isfinite(invalidThreshold) && invalidThreshold >= 0.0f && invalidThreshold <= 100000.0f,
         d.invalidThreshold);
    keep(invalidOption, invalidOption == 0 || invalidOption == 1, d.invalidOption);
    keep(contourCount, contourCount >= 1 && contourCount <= 256, d.contourCount);
    keep(zAxisLength, nonNeg(zAxisLength), d.zAxisLength);
    keep(zScalePreset, nonNeg(zScalePreset), d.zScalePreset);
    keep(zScaleFree, nonNeg(zScaleFree), d.zScaleFree);
    keep(rotationX, std::isfinite(rotationX), d.rotationX);
    keep(rotationY, std::isfinite(rotationY), d.rotationY);
    keep(rotationZ, std::isfinite(rotationZ), d.rotationZ);
    keep(zoom, nonNeg(zoom), d.zoom);
    keep(smoothingWidth, smoothingWidth >= 0 && smoothingWidth <= 3, d.smoothingWidth);
    keep(endEffect, endEffect == 0 || endEffect == 1, d.endEffect);
    keep(cutoff, std::isfinite(cutoff) && cutoff > 0.0, d.cutoff);
    return n;
}

void ProcParams::TakeFromFile(const ViewState& v) {
    zAxisLength = v.zAxisLength;
    zAxisFixed = v.zAxisFixed;
    scaleLinesShown = v.scaleLinesShown;
    zScaleFixed = v.zScaleFixed;
    zScalePreset = v.zScalePreset;
    zScaleFreeOn = v.zScaleFreeOn;
    zScaleFree = v.zScaleFree;
    rotationFixed = v.rotationFixed;
    rotationX = v.rotationX;
    rotationY = v.rotationY;
    rotationZ = v.rotationZ;
    zoom = v.zoom;
    smoothingOn = v.smoothingOn;
    smoothingMethod = v.smoothingMethod;
    smoothingWidth = v.smoothingWidth;
}

int ProcParams::Load(const std::string& path) {
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return 0;
    uint8_t buffer[kBytes] = {};
    try {
        if (file.Read(buffer, kBytes) != kBytes) {
            file.Abort();
            return 0;
        }
    } catch (const CFileException&) {
        file.Abort();
        return 0;
    }
    file.Abort();
    ProcParams read = Decode(buffer);
    read.Sanitize();
    *this = read;
    return 1;
}

int ProcParams::Save(const std::string& path, int* failure) const {
    if (failure)
        *failure = 0;
    AtomicFileWriter writer(path);
    if (!writer.Open()) {
        if (failure)
            *failure = 1;
        return 0;
    }
    try {
        const auto bytes = Encode();
        writer.File().Write(bytes.data(), kBytes);
        if (!writer.Commit()) {
            if (failure)
                *failure = 2;
            return 0;
        }
    } catch (const CFileException&) {
        writer.Abort();
        if (failure)
            *failure = 2;
        return 0;
    }
    return 1;
}

ProcParams& GlobalProcParams() {
    static ProcParams params;
    return params;
}

std::string ProcParamsPath(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + "3DPROC.PAR";
}

} // namespace v3d
