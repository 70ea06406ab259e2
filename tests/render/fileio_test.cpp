// The one file-writing road: a full disk, pipes and devices, links, permissions and files
// changed by someone else never cost the old file a byte, and every failure names the file.

#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "render/files/catalogfile.h"
#include "render/files/fileio.h"
#include "testfiles.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// The names in a folder, hidden ones too: a failed write must leave no temporary file behind.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

Catalog CatalogOfAbout(int thumbnails) {
    Catalog catalog;
    std::vector<std::uint8_t> pixels(120 * 120 * 3, 0x5A);
    for (int i = 0; i < thumbnails; ++i) {
        SimpleTexture texture;
        texture.SetName("Texture " + std::to_string(i));
        texture.Thumbnail().SetBits(120, 120, pixels, false);
        catalog.AddTexture(texture);
    }
    return catalog;
}

#define SKIP_WITHOUT_TMPFS(disk)                                                                   \
    if (!(disk).Mounted())                                                                         \
    GTEST_SKIP() << (disk).Problem()

} // namespace

TEST(WriteRoad, AFullDiskFailsLoudlyAndKeepsTheOldFile) {
    SmallTmpfs disk(256 * 1024);
    SKIP_WITHOUT_TMPFS(disk);
    const QString folder = QString::fromStdString(disk.Path());
    const QString path = folder + QStringLiteral("/sample.inc");
    const QByteArray old("#declare Old = texture { pigment { rgb 1 } }\r\n");
    PutFile(path, old);
    disk.Fill();

    const FileResult written = WriteFileAtomically(path, QByteArray(20000, 'n'));
    EXPECT_FALSE(written);
    EXPECT_TRUE(written.message.contains(path)) << written.message.toStdString();
    EXPECT_TRUE(written.message.contains(QStringLiteral("No space left on device")))
        << written.message.toStdString();
    EXPECT_EQ(FileBytes(path), old);

    const FileResult appended = AppendToFile(path, QByteArray("#declare New = texture { }\r\n"));
    EXPECT_FALSE(appended);
    EXPECT_TRUE(appended.message.contains(path)) << appended.message.toStdString();
    EXPECT_EQ(FileBytes(path), old); // not even half a declaration at its end

    // Even a save small enough for the last free page fails before the rename, not after.
    const FileResult tiny = WriteFileAtomically(path, QByteArray("x"));
    EXPECT_FALSE(tiny);
    EXPECT_EQ(FileBytes(path), old);
    EXPECT_EQ(Entries(folder),
              (QStringList{QStringLiteral("filler"), QStringLiteral("sample.inc")}));
}

TEST(WriteRoad, ACatalogLargerThanTheFreeSpaceIsNotCommitted) {
    SmallTmpfs disk(512 * 1024);
    SKIP_WITHOUT_TMPFS(disk);
    const QString folder = QString::fromStdString(disk.Path());
    const QString path = folder + QStringLiteral("/catalog.vlv");
    Catalog small = CatalogOfAbout(0);
    small.AddTexture(SimpleTexture());
    ASSERT_TRUE(SaveCatalogFile(path, small));
    const QByteArray old = FileBytes(path);
    disk.Fill(40 * 1024);

    Catalog catalog = CatalogOfAbout(1); // about 43 KB
    const FileResult saved = SaveCatalogFile(path, catalog);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(saved.message.startsWith(QStringLiteral("Failed to save document.\n")))
        << saved.message.toStdString();
    EXPECT_TRUE(saved.message.contains(
        path + QStringLiteral(" could not be written: No space left on device.")))
        << saved.message.toStdString();
    EXPECT_EQ(FileBytes(path), old);
    Catalog reread;
    EXPECT_TRUE(OpenCatalogFile(path, reread));
    EXPECT_EQ(reread.GetCount(), 1);
    EXPECT_EQ(Entries(folder),
              (QStringList{QStringLiteral("catalog.vlv"), QStringLiteral("filler")}));
}

TEST(WriteRoad, PipesAndDevicesAreRefusedNotReplaced) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("pipe.inc"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);

    for (const QString& path : {fifo, QStringLiteral("/dev/null")}) {
        SCOPED_TRACE(path.toStdString());
        const FileResult written = WriteFileAtomically(path, QByteArray("text"));
        EXPECT_FALSE(written);
        EXPECT_EQ(written.message,
                  path + QStringLiteral(" is not a regular file (it is a pipe or a device); it was "
                                        "left as it is."));
        EXPECT_FALSE(AppendToFile(path, QByteArray("text")));
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("pipe.inc")});

    // Reading one would wait for a writer that never comes.
    QElapsedTimer clock;
    clock.start();
    FileResult error;
    EXPECT_FALSE(ReadWholeFile(fifo, &error));
    EXPECT_TRUE(error.message.contains(QStringLiteral("not a regular file")));
    Catalog catalog;
    const FileResult opened = OpenCatalogFile(fifo, catalog);
    EXPECT_FALSE(opened);
    EXPECT_EQ(opened.message,
              fifo + QStringLiteral(" is not a regular file (it is a pipe or a device)."));
    EXPECT_LT(clock.elapsed(), 5000);

    const FileResult folder = WriteFileAtomically(dir.path(), QByteArray("text"));
    EXPECT_EQ(folder.message, dir.path() + QStringLiteral(" is a folder, not a file."));
}

TEST(WriteRoad, PermissionsAndLinksAreKept) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("real.inc"));
    const QString link = dir.filePath(QStringLiteral("link.inc"));
    PutFile(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(target, link));

    ASSERT_TRUE(WriteFileAtomically(link, QByteArray("new")));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(FileBytes(target), "new");
    ASSERT_TRUE(AppendToFile(link, QByteArray(" and more")));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(FileBytes(target), "new and more");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A new file gets what the user's umask allows.
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(WriteFileAtomically(dir.filePath(QStringLiteral("fresh.inc")), QByteArray("x")));
    ::umask(mask);
    ASSERT_EQ(
        ::stat(QFile::encodeName(dir.filePath(QStringLiteral("fresh.inc"))).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);

    // Appending to a file that is not there yet creates it.
    ASSERT_TRUE(AppendToFile(dir.filePath(QStringLiteral("new.inc")), QByteArray("first")));
    EXPECT_EQ(FileBytes(dir.filePath(QStringLiteral("new.inc"))), "first");
}

TEST(WriteRoad, AFileChangedSinceItWasReadIsNotOverwritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("catalog.vlv"));
    PutFile(path, "mine");
    const FileStamp read = StampOf(path);
    EXPECT_TRUE(read.exists);

    WriteOptions unchanged;
    unchanged.unchangedSince = read;
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray("saved"), QString(), unchanged));

    // Another program saves over it (a new file renamed into place).
    unchanged.unchangedSince = StampOf(path);
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray("theirs")));
    const FileResult refused =
        WriteFileAtomically(path, QByteArray("mine again"), QString(), unchanged);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.message,
              path + QStringLiteral(" was changed on disk by another program since it was read; it "
                                    "was not overwritten."));
    EXPECT_EQ(FileBytes(path), "theirs");
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("catalog.vlv")});
}

TEST(WriteRoad, MessagesNameTheFileAndTheReason) {
    const FileResult missing =
        WriteFileAtomically(QStringLiteral("/nonexistent-folder/x.inc"), QByteArray("x"));
    EXPECT_EQ(missing.message, QStringLiteral("/nonexistent-folder/x.inc was not found."));
    const FileResult readOnly = WriteFileAtomically(QStringLiteral("/proc/x.inc"), QByteArray("x"),
                                                    QStringLiteral("Failed to save document."));
    EXPECT_TRUE(readOnly.message.contains(QStringLiteral("/proc/x.inc")))
        << readOnly.message.toStdString();
    EXPECT_EQ(FolderWriteProblem(QStringLiteral("/proc/velvane")).left(40),
              QStringLiteral("The folder /proc/velvane cannot be writt"));
    QTemporaryDir dir;
    EXPECT_TRUE(FolderWriteProblem(dir.path()).isEmpty());
}

TEST(WriteRoad, ReadOnlyFilesAreRefusedForEveryUser) {
    // The rename that replaces a file needs only a writable folder, so root (and the owner of
    // the folder) once replaced files whose permission bits forbid writing.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cat.vlv"));
    PutFile(path, "kept");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const QString expected = path + QStringLiteral(" is read-only.");
    EXPECT_EQ(WriteFileAtomically(path, QByteArray("new")).message, expected);
    EXPECT_EQ(AppendToFile(path, QByteArray(" more")).message, expected);
    EXPECT_EQ(CheckWritable(path).message, expected);
    Catalog catalog = CatalogOfAbout(1);
    EXPECT_EQ(SaveCatalogFile(path, catalog).message, expected);
    EXPECT_EQ(FileBytes(path), "kept");
    // Through a link too.
    const QString link = dir.filePath(QStringLiteral("link.vlv"));
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_EQ(WriteFileAtomically(link, QByteArray("new")).message,
              link + QStringLiteral(" is read-only."));
    EXPECT_EQ(Entries(dir.path()), (QStringList{"cat.vlv", "link.vlv"}));

    // A writable file can be checked without being touched.
    const QString free = dir.filePath(QStringLiteral("free.vlv"));
    PutFile(free, "free");
    EXPECT_TRUE(CheckWritable(free));
    EXPECT_TRUE(CheckWritable(dir.filePath(QStringLiteral("new.vlv"))));
    EXPECT_EQ(Entries(dir.path()), (QStringList{"cat.vlv", "free.vlv", "link.vlv"}));
}

TEST(WriteRoad, AFolderThatTakesNoNewFileIsNamed) {
    SmallTmpfs disk(64 * 1024);
    SKIP_WITHOUT_TMPFS(disk);
    const QString folder = QString::fromStdString(disk.Path());
    const QString path = folder + QStringLiteral("/cat.vlv");
    PutFile(path, "kept");
    ASSERT_TRUE(disk.MakeReadOnly());
    // The file itself is writable by its bits; it is the folder that takes no new file.
    const QString expected = path + QStringLiteral(" cannot be saved: the folder ") + folder +
                             QStringLiteral(" cannot be written (Read-only file system).");
    EXPECT_EQ(
        WriteFileAtomically(path, QByteArray("new"), QStringLiteral("Failed to save document."))
            .message,
        expected);
    EXPECT_EQ(CheckWritable(path).message, expected);
    EXPECT_EQ(FileBytes(path), "kept");
}

TEST(WriteRoad, ADanglingLinkKeepsItsPlaceAndGetsItsTargetWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir().mkpath(dir.filePath(QStringLiteral("real")));
    const QString target = dir.filePath(QStringLiteral("real/cat.vlv"));
    const QString link = dir.filePath(QStringLiteral("cat.vlv"));
    const QString chain = dir.filePath(QStringLiteral("chain.vlv"));
    // Relative links, as a user makes them with ln -s.
    ASSERT_EQ(::symlink("real/cat.vlv", QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(::symlink("cat.vlv", QFile::encodeName(chain).constData()), 0);
    ASSERT_FALSE(QFileInfo::exists(target));

    const FileResult written = WriteFileAtomically(chain, QByteArray("first"));
    ASSERT_TRUE(written) << written.message.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo(chain).isSymLink());
    EXPECT_EQ(FileBytes(target), "first");
    EXPECT_EQ(written.stamp, StampOf(target));

    // A loop of links is refused, and stays a loop.
    const QString loop = dir.filePath(QStringLiteral("loop.vlv"));
    ASSERT_EQ(::symlink("loop.vlv", QFile::encodeName(loop).constData()), 0);
    const FileResult looped = WriteFileAtomically(loop, QByteArray("x"));
    EXPECT_FALSE(looped);
    EXPECT_TRUE(looped.message.startsWith(loop + QStringLiteral(" could not be written: ")))
        << looped.message.toStdString();
    EXPECT_TRUE(QFileInfo(loop).isSymLink());
}

TEST(WriteRoad, ChangedContentsCountAndATouchDoesNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("catalog.vlv"));
    Catalog catalog = CatalogOfAbout(2);
    const FileResult saved = SaveCatalogFile(path, catalog);
    ASSERT_TRUE(saved);
    EXPECT_FALSE(ChangedSince(path, saved.stamp));
    Catalog read;
    const FileResult opened = OpenCatalogFile(path, read);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened.stamp, saved.stamp); // what was read is what was written

    // Touched only: the same contents.
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    const timespec later[2] = {{before.st_atim.tv_sec + 60, 0}, {before.st_mtim.tv_sec + 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), later, 0), 0);
    EXPECT_FALSE(LooksUnchangedSince(path, saved.stamp)); // its state says it may have changed
    EXPECT_FALSE(ChangedSince(path, saved.stamp));        // its contents say it did not

    // One byte changed in place, same size, and the old time put back (as a sync tool does).
    QByteArray bytes = FileBytes(path);
    bytes[bytes.size() - 1] = static_cast<char>(bytes[bytes.size() - 1] ^ 0x01);
    PutFile(path, bytes);
    const timespec old[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), old, 0), 0);
    EXPECT_TRUE(LooksUnchangedSince(path, saved.stamp)); // only the contents tell
    EXPECT_TRUE(ChangedSince(path, saved.stamp));
    WriteOptions unchanged;
    unchanged.unchangedSince = saved.stamp;
    EXPECT_FALSE(SaveCatalogFile(path, catalog, unchanged));
    EXPECT_EQ(FileBytes(path), bytes);

    QFile::remove(path);
    EXPECT_TRUE(ChangedSince(path, saved.stamp)); // gone is changed too
    EXPECT_FALSE(ChangedSince(path, FileStamp{}));
}

TEST(WriteRoad, TheContentsChecksumIsXxh3HoweverTheBytesArePieced) {
    ContentChecksum empty;
    EXPECT_EQ(empty.Result().toHex(), "2d06800538d394c2"); // XXH3's value for no bytes
    // Larger than XXH3's internal block, in pieces that do not fall on its edges.
    std::vector<std::uint8_t> bytes(5000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + (i >> 7));
    ContentChecksum whole;
    whole.Add(bytes.data(), bytes.size());
    ContentChecksum pieced;
    for (std::size_t at = 0; at < bytes.size(); at += 333)
        pieced.Add(bytes.data() + at, std::min<std::size_t>(333, bytes.size() - at));
    pieced.Add(bytes.data(), 0);
    EXPECT_EQ(pieced.Result(), whole.Result());
    bytes[4321] ^= 0x01;
    pieced.Reset();
    pieced.Add(bytes.data(), bytes.size());
    EXPECT_NE(pieced.Result(), whole.Result());
    EXPECT_EQ(whole.Result().size(), 8);
}

TEST(ReadRoad, OnlyRegularFilesOfAFittingSizeAreRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A link to an endless device is refused unread, as a pipe is.
    const QString zero = dir.filePath(QStringLiteral("zero.bmp"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    FileResult error;
    EXPECT_FALSE(ReadWholeFile(zero, &error));
    EXPECT_EQ(error.message,
              zero + QStringLiteral(" is not a regular file (it is a pipe or a device)."));
    EXPECT_FALSE(ReadableFile::Open(zero, 1 << 20, error));

    const QString big = dir.filePath(QStringLiteral("big.dat"));
    PutFile(big, QByteArray(3 << 20, 'b'));
    EXPECT_FALSE(ReadWholeFile(big, &error, QString(), 2 << 20));
    EXPECT_EQ(error.message, big + QStringLiteral(" is too large to read: it holds 3 MB, and files "
                                                  "of its kind are read up to 2 MB."));
    const auto read = ReadWholeFile(big, &error, QString(), 3 << 20);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), 3 << 20);
    EXPECT_EQ(error.stamp, StampOf(big));

    EXPECT_FALSE(ReadWholeFile(dir.path(), &error));
    EXPECT_EQ(error.message, dir.path() + QStringLiteral(" is a folder, not a file."));
    EXPECT_FALSE(ReadWholeFile(dir.filePath(QStringLiteral("missing")), &error));
    EXPECT_EQ(error.message,
              dir.filePath(QStringLiteral("missing")) + QStringLiteral(" was not found."));
}
