#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <memory>

/// A checksum of a file's contents as they stream past (64-bit XXH3), to tell whether another
/// program wrote the file since it was read or written here. It is no guard against anyone
/// choosing contents on purpose, and needs none: it only has to keep well ahead of the disk,
/// which a cryptographic hash does not.
class ContentChecksum {
public:
    ContentChecksum();
    ~ContentChecksum();
    ContentChecksum(const ContentChecksum&) = delete;
    ContentChecksum& operator=(const ContentChecksum&) = delete;

    void Add(const std::uint8_t* data, std::size_t size);
    void Add(const char* data, std::size_t size) {
        Add(reinterpret_cast<const std::uint8_t*>(data), size);
    }
    void Reset();
    /// The checksum of everything added, as eight bytes.
    QByteArray Result() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
