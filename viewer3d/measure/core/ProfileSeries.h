// The curves of the roughness evaluation: bounded vectors (arrays of doubles addressed by an
// index range) and profile series (one curve with its pitch and two small named lists).
#pragma once

#include "viewer3d/core/data/KeyValueLists.h"

#include <vector>

namespace v3d {

// What a read outside a vector's range, or from a vector without storage, gives.
constexpr double kOutOfRangeValue = 99999.0;

struct BoundedVector {
    int lo = 0;
    int hi = 0;
    std::vector<double> storage; // elements lo..hi; empty when not allocated
    bool allocated = false;
};

// Range 0..0, no storage.
void ClearVector(BoundedVector* v);
// Storage for lo..hi (contents unspecified): 0; 1 (refused, nothing changed) when storage exists,
// when hi < lo or when memory is refused.
int AllocVector(BoundedVector* v, int lo, int hi);
// AllocVector, then every element 0.0; same result.
int AllocZeroVector(BoundedVector* v, int lo, int hi);
// Frees the storage: 0, or 1 when there was none.
int FreeVector(BoundedVector* v);
// 1 when stored (storage exists and lo <= index <= hi), else 0.
int SetVectorValue(BoundedVector* v, int index, double value);
// The element, or kOutOfRangeValue outside the range or without storage.
double GetVectorValue(const BoundedVector* v, int index);

// One curve: samples 0..count-1, the distance between samples in the document's xy unit, and
// two lists that travel with it (texts receives "QUOT", the number of evaluated sections when it
// is not the standard five).
struct ProfileSeries {
    BoundedVector samples;
    int count = 0;
    double pitch = 0.0;
    NamedValueList values;
    StrPairList texts;

    ProfileSeries() = default;
    ProfileSeries(const ProfileSeries&) = delete;
    ProfileSeries& operator=(const ProfileSeries&) = delete;
    ~ProfileSeries();
};

// A fresh series: no samples, count 0, pitch 0, empty lists.
void InitProfileSeries(ProfileSeries* s);
// Clears both lists and frees the samples; 0.
int ResetProfileSeries(ProfileSeries* s);
// ResetProfileSeries, then n zeroed samples: 0; 1 when the storage was refused.
int SizeProfileSeries(ProfileSeries* s, int n, double pitch);
// The target becomes a copy of the source (samples, count, pitch, both lists); 0.
int CopyProfileSeries(const ProfileSeries* source, ProfileSeries* target);

} // namespace v3d
