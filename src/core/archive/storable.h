#pragma once

#include "core/archive/storednames.h"

#include <cstdint>
#include <memory>
#include <string_view>

class Archive;
class Storable;

/// What the archive needs to know of a stored class: its exact name, the schema numbers it
/// reads (the newest is the one it writes) and how to make an empty object of it when a file
/// names it.
struct StoredClass {
    std::string_view name;
    std::uint16_t oldestSchema;
    std::uint16_t schema;
    std::unique_ptr<Storable> (*create)();

    bool Reads(std::uint16_t stored) const { return stored >= oldestSchema && stored <= schema; }
};

/// Base of every object that can be written to and read from an archive.
class Storable {
public:
    virtual ~Storable() = default;
    virtual const StoredClass& GetRuntimeClass() const = 0;
    /// Writes or reads the object's fields in the order `schema` gives them, depending on the
    /// archive's mode: the class's own schema when storing, the file's when loading. An object
    /// held by value carries no schema of its own; its holder passes the one its schema implies.
    virtual void Serialize(Archive& ar, std::uint16_t schema) = 0;
    /// The same in the schema the class writes now.
    void Serialize(Archive& ar) { Serialize(ar, GetRuntimeClass().schema); }

protected:
    Storable() = default;
    Storable(const Storable&) = default;
    Storable& operator=(const Storable&) = default;
};

/// Declares the class record of a stored class; pair with IMPLEMENT_SERIAL in the source file.
#define DECLARE_SERIAL(ClassName)                                                                  \
public:                                                                                            \
    static const StoredClass classRecord;                                                          \
    using Storable::Serialize;                                                                     \
    const StoredClass& GetRuntimeClass() const override {                                          \
        return classRecord;                                                                        \
    }

/// The class is stored under its name in `storednames`; it writes `Schema` and reads
/// `OldestSchema` to `Schema`.
#define IMPLEMENT_SERIAL(ClassName, OldestSchema, Schema)                                          \
    const StoredClass ClassName::classRecord = {                                                   \
        storednames::ClassName, OldestSchema, Schema,                                              \
        []() -> std::unique_ptr<Storable> { return std::make_unique<ClassName>(); }};
