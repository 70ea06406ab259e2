// Every test of this program keeps the larger thumbnails it makes in a cache folder of its own,
// never in the user's.

#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class CacheHome : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(m_dir->isValid());
        qputenv("XDG_CACHE_HOME", m_dir->path().toUtf8());
    }
    void TearDown() override { m_dir.reset(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

[[maybe_unused]] const auto* const kCacheHome =
    ::testing::AddGlobalTestEnvironment(new CacheHome); // NOLINT(cppcoreguidelines-owning-memory)

} // namespace
