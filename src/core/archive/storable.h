#pragma once

#include "core/archive/storednames.h"

#include <cstdint>
#include <memory>
#include <string_view>

class Archive;
class Storable;

/// What the archive needs to know of a stored class: its exact name, its schema number and
/// how to make an empty object of it when a file names it.
struct StoredClass {
    std::string_view name;
    std::uint16_t schema;
    std::unique_ptr<Storable> (*create)();
};

/// Base of every object that can be written to and read from an archive.
class Storable {
public:
    virtual ~Storable() = default;
    virtual const StoredClass& GetRuntimeClass() const = 0;
    /// Writes or reads the object's fields, in one fixed order, depending on the archive's mode.
    virtual void Serialize(Archive& ar) = 0;

protected:
    Storable() = default;
    Storable(const Storable&) = default;
    Storable& operator=(const Storable&) = default;
};

/// Declares the class record of a stored class; pair with IMPLEMENT_SERIAL in the source file.
#define DECLARE_SERIAL(ClassName)                                                                  \
public:                                                                                            \
    static const StoredClass classRecord;                                                          \
    const StoredClass& GetRuntimeClass() const override {                                          \
        return classRecord;                                                                        \
    }

/// The class is stored under its name in `storednames`.
#define IMPLEMENT_SERIAL(ClassName, Schema)                                                        \
    const StoredClass ClassName::classRecord = {                                                   \
        storednames::ClassName, Schema,                                                            \
        []() -> std::unique_ptr<Storable> { return std::make_unique<ClassName>(); }};
