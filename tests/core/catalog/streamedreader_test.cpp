// The streamed catalog reader against the whole-buffer reader: long texts that outgrow the
// reading window, sources that hand out a few bytes at a time, and the committed corpus of
// hand-made catalogs (tests/data/catalog-corpus, written by scripts/make-catalog-corpus.py).

#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "testsupport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

/// Hands out the bytes at most `chunk` at a time, as a pipe or a slow disk might.
class ChunkedSource : public ArchiveSource {
public:
    ChunkedSource(const std::vector<std::uint8_t>& bytes, std::size_t chunk)
        : m_bytes(bytes), m_chunk(chunk) {}
    std::size_t Size() const override { return m_bytes.size(); }
    std::size_t Read(std::uint8_t* data, std::size_t size) override {
        const std::size_t n = std::min({size, m_chunk, m_bytes.size() - m_at});
        std::memcpy(data, m_bytes.data() + m_at, n);
        m_at += n;
        return n;
    }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_chunk;
    std::size_t m_at = 0;
};

struct Outcome {
    std::optional<ArchiveError> error;
    std::vector<std::uint8_t> saved;
    std::size_t unread = 0;
};

Outcome LoadWhole(const std::vector<std::uint8_t>& bytes) {
    Catalog catalog;
    Outcome outcome;
    outcome.error = catalog.Load(bytes, &outcome.unread);
    if (!outcome.error)
        outcome.saved = catalog.Save();
    return outcome;
}

Outcome LoadStreamed(const std::vector<std::uint8_t>& bytes, std::size_t chunk) {
    Catalog catalog;
    ChunkedSource source(bytes, chunk);
    Outcome outcome;
    outcome.error = catalog.Load(source, &outcome.unread);
    if (!outcome.error)
        outcome.saved = catalog.Save();
    return outcome;
}

Catalog WithDescriptions(const std::vector<std::size_t>& lengths) {
    Catalog catalog;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        SimpleTexture texture;
        texture.SetName("Texture " + std::to_string(i));
        texture.SetDescription(std::string(lengths[i], static_cast<char>('a' + i)));
        catalog.AddTexture(texture);
    }
    return catalog;
}

constexpr std::size_t kChunks[] = {1, 3, 4096, 65536, 70001, std::size_t(1) << 20};

} // namespace

TEST(StreamedReader, TextsLongerThanTheWindowLoadIntact) {
    // Two descriptions of 200,000 and 300,000 characters crashed the reader, one of 70,000
    // read freed memory: the window grew while the read position still pointed into the old one.
    for (const auto& lengths :
         std::vector<std::vector<std::size_t>>{{70000}, {200000, 300000}, {65533, 65534, 65535}}) {
        const Catalog catalog = WithDescriptions(lengths);
        const std::vector<std::uint8_t> bytes = catalog.Save();
        for (std::size_t chunk : kChunks) {
            SCOPED_TRACE("chunk " + std::to_string(chunk));
            Catalog loaded;
            ChunkedSource source(bytes, chunk);
            ASSERT_FALSE(loaded.Load(source));
            ASSERT_EQ(loaded.GetCount(), static_cast<int>(lengths.size()));
            for (std::size_t i = 0; i < lengths.size(); ++i)
                EXPECT_EQ(loaded.GetTexture(static_cast<int>(i)).GetDescription(),
                          std::string(lengths[i], static_cast<char>('a' + i)));
            EXPECT_EQ(loaded.Save(), bytes);
        }
    }
}

TEST(StreamedReader, LongNamesAfterAPartlyReadWindow) {
    // A long text that starts near the end of a filled window must carry the unread bytes over.
    Catalog catalog;
    for (std::size_t length : {60000u, 5000u, 131072u, 10u}) {
        SimpleTexture texture;
        texture.SetName(std::string(length, 'n'));
        catalog.AddTexture(texture);
    }
    const auto bytes = catalog.Save();
    for (std::size_t chunk : kChunks) {
        const Outcome streamed = LoadStreamed(bytes, chunk);
        ASSERT_FALSE(streamed.error) << chunk;
        EXPECT_EQ(streamed.saved, bytes) << chunk;
    }
}

TEST(StreamedReader, CorpusGivesTheSameOutcomeBothWays) {
    const std::filesystem::path folder = TestDataPath("catalog-corpus");
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 20u);
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const auto bytes = ReadFileBytes(path.string());
        const Outcome whole = LoadWhole(bytes);
        if (name.rfind("ok-", 0) == 0) {
            ASSERT_FALSE(whole.error);
            // What loads saves to bytes that load again to the same bytes.
            EXPECT_EQ(LoadWhole(whole.saved).saved, whole.saved);
        } else {
            ASSERT_EQ(name.rfind("bad-", 0), 0u);
            EXPECT_TRUE(whole.error);
        }
        for (std::size_t chunk : kChunks) {
            const Outcome streamed = LoadStreamed(bytes, chunk);
            EXPECT_EQ(streamed.error, whole.error) << chunk;
            EXPECT_EQ(streamed.saved, whole.saved) << chunk;
            EXPECT_EQ(streamed.unread, whole.unread) << chunk;
        }
    }
}

TEST(StreamedReader, CorpusDetails) {
    const auto load = [](const char* name, Catalog& catalog, std::size_t* unread = nullptr) {
        return catalog.Load(ReadFileBytes(TestDataPath(std::string("catalog-corpus/") + name)),
                            unread);
    };
    Catalog longOnes;
    ASSERT_FALSE(load("ok-long-descriptions-200k-300k.vlv", longOnes));
    EXPECT_EQ(longOnes.GetTexture(0).GetDescription(), std::string(200000, 'a'));
    EXPECT_EQ(longOnes.GetTexture(1).GetDescription(), std::string(300000, 'b'));

    Catalog trailing;
    std::size_t unread = 0;
    ASSERT_FALSE(load("ok-trailing-bytes.vlv", trailing, &unread));
    EXPECT_EQ(unread, 13u);
    EXPECT_EQ(trailing.GetCount(), 1);

    Catalog wide;
    ASSERT_FALSE(load("ok-wide-name.vlv", wide));
    EXPECT_EQ(wide.GetTexture(0).GetName(), "Gr\u00fcn \u03a9");

    Catalog three;
    ASSERT_FALSE(load("ok-three-simple.vlv", three));
    EXPECT_EQ(three.GetTexture(0).GetThumbnailWidth(), 2);
    EXPECT_EQ(three.GetTexture(1).GetDescription(), "A description");
    EXPECT_EQ(three.GetTexture(2).GetPreviewShape(), 3);

    Catalog refused;
    refused.AddTexture(SimpleTexture());
    EXPECT_EQ(load("bad-schema-2.vlv", refused), ArchiveError::BadSchema);
    EXPECT_EQ(load("bad-unknown-class.vlv", refused), ArchiveError::BadClass);
    EXPECT_EQ(load("bad-truncated-in-thumbnail.vlv", refused), ArchiveError::EndOfData);
    EXPECT_EQ(refused.GetCount(), 1); // a refused file leaves the catalog as it was
}
