#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

/// A checksum of a file's contents as they stream past (CRC-32), to tell whether another program
/// wrote the file since it was read or written here. It is no guard against anyone choosing
/// contents on purpose, and needs none: it only has to keep up with the disk, which a
/// cryptographic hash does not.
class ContentChecksum {
public:
    void Add(const std::uint8_t* data, std::size_t size);
    void Add(const char* data, std::size_t size) {
        Add(reinterpret_cast<const std::uint8_t*>(data), size);
    }
    void Reset() { m_crc = 0; }
    /// The checksum of everything added, as four bytes.
    QByteArray Result() const;

private:
    unsigned long m_crc = 0;
};
