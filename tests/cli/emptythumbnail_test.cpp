#include "clirunner.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

CliRun Velvane(const QStringList& arguments) {
    return CliRunner(QStringLiteral(VELVANE_CLI)).Run(arguments, 60000);
}

/// A catalog of one texture whose stored thumbnail is `size` (width and height words) with no
/// rows: a 1 x 1 thumbnail is saved, and its size and row are replaced.
QByteArray CatalogWithThumbnailSize(const QByteArray& size) {
    Catalog catalog;
    SimpleTexture texture;
    texture.SetName("Flat");
    const std::vector<std::uint8_t> pixel = {0xAB, 0xCD, 0xEF};
    EXPECT_TRUE(texture.Thumbnail().SetBits(1, 1, pixel, false));
    catalog.AddTexture(texture);
    const std::vector<std::uint8_t> saved = catalog.Save();
    QByteArray bytes(reinterpret_cast<const char*>(saved.data()), qsizetype(saved.size()));
    const QByteArray stored = QByteArray::fromHex("01000100abcdef00");
    EXPECT_EQ(bytes.count(stored), 1);
    return bytes.replace(stored, size);
}

} // namespace

TEST(EmptyThumbnail, AStoredSizeWithOneSideZeroIsNotWrittenOut) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* size : {"ffff0000", "00000700"}) {
        SCOPED_TRACE(size);
        const QString catalog = dir.filePath(QStringLiteral("flat.vlv"));
        QFile file(catalog);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(CatalogWithThumbnailSize(QByteArray::fromHex(size)));
        file.close();

        // The catalog opens; the thumbnail counts as not rendered.
        const CliRun list = Velvane({"list", catalog});
        ASSERT_EQ(list.status, 0) << list.err.toStdString();
        EXPECT_EQ(list.out, "0\tsimple\t0x0\tFlat\n");
        for (const char* name : {"out.png", "out.bmp"}) {
            const QString out = dir.filePath(QString::fromLatin1(name));
            const CliRun run = Velvane({"thumbnail", catalog, "-i", "0", out});
            EXPECT_EQ(run.status, 1) << name;
            EXPECT_TRUE(run.err.contains("no thumbnail")) << run.err.toStdString();
            EXPECT_FALSE(QFile::exists(out)) << name;
        }
    }
}
