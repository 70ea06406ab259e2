#include "core/archive/archive.h"

#include "core/text/textcodec.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000u;
constexpr std::uint16_t kWideStringMark = 0xFFFE;
constexpr std::size_t kMaxClassNameLength = 64;

const char* Describe(ArchiveError kind) {
    switch (kind) {
    case ArchiveError::EndOfData:
        return "unexpected end of archive data";
    case ArchiveError::BadIndex:
        return "archive reference to an index not yet read";
    case ArchiveError::BadClass:
        return "archive names an unknown class";
    case ArchiveError::BadSchema:
        return "archive class is stored in a schema this program does not read";
    case ArchiveError::UnexpectedObject:
        return "archive holds an unexpected object";
    case ArchiveError::BadValue:
        return "archive value out of range";
    case ArchiveError::TooLarge:
        return "value too large for the archive's stored form";
    }
    return "archive error";
}

std::string SchemasRead(const StoredClass& runtimeClass) {
    if (runtimeClass.oldestSchema == runtimeClass.schema)
        return "schema " + std::to_string(runtimeClass.schema);
    return "schemas " + std::to_string(runtimeClass.oldestSchema) + " to " +
           std::to_string(runtimeClass.schema);
}

} // namespace

ArchiveException::ArchiveException(ArchiveError kind)
    : std::runtime_error(Describe(kind)), m_fault{kind, {}, 0} {}

ArchiveException::ArchiveException(const StoredClass& readable, std::uint16_t schema)
    : std::runtime_error("archive class " + std::string(readable.name) + " is stored in schema " +
                         std::to_string(schema) + ", and this program reads " +
                         SchemasRead(readable)),
      m_fault{ArchiveError::BadSchema, std::string(readable.name), schema} {}

Archive::Archive(std::size_t expectedSize) : m_storing(true) {
    m_out.reserve(expectedSize);
}

Archive::Archive(ArchiveSink& sink) : m_storing(true), m_sink(&sink) {
    m_out.reserve(kSinkBlock + 8);
}

void Archive::Flush() {
    if (!m_sink || m_out.empty())
        return;
    m_sink->Write(m_out.data(), m_out.size());
    m_out.clear();
}

Archive::Archive(std::span<const std::uint8_t> data, const ClassRegistry& registry)
    : m_storing(false), m_in(data), m_total(data.size()), m_registry(&registry) {
    m_loaded.emplace_back(); // index 0: null
}

Archive::Archive(ArchiveSource& source, const ClassRegistry& registry)
    : m_storing(false), m_total(source.Size()), m_source(&source), m_registry(&registry) {
    m_loaded.emplace_back();
}

// ---- storing -------------------------------------------------------------------------------

void Archive::WriteWord(std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    WriteBytes(bytes, 2);
}

void Archive::WriteDWord(std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    WriteBytes(bytes, 4);
}

void Archive::WriteFloat(float value) {
    WriteDWord(std::bit_cast<std::uint32_t>(value));
}

void Archive::WriteBytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (m_sink && (m_out.size() + size >= kSinkBlock || size >= kDirectWrite)) {
        Flush();
        if (size >= kDirectWrite) {
            m_sink->Write(bytes, size); // large blocks (pixel rows) go straight through
            return;
        }
    }
    m_out.insert(m_out.end(), bytes, bytes + size);
}

void Archive::WriteStringLength(std::size_t length) {
    if (length < 0xFF) {
        WriteByte(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteByte(0xFF);
        WriteWord(static_cast<std::uint16_t>(length));
    } else {
        if (length > 0xFFFFFFFFu)
            throw ArchiveException(ArchiveError::TooLarge);
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDWord(static_cast<std::uint32_t>(length));
    }
}

void Archive::WriteString(std::string_view utf8) {
    if (const auto narrow = Utf8ToWindows1252(utf8)) {
        WriteStringLength(narrow->size());
        WriteBytes(narrow->data(), narrow->size());
        return;
    }
    const std::u16string wide = Utf8ToUtf16(utf8);
    WriteByte(0xFF);
    WriteWord(kWideStringMark);
    WriteStringLength(wide.size());
    for (char16_t unit : wide)
        WriteWord(static_cast<std::uint16_t>(unit));
}

void Archive::WriteCount(std::size_t count) {
    if (count < 0xFFFF) {
        WriteWord(static_cast<std::uint16_t>(count));
    } else {
        if (count > 0xFFFFFFFFu)
            throw ArchiveException(ArchiveError::TooLarge);
        WriteWord(0xFFFF);
        WriteDWord(static_cast<std::uint32_t>(count));
    }
}

void Archive::WriteObject(const Storable* object) {
    if (!object) {
        WriteWord(kNullTag);
        return;
    }
    if (const auto stored = m_storedObjects.find(object); stored != m_storedObjects.end()) {
        if (stored->second < kBigObjectTag) {
            WriteWord(static_cast<std::uint16_t>(stored->second));
        } else {
            WriteWord(kBigObjectTag);
            WriteDWord(stored->second);
        }
        return;
    }

    const StoredClass& runtimeClass = object->GetRuntimeClass();
    if (const auto known = m_storedClasses.find(&runtimeClass); known != m_storedClasses.end()) {
        if (known->second < kBigObjectTag) {
            WriteWord(static_cast<std::uint16_t>(kClassTag | known->second));
        } else {
            WriteWord(kBigObjectTag);
            WriteDWord(kBigClassTag | known->second);
        }
    } else {
        WriteWord(kNewClassTag);
        WriteWord(runtimeClass.schema);
        WriteWord(static_cast<std::uint16_t>(runtimeClass.name.size()));
        WriteBytes(runtimeClass.name.data(), runtimeClass.name.size());
        m_storedClasses.emplace(&runtimeClass, m_nextIndex++);
    }
    m_storedObjects.emplace(object, m_nextIndex++);
    // Serialize is non-const because the same function reads; storing never changes the object.
    const_cast<Storable*>(object)->Serialize(*this, runtimeClass.schema);
}

// ---- loading -------------------------------------------------------------------------------

const std::uint8_t* Archive::Take(std::size_t size) {
    if (size > Remaining())
        throw ArchiveException(ArchiveError::EndOfData);
    if (m_in.size() - m_pos < size)
        Refill(size);
    const std::uint8_t* at = m_in.data() + m_pos;
    m_pos += size;
    return at;
}

void Archive::Refill(std::size_t size) {
    if (!m_source)
        throw ArchiveException(ArchiveError::EndOfData);
    const std::size_t kept = m_in.size() - m_pos;
    const std::size_t needed = std::max(kSourceWindow, size);
    if (m_window.size() < needed) {
        // The unread bytes lie in the old window: copy them over before it is given up.
        std::vector<std::uint8_t> larger(needed);
        if (kept > 0)
            std::memcpy(larger.data(), m_in.data() + m_pos, kept);
        m_window.swap(larger);
    } else if (kept > 0) {
        std::memmove(m_window.data(), m_in.data() + m_pos, kept);
    }
    m_offset += m_pos;
    std::size_t filled = kept;
    const std::size_t wanted = std::min(m_window.size(), m_total - m_offset);
    while (filled < wanted) {
        const std::size_t read = m_source->Read(m_window.data() + filled, wanted - filled);
        if (read == 0)
            break;
        filled += read;
    }
    m_in = std::span(m_window.data(), filled);
    m_pos = 0;
    if (filled < size)
        throw ArchiveException(ArchiveError::EndOfData); // the source ended early
}

std::uint8_t Archive::ReadByte() {
    return *Take(1);
}

std::uint16_t Archive::ReadWord() {
    const std::uint8_t* b = Take(2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t Archive::ReadDWord() {
    const std::uint8_t* b = Take(4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

float Archive::ReadFloat() {
    return std::bit_cast<float>(ReadDWord());
}

void Archive::ReadBytes(void* data, std::size_t size) {
    const std::size_t buffered = m_in.size() - m_pos;
    if (!m_source || size <= buffered || size < kSourceWindow) {
        if (size > 0)
            std::memcpy(data, Take(size), size);
        return;
    }
    // Large blocks are read from the source straight into place.
    if (size > Remaining())
        throw ArchiveException(ArchiveError::EndOfData);
    auto* out = static_cast<std::uint8_t*>(data);
    std::memcpy(out, m_in.data() + m_pos, buffered);
    m_offset += m_in.size() + (size - buffered);
    m_in = {};
    m_pos = 0;
    for (std::size_t done = buffered; done < size;) {
        const std::size_t read = m_source->Read(out + done, size - done);
        if (read == 0)
            throw ArchiveException(ArchiveError::EndOfData);
        done += read;
    }
}

void Archive::ReadInto(std::vector<std::uint8_t>& into, std::size_t size) {
    if (size > Remaining())
        throw ArchiveException(ArchiveError::EndOfData);
    if (!m_source || m_in.size() - m_pos >= size) {
        const std::uint8_t* at = Take(size);
        into.assign(at, at + size);
        return;
    }
    into.resize(size);
    ReadBytes(into.data(), size);
}

std::size_t Archive::ReadStringLength() {
    const std::uint8_t first = ReadByte();
    if (first < 0xFF)
        return first;
    const std::uint16_t word = ReadWord();
    if (word < 0xFFFF)
        return word;
    return ReadDWord();
}

std::string Archive::ReadString() {
    std::size_t length = ReadByte();
    if (length == 0xFF) {
        const std::uint16_t word = ReadWord();
        if (word == kWideStringMark) {
            const std::size_t units = ReadStringLength();
            if (units > Remaining() / 2)
                throw ArchiveException(ArchiveError::EndOfData);
            std::u16string wide(units, u'\0');
            for (std::size_t i = 0; i < units; ++i)
                wide[i] = static_cast<char16_t>(ReadWord());
            return Utf16ToUtf8(wide);
        }
        length = word < 0xFFFF ? word : ReadDWord();
    }
    const std::uint8_t* b = Take(length);
    return Windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(b), length));
}

std::size_t Archive::ReadCount() {
    const std::uint16_t word = ReadWord();
    if (word < 0xFFFF)
        return word;
    return ReadDWord();
}

LoadedObject Archive::ReadObject() {
    std::uint32_t tag = ReadWord();
    bool classReference = false;
    if (tag == kBigObjectTag) {
        tag = ReadDWord();
        classReference = (tag & kBigClassTag) != 0;
        tag &= ~kBigClassTag;
    } else if (tag != kNewClassTag && (tag & kClassTag)) {
        classReference = true;
        tag &= ~static_cast<std::uint32_t>(kClassTag);
    }

    if (tag == kNullTag && !classReference)
        return {};

    const StoredClass* runtimeClass = nullptr;
    std::uint16_t schema = 0;
    if (tag == kNewClassTag && !classReference) {
        schema = ReadWord();
        const std::uint16_t nameLength = ReadWord();
        if (nameLength >= kMaxClassNameLength)
            throw ArchiveException(ArchiveError::BadClass);
        if (nameLength > Remaining())
            throw ArchiveException(ArchiveError::BadClass);
        const std::uint8_t* name = Take(nameLength);
        runtimeClass =
            m_registry->Find(std::string_view(reinterpret_cast<const char*>(name), nameLength));
        if (!runtimeClass)
            throw ArchiveException(ArchiveError::BadClass);
        if (!runtimeClass->Reads(schema))
            throw ArchiveException(*runtimeClass, schema);
        m_loaded.push_back({runtimeClass, schema, nullptr});
        ++m_nextIndex;
    } else if (classReference) {
        if (tag >= m_loaded.size() || !m_loaded[tag].runtimeClass)
            throw ArchiveException(ArchiveError::BadIndex);
        runtimeClass = m_loaded[tag].runtimeClass;
        schema = m_loaded[tag].schema;
    } else {
        if (tag >= m_loaded.size() || !m_loaded[tag].object)
            throw ArchiveException(ArchiveError::BadIndex);
        return {nullptr, m_loaded[tag].object};
    }

    std::unique_ptr<Storable> object = runtimeClass->create();
    m_loaded.push_back({nullptr, 0, object.get()});
    ++m_nextIndex;
    object->Serialize(*this, schema);
    return {std::move(object), nullptr};
}

// ---- either direction ----------------------------------------------------------------------

void Archive::Byte(std::uint8_t& value) {
    if (m_storing)
        WriteByte(value);
    else
        value = ReadByte();
}

void Archive::Word(std::uint16_t& value) {
    if (m_storing)
        WriteWord(value);
    else
        value = ReadWord();
}

void Archive::DWord(std::uint32_t& value) {
    if (m_storing)
        WriteDWord(value);
    else
        value = ReadDWord();
}

void Archive::Float(float& value) {
    if (m_storing)
        WriteFloat(value);
    else
        value = ReadFloat();
}

void Archive::String(std::string& value) {
    if (m_storing)
        WriteString(value);
    else
        value = ReadString();
}

void Archive::WordInt(int& value) {
    if (m_storing) {
        // A value the word cannot keep would come back as another one: refused, never wrapped.
        if (value < 0 || value > 0xFFFF)
            throw ArchiveException(ArchiveError::TooLarge);
        WriteWord(static_cast<std::uint16_t>(value));
    } else {
        value = ReadWord();
    }
}

void Archive::SignedWordInt(int& value) {
    if (m_storing) {
        if (value < -0x8000 || value > 0x7FFF)
            throw ArchiveException(ArchiveError::TooLarge);
        WriteWord(static_cast<std::uint16_t>(value));
    } else {
        value = static_cast<std::int16_t>(ReadWord());
    }
}

void Archive::DWordInt(int& value) {
    if (m_storing)
        WriteDWord(static_cast<std::uint32_t>(value));
    else
        value = static_cast<std::int32_t>(ReadDWord());
}
