#include "render/files/contentchecksum.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

struct ContentChecksum::State {
    XXH3_state_t xxh3;
};

ContentChecksum::ContentChecksum() : m_state(std::make_unique<State>()) {
    Reset();
}

ContentChecksum::~ContentChecksum() = default;

void ContentChecksum::Add(const std::uint8_t* data, std::size_t size) {
    if (size > 0)
        XXH3_64bits_update(&m_state->xxh3, data, size);
}

void ContentChecksum::Reset() {
    XXH3_64bits_reset(&m_state->xxh3);
}

QByteArray ContentChecksum::Result() const {
    const XXH64_hash_t value = XXH3_64bits_digest(&m_state->xxh3);
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<char>((value >> (8 * (7 - i))) & 0xFF);
    return bytes;
}
