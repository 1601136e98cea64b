// The 120-byte parameter record handed by address to every camera-module export. It is kept as the
// exact little-endian bytes the module sees; every field is reached through its fixed offset.
#pragma once

#include "devices/camera/CameraModuleApi.h"
#include "platform/WinTypes.h"

#include <array>
#include <cstdint>
#include <string_view>

enum class CamParamType { Int32, Float32, Float64 };

// One settings-backed field of the record: [CAMPARAM] key, offset, type, default of the key.
struct CamParamField {
    std::string_view key;
    int offset;
    CamParamType type;
    double defaultValue;
};

class CamParamRecord {
public:
    static constexpr int kSize = VT_CAMPARAM_SIZE;
    static constexpr int kRefParamCount = 9;

    // Every field at the default of its settings key; the three token slots are 0.
    CamParamRecord();

    // The bytes passed to the module as P.
    BYTE* Data() { return bytes_.data(); }
    const BYTE* Data() const { return bytes_.data(); }

    int32_t GetInt(int offset) const { return le::getS32(bytes_.data() + offset); }
    void SetInt(int offset, int32_t v) { le::put32(bytes_.data() + offset, static_cast<uint32_t>(v)); }
    float GetFloat(int offset) const;
    void SetFloat(int offset, float v);
    double GetDouble(int offset) const { return le::getDouble(bytes_.data() + offset); }
    void SetDouble(int offset, double v) { le::putDouble(bytes_.data() + offset, v); }
    uint32_t GetToken(int offset) const { return le::get32(bytes_.data() + offset); }
    void SetToken(int offset, uint32_t v) { le::put32(bytes_.data() + offset, v); }

    int32_t ColorMode() const { return GetInt(VT_CAMPARAM_COLORMODE); }
    void SetColorMode(int32_t v) { SetInt(VT_CAMPARAM_COLORMODE, v); }
    int32_t Reduce() const { return GetInt(VT_CAMPARAM_REDUCE); }
    void SetReduce(int32_t v) { SetInt(VT_CAMPARAM_REDUCE, v); }
    int32_t Ext1() const { return GetInt(VT_CAMPARAM_EXT1); }
    void SetExt1(int32_t v) { SetInt(VT_CAMPARAM_EXT1, v); }
    float Ext6() const { return GetFloat(VT_CAMPARAM_EXT6); }
    double Ext7() const { return GetDouble(VT_CAMPARAM_EXT7); }
    int32_t RefParam(int i) const { return GetInt(VT_CAMPARAM_REFPARAM + 4 * i); }
    void SetRefParam(int i, int32_t v) { SetInt(VT_CAMPARAM_REFPARAM + 4 * i, v); }
    int32_t GrabKind() const { return GetInt(VT_CAMPARAM_GRABKIND); }
    void SetGrabKind(int32_t v) { SetInt(VT_CAMPARAM_GRABKIND, v); }
    uint32_t MainWindow() const { return GetToken(VT_CAMPARAM_MAINWINDOW); }
    void SetMainWindow(uint32_t token) { SetToken(VT_CAMPARAM_MAINWINDOW, token); }
    uint32_t FrameWindow() const { return GetToken(VT_CAMPARAM_FRAMEWINDOW); }
    void SetFrameWindow(uint32_t token) { SetToken(VT_CAMPARAM_FRAMEWINDOW, token); }
    uint32_t Instance() const { return GetToken(VT_CAMPARAM_INSTANCE); }
    void SetInstance(uint32_t token) { SetToken(VT_CAMPARAM_INSTANCE, token); }
    int32_t Bpp() const { return GetInt(VT_CAMPARAM_BPP); }
    void SetBpp(int32_t v) { SetInt(VT_CAMPARAM_BPP, v); }
    int32_t RangeLow() const { return GetInt(VT_CAMPARAM_RANGELOW); }
    void SetRangeLow(int32_t v) { SetInt(VT_CAMPARAM_RANGELOW, v); }
    int32_t RangeHi() const { return GetInt(VT_CAMPARAM_RANGEHI); }
    void SetRangeHi(int32_t v) { SetInt(VT_CAMPARAM_RANGEHI, v); }

    // The settings-backed fields in record order (REFPARAM is one key holding nine integers; the
    // window and instance slots have no key).
    static const std::array<CamParamField, 18>& Fields();

private:
    alignas(8) std::array<BYTE, kSize> bytes_{};
};

static_assert(sizeof(CamParamRecord) == CamParamRecord::kSize,
              "the record is exactly the module's 120 bytes");
