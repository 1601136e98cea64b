// Run-time classes for objects that archives store and load by class name: every such class
// derives from CObject, names itself with DECLARE_SERIAL / IMPLEMENT_SERIAL (or the DYNAMIC and
// DYNCREATE forms for classes that are only identified or created), and is then found by its
// name when an archive is read.
#pragma once

#include "platform/WinTypes.h"

#include <string>

class CArchive;
class CObject;

// The schema of a class that is identified or created but never stored through object tags.
constexpr UINT kNoSchema = 0xFFFF;

struct CRuntimeClass {
    const char* m_lpszClassName;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object of the class, or null when the class cannot be created.
    CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    // The registered class of that name, or null.
    static const CRuntimeClass* FromName(const std::string& name);
    // Adds the class to the name registry (the IMPLEMENT macros do this at start-up).
    static void Register(const CRuntimeClass* cls);
};

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    // Stores or loads the object's fields; the base has none.
    virtual void Serialize(CArchive& ar);
    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
    static const CRuntimeClass* GetThisClass();

protected:
    CObject() = default;
};

struct CRuntimeClassRegistrar {
    explicit CRuntimeClassRegistrar(const CRuntimeClass* cls) { CRuntimeClass::Register(cls); }
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                                                          \
public:                                                                                                      \
    static const CRuntimeClass* GetThisClass();                                                              \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                                        \
    DECLARE_DYNAMIC(class_name)                                                                              \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define VT_IMPLEMENT_RUNTIMECLASS(class_name, base_name, schema, factory)                                    \
    const CRuntimeClass* class_name::GetThisClass() {                                                        \
        static const CRuntimeClass cls{#class_name, schema, factory, base_name::GetThisClass()};             \
        return &cls;                                                                                         \
    }                                                                                                        \
    const CRuntimeClass* class_name::GetRuntimeClass() const {                                               \
        return GetThisClass();                                                                               \
    }                                                                                                        \
    static const CRuntimeClassRegistrar vt_registrar_##class_name(class_name::GetThisClass());

#define IMPLEMENT_DYNAMIC(class_name, base_name)                                                             \
    VT_IMPLEMENT_RUNTIMECLASS(class_name, base_name, kNoSchema, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_name)                                                           \
    CObject* class_name::CreateObject() {                                                                    \
        return new class_name;                                                                               \
    }                                                                                                        \
    VT_IMPLEMENT_RUNTIMECLASS(class_name, base_name, kNoSchema, &class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_name, schema)                                                      \
    CObject* class_name::CreateObject() {                                                                    \
        return new class_name;                                                                               \
    }                                                                                                        \
    VT_IMPLEMENT_RUNTIMECLASS(class_name, base_name, schema, &class_name::CreateObject)
