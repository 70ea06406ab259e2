#include "classregistry.h"

CClassRegistry::CClassRegistry(std::initializer_list<const CRuntimeClass*> classes)
    : m_classes(classes) {}

void CClassRegistry::Register(const CRuntimeClass& runtimeClass) {
    if (!Find(runtimeClass.name))
        m_classes.push_back(&runtimeClass);
}

const CRuntimeClass* CClassRegistry::Find(std::string_view name) const {
    for (const CRuntimeClass* runtimeClass : m_classes)
        if (runtimeClass->name == name)
            return runtimeClass;
    return nullptr;
}
