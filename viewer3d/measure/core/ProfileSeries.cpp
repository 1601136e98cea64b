#include "viewer3d/measure/core/ProfileSeries.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace v3d {

void ClearVector(BoundedVector* v) {
    if (!v)
        return;
    v->lo = 0;
    v->hi = 0;
    v->storage.clear();
    v->storage.shrink_to_fit();
    v->allocated = false;
}

int AllocVector(BoundedVector* v, int lo, int hi) {
    if (!v || v->allocated || hi < lo)
        return 1;
    try {
        v->storage.resize(static_cast<size_t>(static_cast<int64_t>(hi) - lo + 1));
    } catch (const std::bad_alloc&) {
        return 1;
    }
    v->lo = lo;
    v->hi = hi;
    v->allocated = true;
    return 0;
}

int AllocZeroVector(BoundedVector* v, int lo, int hi) {
    const int r = AllocVector(v, lo, hi);
    if (r == 0)
        std::fill(v->storage.begin(), v->storage.end(), 0.0);
    return r;
}

int FreeVector(BoundedVector* v) {
    if (!v || !v->allocated)
        return 1;
    v->storage.clear();
    v->storage.shrink_to_fit();
    v->allocated = false;
    return 0;
}

int SetVectorValue(BoundedVector* v, int index, double value) {
    if (!v || !v->allocated || index < v->lo || index > v->hi)
        return 0;
    v->storage[static_cast<size_t>(static_cast<int64_t>(index) - v->lo)] = value;
    return 1;
}

double GetVectorValue(const BoundedVector* v, int index) {
    if (!v || !v->allocated || index < v->lo || index > v->hi)
        return kOutOfRangeValue;
    return v->storage[static_cast<size_t>(static_cast<int64_t>(index) - v->lo)];
}

ProfileSeries::~ProfileSeries() {
    ClearPairList(&texts);
    ClearValueList(&values);
}

void InitProfileSeries(ProfileSeries* s) {
    if (!s)
        return;
    ClearPairList(&s->texts);
    ClearValueList(&s->values);
    ClearVector(&s->samples);
    s->count = 0;
    s->pitch = 0.0;
}

int ResetProfileSeries(ProfileSeries* s) {
    if (!s)
        return 0;
    ClearPairList(&s->texts);
    ClearValueList(&s->values);
    FreeVector(&s->samples);
    return 0;
}

int SizeProfileSeries(ProfileSeries* s, int n, double pitch) {
    if (!s)
        return 1;
    ResetProfileSeries(s);
    if (AllocZeroVector(&s->samples, 0, n - 1) != 0)
        return 1;
    s->count = n;
    s->pitch = pitch;
    return 0;
}

int CopyProfileSeries(const ProfileSeries* source, ProfileSeries* target) {
    if (!source || !target || source == target)
        return 0;
    InitProfileSeries(target);
    if (SizeProfileSeries(target, source->count, source->pitch) != 0)
        return 0;
    CopyPairList(&source->texts, &target->texts);
    CopyValueList(&source->values, &target->values);
    for (int i = 0; i < source->count; ++i)
        SetVectorValue(&target->samples, i, GetVectorValue(&source->samples, i));
    return 0;
}

} // namespace v3d
