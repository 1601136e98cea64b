#include "platform/Object.h"

#include <map>
#include <mutex>

namespace {
std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, const CRuntimeClass*>& registry() {
    static std::map<std::string, const CRuntimeClass*> r;
    return r;
}
} // namespace

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}

void CRuntimeClass::Register(const CRuntimeClass* cls) {
    std::lock_guard<std::mutex> g(registryMutex());
    registry().emplace(cls->m_lpszClassName, cls); // the first class of a name stays
}

const CRuntimeClass* CRuntimeClass::FromName(const std::string& name) {
    std::lock_guard<std::mutex> g(registryMutex());
    auto it = registry().find(name);
    return it == registry().end() ? nullptr : it->second;
}

const CRuntimeClass* CObject::GetThisClass() {
    static const CRuntimeClass cls{"CObject", kNoSchema, nullptr, nullptr};
    return &cls;
}

const CRuntimeClass* CObject::GetRuntimeClass() const {
    return GetThisClass();
}

void CObject::Serialize(CArchive&) {}
