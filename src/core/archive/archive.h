#pragma once

#include "core/archive/classregistry.h"
#include "core/archive/storable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

/// Why reading an archive failed. Documents show all of these as "Unexpected file format.".
enum class ArchiveError {
    EndOfData,        ///< the data ended before a value was complete
    BadIndex,         ///< a reference names an index that has not been read yet
    BadClass,         ///< a class record names no registered class, or a bad name
    BadSchema,        ///< the stored schema is not one the registered class reads
    UnexpectedObject, ///< a valid object where the file's layout allows none (null, shared, wrong
                      ///< kind)
    BadValue,         ///< a stored value lies outside what the data can hold
    TooLarge,         ///< a value cannot be represented in the stored form (storing only)
};

/// A failed read: why, and for a class record refused for its schema, the class and schema.
struct ArchiveFault {
    ArchiveError kind;
    std::string className;    ///< BadSchema: the class the record names
    std::uint16_t schema = 0; ///< BadSchema: the schema the record gives it

    bool operator==(const ArchiveFault&) const = default;
    /// A fault stands for its kind wherever only the kind matters.
    operator ArchiveError() const { return kind; }
};

class ArchiveException : public std::runtime_error {
public:
    explicit ArchiveException(ArchiveError kind);
    /// BadSchema: an object of `readable` is stored in `schema`, which that class does not read.
    ArchiveException(const StoredClass& readable, std::uint16_t schema);
    ArchiveError Kind() const { return m_fault.kind; }
    const ArchiveFault& Fault() const { return m_fault; }

private:
    ArchiveFault m_fault;
};

/// One element read through an object reference: null, a newly created object (owned by the
/// caller from here on), or an object read earlier in the same archive (a back-reference).
struct LoadedObject {
    std::unique_ptr<Storable> created;
    Storable* earlier = nullptr;

    bool IsNull() const { return !created && !earlier; }
};

/// Where a streaming storing archive hands its bytes, a block at a time.
class ArchiveSink {
public:
    virtual ~ArchiveSink() = default;
    /// Takes the next bytes; throws (any exception) when they cannot be written.
    virtual void Write(const std::uint8_t* data, std::size_t size) = 0;
};

/// Where a streaming loading archive takes its bytes from.
class ArchiveSource {
public:
    virtual ~ArchiveSource() = default;
    /// The number of bytes the source holds in all.
    virtual std::size_t Size() const = 0;
    /// Reads up to `size` bytes; returns how many were read, 0 at the end.
    virtual std::size_t Read(std::uint8_t* data, std::size_t size) = 0;
};

/// The object archive: a little-endian byte stream opened either for storing or for loading.
/// A storing archive collects its bytes in memory, or passes them on to a sink in blocks; a
/// loading archive reads from a byte span that must outlive it, or from a source in blocks.
class Archive {
public:
    /// A storing archive that keeps its bytes. `expectedSize` reserves room up front.
    explicit Archive(std::size_t expectedSize = 0);
    /// A storing archive that streams its bytes to `sink`; call Flush() when done.
    explicit Archive(ArchiveSink& sink);
    /// A loading archive over `data`, creating objects of the classes in `registry`.
    Archive(std::span<const std::uint8_t> data, const ClassRegistry& registry);
    /// A loading archive that reads `source` a block at a time.
    Archive(ArchiveSource& source, const ClassRegistry& registry);

    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsStoring() const { return m_storing; }
    bool IsLoading() const { return !m_storing; }

    // Storing.
    void WriteByte(std::uint8_t value) {
        m_out.push_back(value);
        if (m_sink && m_out.size() >= kSinkBlock)
            Flush();
    }
    void WriteWord(std::uint16_t value);
    void WriteDWord(std::uint32_t value);
    void WriteFloat(float value);
    void WriteBytes(const void* data, std::size_t size);
    /// Writes a UTF-8 text in the 8-bit Windows-1252 form, or in the wide form when the code
    /// page cannot hold one of its characters.
    void WriteString(std::string_view utf8);
    void WriteCount(std::size_t count);
    /// Writes a reference to `object` (null allowed) and, the first time, its fields.
    void WriteObject(const Storable* object);

    /// Hands buffered bytes to the sink (nothing for an archive without one).
    void Flush();
    const std::vector<std::uint8_t>& Bytes() const { return m_out; }
    std::vector<std::uint8_t> TakeBytes() { return std::move(m_out); }

    // Loading. Every read throws ArchiveException when it cannot be completed.
    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDWord();
    float ReadFloat();
    void ReadBytes(void* data, std::size_t size);
    /// Replaces `into` by the next `size` bytes with as little copying as the data allows.
    void ReadInto(std::vector<std::uint8_t>& into, std::size_t size);
    std::string ReadString();
    std::size_t ReadCount();
    LoadedObject ReadObject();

    /// Bytes left to read.
    std::size_t Remaining() const { return m_total - m_offset - m_pos; }

    // Either direction: fields are written or read in place, so a Serialize reads like the
    // stored form it describes.
    void Byte(std::uint8_t& value);
    void Word(std::uint16_t& value);
    void DWord(std::uint32_t& value);
    void Float(float& value);
    void String(std::string& value);
    /// An int held in memory and stored as an unsigned 16-bit word; storing one outside 0 to
    /// 65535 throws TooLarge.
    void WordInt(int& value);
    /// An int held in memory and stored as a signed 16-bit word (sign-extended on reading);
    /// storing one outside -32768 to 32767 throws TooLarge.
    void SignedWordInt(int& value);
    /// An int held in memory and stored as a 32-bit dword (two's complement).
    void DWordInt(int& value);

private:
    const std::uint8_t* Take(std::size_t size);
    void Refill(std::size_t size);
    std::size_t ReadStringLength();
    void WriteStringLength(std::size_t length);

    static constexpr std::size_t kSinkBlock = 1 << 20;
    static constexpr std::size_t kDirectWrite = 16 << 10;

    bool m_storing;
    ArchiveSink* m_sink = nullptr;

    std::vector<std::uint8_t> m_out;
    std::unordered_map<const Storable*, std::uint32_t> m_storedObjects;
    std::unordered_map<const StoredClass*, std::uint32_t> m_storedClasses;

    static constexpr std::size_t kSourceWindow = 64 << 10;

    std::span<const std::uint8_t> m_in; ///< the data, or the filled part of the source window
    std::size_t m_pos = 0;              ///< read position within m_in
    std::size_t m_offset = 0;           ///< bytes consumed before m_in begins
    std::size_t m_total = 0;            ///< bytes of the whole data
    ArchiveSource* m_source = nullptr;
    std::vector<std::uint8_t> m_window;
    const ClassRegistry* m_registry = nullptr;
    /// Index -> class or object read so far; index 0 is the null object.
    struct LoadedEntry {
        const StoredClass* runtimeClass = nullptr;
        std::uint16_t schema = 0; ///< of a class: the one its record gives
        Storable* object = nullptr;
    };
    std::vector<LoadedEntry> m_loaded;

    std::uint32_t m_nextIndex = 1;
};
