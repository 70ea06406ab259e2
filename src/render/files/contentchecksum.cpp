#include "render/files/contentchecksum.h"

#include <algorithm>
#include <limits>
#include <zlib.h>

void ContentChecksum::Add(const std::uint8_t* data, std::size_t size) {
    // zlib takes the length as a uInt.
    while (size > 0) {
        const std::size_t piece = std::min<std::size_t>(size, std::numeric_limits<uInt>::max());
        m_crc = ::crc32(m_crc, data, static_cast<uInt>(piece));
        data += piece;
        size -= piece;
    }
}

QByteArray ContentChecksum::Result() const {
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((m_crc >> (8 * (3 - i))) & 0xFF);
    return bytes;
}
