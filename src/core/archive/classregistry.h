#pragma once

#include "object.h"

#include <initializer_list>
#include <string_view>
#include <vector>

/// The classes a loading archive may create, looked up by exact, case-sensitive name.
class CClassRegistry {
public:
    CClassRegistry() = default;
    CClassRegistry(std::initializer_list<const CRuntimeClass*> classes);

    void Register(const CRuntimeClass& runtimeClass);
    const CRuntimeClass* Find(std::string_view name) const;

private:
    std::vector<const CRuntimeClass*> m_classes;
};
