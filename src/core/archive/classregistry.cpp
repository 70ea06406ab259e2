#include "core/archive/classregistry.h"

ClassRegistry::ClassRegistry(std::initializer_list<const StoredClass*> classes)
    : m_classes(classes) {}

void ClassRegistry::Register(const StoredClass& runtimeClass) {
    if (!Find(runtimeClass.name))
        m_classes.push_back(&runtimeClass);
}

const StoredClass* ClassRegistry::Find(std::string_view name) const {
    for (const StoredClass* runtimeClass : m_classes)
        if (runtimeClass->name == name)
            return runtimeClass;
    return nullptr;
}
