// The root class of archivable objects and its run-time class record: the
// class name, the schema number written with an object and the function that
// creates an object of the class by its name.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace vd {

class CArchive;
class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    std::uint32_t m_wSchema;
    CObject* (*m_pfnCreateObject)();  // null for a class that cannot be created
    const CRuntimeClass* m_pBaseClass;

    // A new default-constructed object of the class, owned by the caller, or
    // null when the class cannot be created. Raises CMemoryException when the
    // memory runs out.
    std::unique_ptr<CObject> CreateObject() const;
    // True when this class is pBase or derives from it.
    bool IsDerivedFrom(const CRuntimeClass* pBase) const;

    // The record of a class known to the library by its name, or null.
    static const CRuntimeClass* FromName(std::string_view className);
    // Creates an object by its class name; null for an unknown class.
    static std::unique_ptr<CObject> CreateObject(std::string_view className);
};

class CObject {
  public:
    static const CRuntimeClass classCObject;

    CObject() = default;
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    // Stores the object in, or loads it from, the archive; the root class has
    // nothing to store.
    virtual void Serialize(CArchive& ar);

    bool IsKindOf(const CRuntimeClass* pClass) const {
        return GetRuntimeClass()->IsDerivedFrom(pClass);
    }
};

}  // namespace vd
