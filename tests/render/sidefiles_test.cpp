#include "core/model/iorpreset.h"
#include "core/shapes/builtinshapes.h"
#include "core/shapes/customshape.h"
#include "render/files/sidefiles.h"
#include "testfiles.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(ShapeFile, MissingFileIsGeneratedOnceQuietlyFromTheBuiltInShapes) {
    QTemporaryDir dir;
    std::optional<SideFileNotice> notice;
    ShapeList shapes = LoadShapeFile(dir.path(), notice);
    EXPECT_FALSE(notice) << notice->title.toStdString();
    ASSERT_EQ(shapes.size(), kProgramShapeCount);
    EXPECT_EQ(shapes[0]->GetName(), "Sphere");
    const auto builtin = BuiltinShapeFile();
    EXPECT_EQ(FileBytes(ShapeFilePath(dir.path())),
              QByteArray(reinterpret_cast<const char*>(builtin.data()),
                         static_cast<qsizetype>(builtin.size())));

    shapes = LoadShapeFile(dir.path(), notice);
    EXPECT_FALSE(notice); // read silently the second time
    EXPECT_EQ(shapes.size(), kProgramShapeCount);
}

TEST(ShapeFile, DamagedFileIsReportedLeftAloneAndReplacedByTheBuiltIns) {
    QTemporaryDir dir;
    const QByteArray damaged("\x02\x00\xFF\xFF\x01\x00\x0C\x00"
                             "CCustomShape\x06Sph",
                             25);
    PutFile(ShapeFilePath(dir.path()), damaged);
    std::optional<SideFileNotice> notice;
    const ShapeList shapes = LoadShapeFile(dir.path(), notice);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->icon, SideFileNotice::Warning);
    EXPECT_TRUE(notice->text.contains(ShapeFilePath(dir.path())));
    EXPECT_EQ(shapes.size(), kProgramShapeCount);
    EXPECT_EQ(FileBytes(ShapeFilePath(dir.path())), damaged);
}

TEST(ShapeFile, AnUnwritableFolderIsToldAndTheBuiltInShapesAreUsed) {
    std::optional<SideFileNotice> notice;
    const ShapeList shapes = LoadShapeFile(QStringLiteral("/proc/velvane-cannot-exist"), notice);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->title, "Shape file not written");
    EXPECT_EQ(notice->icon, SideFileNotice::Warning);
    // The file, then why: the folder cannot be made or written; then what is used instead.
    const QStringList lines = notice->text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3) << notice->text.toStdString();
    EXPECT_EQ(lines[0], "The preview shape file /proc/velvane-cannot-exist/shapes.dat could not be "
                        "written.");
    EXPECT_TRUE(lines[1].startsWith("The folder /proc/velvane-cannot-exist cannot be written: "))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("The built-in shapes are used")) << lines[2].toStdString();
    ASSERT_EQ(shapes.size(), BuiltinShapes().size());
    EXPECT_EQ(shapes[0]->GetName(), "Sphere");
}

TEST(ShapeFile, AFullDiskAtTheFirstStartKeepsTheBuiltInShapesAndLeavesNoFile) {
    SmallTmpfs disk(256 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << disk.Problem();
    disk.Fill();
    const QString folder = QString::fromStdString(disk.Path());
    std::optional<SideFileNotice> notice;
    const ShapeList shapes = LoadShapeFile(folder, notice);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->title, "Shape file not written");
    EXPECT_EQ(notice->icon, SideFileNotice::Warning);
    EXPECT_TRUE(notice->text.contains(ShapeFilePath(folder))) << notice->text.toStdString();
    EXPECT_TRUE(notice->text.contains("No space left on device")) << notice->text.toStdString();
    const ShapeList builtin = BuiltinShapes();
    ASSERT_EQ(shapes.size(), builtin.size());
    for (std::size_t i = 0; i < shapes.size(); ++i)
        EXPECT_EQ(shapes[i]->GetName(), builtin[i]->GetName());
    EXPECT_FALSE(QFileInfo::exists(ShapeFilePath(folder)));

    // Room again: the next start writes the file after all.
    QFile::remove(folder + QStringLiteral("/filler"));
    const ShapeList again = LoadShapeFile(folder, notice);
    EXPECT_FALSE(notice);
    EXPECT_EQ(again.size(), builtin.size());
    EXPECT_TRUE(QFileInfo::exists(ShapeFilePath(folder)));
}

TEST(ShapeFile, SavedShapesLoadAgain) {
    QTemporaryDir dir;
    ShapeList shapes = BuiltinShapes();
    shapes.resize(2);
    static_cast<CustomShape&>(*shapes[1]).SetName("My Box");
    ASSERT_FALSE(SaveShapeFile(dir.path(), shapes));
    std::optional<SideFileNotice> notice;
    const ShapeList loaded = LoadShapeFile(dir.path(), notice);
    EXPECT_FALSE(notice);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[1]->GetName(), "My Box");
}

TEST(ShapeFile, AFailedSaveLeavesTheOldFileAndNamesWhatWentWrong) {
    if (getuid() == 0)
        GTEST_SKIP() << "root writes into any folder";
    QTemporaryDir dir;
    ShapeList shapes = BuiltinShapes();
    ASSERT_FALSE(SaveShapeFile(dir.path(), shapes));
    const QByteArray before = FileBytes(ShapeFilePath(dir.path()));
    ASSERT_FALSE(before.isEmpty());

    // A folder that takes no new files: the old file stays whole.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    static_cast<CustomShape&>(*shapes[13]).SetName("Vase");
    auto notice = SaveShapeFile(dir.path(), shapes);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->title, "Fatal Error");
    EXPECT_EQ(notice->text, "Unable to remove shape file!");
    EXPECT_EQ(FileBytes(ShapeFilePath(dir.path())), before);
}

TEST(ShapeFile, SomethingThatIsNoFileCannotBeReplaced) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("shapes.dat")));
    const auto notice = SaveShapeFile(dir.path(), BuiltinShapes());
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, "Unable to remove shape file!");
    EXPECT_TRUE(QFileInfo(ShapeFilePath(dir.path())).isDir());

    const auto missing =
        SaveShapeFile(QStringLiteral("/proc/velvane-cannot-exist"), BuiltinShapes());
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->text, "Unable to open the file /proc/velvane-cannot-exist/shapes.dat");
}

TEST(ColorFile, MissingDamagedAndSaved) {
    QTemporaryDir dir;
    std::optional<SideFileNotice> notice;
    EXPECT_TRUE(LoadColorFile(dir.path(), notice).empty());
    EXPECT_FALSE(notice); // a missing file is no news
    NamedColorList colors;
    colors.push_back(std::make_unique<NamedColor>("Brick", ColorRGBF{178, 34, 34, 0}));
    colors.push_back(std::make_unique<NamedColor>("Sea \u20AC", ColorRGBF{0, 105, 148, 20}));
    EXPECT_FALSE(SaveColorFile(dir.path(), colors));
    // Count 2, a new class record (schema 1) named NamedColor.
    const QByteArray stored = FileBytes(ColorFilePath(dir.path()));
    EXPECT_EQ(stored.left(19), QByteArray("\x02\x00\xFF\xFF\x01\x00\x0B\x00"
                                          "CNamedColor",
                                          19));
    EXPECT_EQ(StoredColors(colors), stored);
    NamedColorList loaded = LoadColorFile(dir.path(), notice);
    EXPECT_FALSE(notice);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[1]->GetName(), "Sea \u20AC");
    EXPECT_EQ(loaded[1]->GetColor(), (ColorRGBF{0, 105, 148, 20}));

    const auto failed = SaveColorFile(QStringLiteral("/proc/velvane-cannot-exist"), colors);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->title, "File open error");
    EXPECT_EQ(failed->text.section(QLatin1Char('\n'), 0, 0),
              "Cannot open the file /proc/velvane-cannot-exist/colors.dat");
    EXPECT_EQ(failed->text.section(QLatin1Char('\n'), 1),
              "/proc/velvane-cannot-exist/colors.dat was not found.");
}

TEST(ColorFile, ADamagedFileIsToldAndKeptBesideBeforeItIsReplaced) {
    // 87 bytes once became 45 at exit without a word; a bad class version emptied the file.
    QTemporaryDir dir;
    const QString path = ColorFilePath(dir.path());
    NamedColorList colors;
    colors.push_back(std::make_unique<NamedColor>("Brick", ColorRGBF{178, 34, 34, 0}));
    colors.push_back(std::make_unique<NamedColor>("Sea", ColorRGBF{0, 105, 148, 20}));
    const QByteArray whole = StoredColors(colors);
    const QByteArray damaged = whole.left(whole.size() - 3); // the second one cut short
    PutFile(path, damaged);

    std::optional<SideFileNotice> notice;
    NamedColorList loaded = LoadColorFile(dir.path(), notice);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0]->GetName(), "Brick");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->icon, SideFileNotice::Warning);
    EXPECT_EQ(notice->text,
              "The named color file " + path +
                  " cannot be read completely: the file ends in the middle of a value (it is cut "
                  "short).\nThe named colors read before the damage (1) are used. If you change "
                  "the named colors, the file is first kept as colors.dat.damaged.");

    // A class record of another version: nothing can be read at all.
    QByteArray otherVersion = whole;
    otherVersion[4] = 2;
    PutFile(path, otherVersion);
    EXPECT_TRUE(LoadColorFile(dir.path(), notice).empty());
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->text.contains("it holds a CNamedColor in a version this program does not "
                                      "know: schema 2, where it reads schema 1"))
        << notice->text.toStdString();

    // Saving keeps each damaged file beside, under a name of its own, before replacing it.
    loaded.push_back(std::make_unique<NamedColor>("Moss", ColorRGBF{50, 80, 20, 0}));
    EXPECT_FALSE(SaveColorFile(dir.path(), loaded));
    EXPECT_EQ(FileBytes(path + ".damaged"), otherVersion);
    EXPECT_EQ(FileBytes(path), StoredColors(loaded));
    EXPECT_FALSE(SaveColorFile(dir.path(), loaded)); // a whole file is simply replaced
    PutFile(path, damaged);
    EXPECT_FALSE(SaveColorFile(dir.path(), loaded));
    EXPECT_FALSE(SaveColorFile(dir.path(), loaded));
    EXPECT_EQ(FileBytes(path + ".damaged"), otherVersion);
    EXPECT_EQ(FileBytes(path + ".damaged-2"), damaged);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"colors.dat", "colors.dat.damaged", "colors.dat.damaged-2"}));
}

TEST(ColorFile, AFileThatCannotBeReadIsNeverReplaced) {
    QTemporaryDir dir;
    const QString path = ColorFilePath(dir.path());
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    std::optional<SideFileNotice> notice;
    EXPECT_TRUE(LoadColorFile(dir.path(), notice).empty());
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, "The named color file cannot be read: " + path +
                                " is not a regular file (it is a pipe or a device).\nNo named "
                                "colors are used, and the file is never replaced.");
    NamedColorList colors;
    colors.push_back(std::make_unique<NamedColor>("Brick", ColorRGBF{178, 34, 34, 0}));
    const auto refused = SaveColorFile(dir.path(), colors);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, "Cannot open the file " + dir.path() + "/colors.dat\n" + path +
                                 " is not a regular file (it is a pipe or a device).\nIt could "
                                 "not be read, so it is left as it is.");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(ShapeFile, ADamagedFileIsKeptBesideBeforeChangedShapesReplaceIt) {
    QTemporaryDir dir;
    const QString path = ShapeFilePath(dir.path());
    const QByteArray damaged("\x02\x00\xFF\xFF\x01\x00\x0C\x00"
                             "CCustomShape\x06Sph",
                             25);
    PutFile(path, damaged);
    std::optional<SideFileNotice> notice;
    ShapeList shapes = LoadShapeFile(dir.path(), notice);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text,
              "The preview shape file " + path +
                  " cannot be read completely: the file ends in the middle of a value (it is cut "
                  "short).\nThe built-in shapes are used. If you change a shape, the file is "
                  "first kept as shapes.dat.damaged.");
    static_cast<CustomShape&>(*shapes[13]).SetName("Vase");
    EXPECT_FALSE(SaveShapeFile(dir.path(), shapes));
    EXPECT_EQ(FileBytes(path + ".damaged"), damaged);
    const ShapeList again = LoadShapeFile(dir.path(), notice);
    EXPECT_FALSE(notice);
    EXPECT_EQ(again[13]->GetName(), "Vase");

    // A shape file that cannot be read at all is never replaced.
    QFile::remove(path);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    shapes = LoadShapeFile(dir.path(), notice);
    ASSERT_TRUE(notice);
    EXPECT_TRUE(notice->text.endsWith("The built-in shapes are used, and the file is never "
                                      "replaced."))
        << notice->text.toStdString();
    const auto refused = SaveShapeFile(dir.path(), shapes);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->title, "Fatal Error");
    EXPECT_TRUE(refused->text.startsWith("Unable to remove shape file!\n" + path +
                                         " is not a regular file"))
        << refused->text.toStdString();
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(IorPresetFile, CommonPresetsWhenMissingWrittenOnlyBySaveAndWhatWasSavedOtherwise) {
    QTemporaryDir dir;
    std::optional<SideFileNotice> loadNotice;
    IorPresetList presets = LoadIorPresets(dir.path(), loadNotice);
    EXPECT_FALSE(loadNotice);
    const std::vector<std::pair<std::string, float>> common{
        {"Vacuum", 1.0f},    {"Air", 1.000293f},     {"Water", 1.333f},      {"Ice", 1.31f},
        {"Glass", 1.5f},     {"Crown glass", 1.52f}, {"Flint glass", 1.62f}, {"Quartz", 1.544f},
        {"Sapphire", 1.77f}, {"Diamond", 2.417f}};
    ASSERT_EQ(presets.size(), common.size());
    for (std::size_t i = 0; i < common.size(); ++i) {
        EXPECT_EQ(presets[i]->GetDescription(), common[i].first);
        EXPECT_EQ(presets[i]->GetValue(), common[i].second) << common[i].first;
    }
    EXPECT_FALSE(QFileInfo::exists(IorFilePath(dir.path()))); // offered, not written

    presets.resize(1);
    presets.push_back(std::make_unique<IorPreset>("Water", 1.33f));
    EXPECT_FALSE(SaveIorPresets(dir.path(), presets));
    EXPECT_EQ(FileBytes(IorFilePath(dir.path())).left(8),
              QByteArray("\x02\x00\xFF\xFF\x01\x00\x09\x00", 8));
    presets = LoadIorPresets(dir.path(), loadNotice);
    EXPECT_FALSE(loadNotice);
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[1]->GetValue(), 1.33f);

    presets.clear();
    EXPECT_FALSE(SaveIorPresets(dir.path(), presets));
    EXPECT_TRUE(LoadIorPresets(dir.path(), loadNotice).empty()); // an empty list stays empty

    const auto notice = SaveIorPresets(QStringLiteral("/proc/velvane-cannot-exist"), presets);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->title, "IO Error");
    EXPECT_EQ(notice->text.section(QLatin1Char('\n'), 0, 0), "Error opening iorvalue.dat");
    EXPECT_EQ(notice->text.section(QLatin1Char('\n'), 1),
              "/proc/velvane-cannot-exist/iorvalue.dat was not found.");
}

TEST(IorPresetFile, ADamagedFileIsReportedTreatedAsMissingAndLeftAlone) {
    QTemporaryDir dir;
    IorPresetList presets;
    presets.push_back(std::make_unique<IorPreset>("Water", 1.33f));
    presets.push_back(std::make_unique<IorPreset>("Glass", 1.5f));
    ASSERT_FALSE(SaveIorPresets(dir.path(), presets));
    const QByteArray stored = FileBytes(IorFilePath(dir.path()));
    const QByteArray damaged = stored.left(stored.size() - 2); // the second value cut short
    PutFile(IorFilePath(dir.path()), damaged);

    std::optional<SideFileNotice> notice;
    const IorPresetList loaded = LoadIorPresets(dir.path(), notice);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->icon, SideFileNotice::Warning);
    EXPECT_TRUE(notice->text.contains(IorFilePath(dir.path())));
    ASSERT_EQ(loaded.size(), DefaultIorPresets().size()); // not the Water read before the damage
    EXPECT_EQ(loaded[1]->GetDescription(), "Air");
    EXPECT_EQ(FileBytes(IorFilePath(dir.path())), damaged);
}
