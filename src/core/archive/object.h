#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

class CArchive;
class CObject;

/// What the archive needs to know of a stored class: its exact name, its schema number and
/// how to make an empty object of it when a file names it.
struct CRuntimeClass {
    std::string_view name;
    std::uint16_t schema;
    std::unique_ptr<CObject> (*create)();
};

/// Base of every object that can be written to and read from an archive.
class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass& GetRuntimeClass() const = 0;
    /// Writes or reads the object's fields, in one fixed order, depending on the archive's mode.
    virtual void Serialize(CArchive& ar) = 0;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

/// Declares the class record of a stored class; pair with IMPLEMENT_SERIAL in the source file.
#define DECLARE_SERIAL(ClassName)                                                              \
public:                                                                                        \
    static const CRuntimeClass classRecord;                                                    \
    const CRuntimeClass& GetRuntimeClass() const override { return classRecord; }

#define IMPLEMENT_SERIAL(ClassName, Schema)                                                    \
    const CRuntimeClass ClassName::classRecord = {                                             \
        #ClassName, Schema, []() -> std::unique_ptr<CObject> {                                 \
            return std::make_unique<ClassName>();                                              \
        }};
