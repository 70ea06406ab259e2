#pragma once

#include "core/archive/storable.h"

#include <initializer_list>
#include <string_view>
#include <vector>

/// The classes a loading archive may create, looked up by exact, case-sensitive name.
class ClassRegistry {
public:
    ClassRegistry() = default;
    ClassRegistry(std::initializer_list<const StoredClass*> classes);

    void Register(const StoredClass& runtimeClass);
    const StoredClass* Find(std::string_view name) const;

private:
    std::vector<const StoredClass*> m_classes;
};
