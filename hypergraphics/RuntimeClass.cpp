#include "hypergraphics/RuntimeClass.h"

#include "common/Exceptions.h"
#include "hypergraphics/Area.h"

namespace vd {

const CRuntimeClass CObject::classCObject = {"CObject", 0xFFFF, nullptr, nullptr};

void CObject::Serialize(CArchive&) {}

// Every class that can be created by its name.
static const CRuntimeClass* const kKnownClasses[] = {
    &CArea::classCArea,
};

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const {
    if (m_pfnCreateObject == nullptr) return nullptr;
    CObject* pObject = m_pfnCreateObject();
    if (pObject == nullptr) throw CMemoryException();
    return std::unique_ptr<CObject>(pObject);
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBase) const {
    for (const CRuntimeClass* pClass = this; pClass != nullptr; pClass = pClass->m_pBaseClass) {
        if (pClass == pBase) return true;
    }
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view className) {
    for (const CRuntimeClass* pClass : kKnownClasses) {
        if (className == pClass->m_lpszClassName) return pClass;
    }
    return nullptr;
}

std::unique_ptr<CObject> CRuntimeClass::CreateObject(std::string_view className) {
    const CRuntimeClass* pClass = FromName(className);
    return pClass != nullptr ? pClass->CreateObject() : nullptr;
}

}  // namespace vd
