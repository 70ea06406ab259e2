// Feeds arbitrary bytes to the catalog reader, both as one buffer and streamed from a source
// that hands them out in pieces whose sizes the input chooses. Both readers must agree;
// whatever loads must also save, write its source and load again from its own bytes to the
// same bytes.

#include "core/catalog/catalog.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

/// Hands out the data in pieces of 1 to 64 Ki bytes, the sizes taken from `sizes` in turn.
class PiecewiseSource : public ArchiveSource {
public:
    PiecewiseSource(std::span<const std::uint8_t> data, std::span<const std::uint8_t> sizes)
        : m_data(data), m_sizes(sizes) {}
    std::size_t Size() const override { return m_data.size(); }
    std::size_t Read(std::uint8_t* out, std::size_t size) override {
        std::size_t piece = 1;
        if (!m_sizes.empty()) {
            const std::uint8_t code = m_sizes[m_next++ % m_sizes.size()];
            piece = code < 128 ? code + 1u : (static_cast<std::size_t>(code - 127) << 9);
        }
        const std::size_t n = std::min({size, piece, m_data.size() - m_at});
        std::memcpy(out, m_data.data() + m_at, n);
        m_at += n;
        return n;
    }

private:
    std::span<const std::uint8_t> m_data;
    std::span<const std::uint8_t> m_sizes;
    std::size_t m_at = 0;
    std::size_t m_next = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte tells how many of the following bytes choose the piece sizes.
    std::span<const std::uint8_t> input(data, size);
    std::span<const std::uint8_t> sizes;
    if (!input.empty()) {
        const std::size_t count = std::min<std::size_t>(input[0] % 16, input.size() - 1);
        sizes = input.subspan(1, count);
        input = input.subspan(1 + count);
    }

    Catalog catalog;
    std::size_t unread = 0;
    const auto error = catalog.Load(input, &unread);

    Catalog streamed;
    PiecewiseSource source(input, sizes);
    std::size_t streamedUnread = 0;
    const auto streamedError = streamed.Load(source, &streamedUnread);
    if (streamedError != error || (!error && streamedUnread != unread))
        std::abort();
    if (error)
        return 0;

    std::vector<std::uint8_t> saved;
    try {
        saved = catalog.Save();
    } catch (const ArchiveException&) {
        return 0; // a value the stored form cannot hold
    }
    if (streamed.Save() != saved)
        std::abort();
    for (int i = 0; i < catalog.GetCount(); ++i)
        (void)catalog.GetTexture(i).GetSource(SourceFlag::Declare);
    Catalog again;
    if (again.Load(saved) || again.Save() != saved)
        std::abort();
    return 0;
}
