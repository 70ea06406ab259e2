#include "render/settings/programsettings.h"
#include "render/settings/runtimedirnote.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("settings.conf"));
    }
    QSettings Store() { return QSettings(m_path, QSettings::IniFormat); }

    QTemporaryDir m_dir;
    QString m_path;
};

} // namespace

TEST_F(SettingsTest, AbsentValuesTakeTheDefaults) {
    QSettings store = Store();
    ProgramSettings settings;
    settings.antialiasingThreshold = 9.0f;
    settings.parallelRenders = 1;
    settings.textureMapTiling = 2;
    settings.povRayNumbers = true;
    settings.Load(store);
    EXPECT_EQ(settings.programDirectory, QString());
    EXPECT_EQ(settings.antialiasingThreshold, 1.5f);
    EXPECT_EQ(settings.drawThroughPixmap, 1);
    EXPECT_EQ(settings.raysPerPixel, 2);
    EXPECT_EQ(settings.updateThumbnail, 1);
    EXPECT_EQ(settings.antialiasing, 0);
    EXPECT_EQ(settings.textureMapWidth, 120);
    EXPECT_EQ(settings.textureMapAspectRatio, 1.0f);
    EXPECT_EQ(settings.textureMapOverrideFinish, 1);
    EXPECT_EQ(settings.textureMapBrightness, 100);
    EXPECT_EQ(settings.textureMapTiling, 0);
    EXPECT_EQ(settings.displayMailingListDialog, 1);
    EXPECT_EQ(settings.povCommandStyle, 0);
    EXPECT_EQ(settings.parallelRenders, DefaultParallelRenders());
    EXPECT_FALSE(settings.parallelRendersChosen);
    EXPECT_EQ(settings.autoPreview, 1);                // a live Preview until the user turns it off
    EXPECT_EQ(settings.importApproximate, 0);          // imports are exact until the user asks
    EXPECT_EQ(settings.sceneGamma, SceneGamma::Pov37); // a new user's: POV-Ray 3.7 scenes
    EXPECT_FALSE(settings.povRayNumbers);              // whole numbers unless chosen
}

TEST_F(SettingsTest, SettingsOfEarlierVersionsKeepTheOlderSceneGammaUntilTheUserChooses) {
    const struct {
        const char* stored; ///< the stored value, or null for none
        SceneGamma expected;
    } cases[] = {
        {nullptr, SceneGamma::Older},    {"0.000000", SceneGamma::Older},
        {"1.000000", SceneGamma::Pov37}, {"1.0", SceneGamma::Pov37},
        {"2.200000", SceneGamma::Older}, {"gamma", SceneGamma::Older},
    };
    for (const auto& c : cases) {
        QSettings store = Store();
        store.clear();
        store.setValue(QStringLiteral("Settings/Rays Per Pixel"), 3);
        if (c.stored)
            store.setValue(QStringLiteral("Settings/Scene Assumed Gamma"), c.stored);
        ProgramSettings settings;
        settings.sceneGamma = SceneGamma::Pov37;
        settings.Load(store);
        EXPECT_EQ(settings.sceneGamma, c.expected) << (c.stored ? c.stored : "none");
    }
}

TEST_F(SettingsTest, ParallelRendersFollowTheMachineUnlessTheUserChose) {
    constexpr long long MB = 1024 * 1024;
    // Sixteen renders per core, 20 MB of free memory each, never more than 64 nor fewer than 1.
    EXPECT_EQ(ParallelRendersFor(2, 16000 * MB), 32);
    EXPECT_EQ(ParallelRendersFor(1, -1), 16);
    EXPECT_EQ(ParallelRendersFor(2, 300 * MB), 15);
    // Preferences says in words what Automatic chose and why.
    for (const auto& [cores, bytes, reason] : std::vector<std::tuple<int, long long, QString>>{
             {2, 16384 * MB,
              "32 at once: 16 for each of the 2 processors; the free memory "
              "(16.0 GB) would take more."},
             {1, -1, "16 at once: 16 for the 1 processor."},
             {2, 300 * MB,
              "15 at once: the free memory (0.3 GB) takes 15 at 20 MB each, fewer "
              "than 32 for each of the 2 processors."}})
        EXPECT_EQ(ParallelRendersReason(cores, bytes), reason) << cores;
    EXPECT_EQ(ParallelRendersFor(8, 64000 * MB), 64);
    EXPECT_EQ(ParallelRendersFor(4, 10 * MB), 1);
    EXPECT_EQ(ParallelRendersFor(0, -1), 16);

    // A default nobody chose is not stored, so the next start works it out again.
    {
        QSettings store = Store();
        ProgramSettings settings;
        settings.parallelRenders = 5;
        settings.Save(store);
        store.beginGroup(QStringLiteral("Settings"));
        EXPECT_FALSE(store.contains(QStringLiteral("Parallel Renders")));
    }
    // A stored value wins, and is written back.
    QSettings store = Store();
    store.setValue(QStringLiteral("Settings/Parallel Renders"), 3);
    ProgramSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.parallelRenders, 3);
    EXPECT_TRUE(settings.parallelRendersChosen);
    store.setValue(QStringLiteral("Settings/Parallel Renders"), 0);
    settings.Save(store);
    EXPECT_EQ(store.value(QStringLiteral("Settings/Parallel Renders")).toInt(), 3);
    // Nonsense in the store counts as no choice.
    store.setValue(QStringLiteral("Settings/Parallel Renders"), QStringLiteral("many"));
    settings.Load(store);
    EXPECT_FALSE(settings.parallelRendersChosen);
    EXPECT_EQ(settings.parallelRenders, DefaultParallelRenders());
}

TEST_F(SettingsTest, TheRenderTimeLimitIsTheDefaultUnlessTheUserChoseOne) {
    const struct {
        QVariant stored;
        QVariant chosenMark;
        int limit;
        bool chosen;
    } cases[] = {
        {{}, {}, kDefaultRenderTimeLimit, false},
        {0, {}, kDefaultRenderTimeLimit, false}, // what every older build stored
        {0, 1, 0, true},                         // None, chosen
        {45, 1, 45, true},
    };
    for (const auto& c : cases) {
        QSettings store = Store();
        store.clear();
        if (c.stored.isValid())
            store.setValue(QStringLiteral("Settings/Render Time Limit"), c.stored);
        if (c.chosenMark.isValid())
            store.setValue(QStringLiteral("Settings/Render Time Limit Chosen"), c.chosenMark);
        ProgramSettings settings;
        settings.Load(store);
        EXPECT_EQ(settings.renderTimeLimit, c.limit) << c.stored.toInt();
        EXPECT_EQ(settings.renderTimeLimitChosen, c.chosen);
        settings.Save(store);
        ProgramSettings again;
        again.Load(store);
        EXPECT_EQ(again.renderTimeLimit, c.limit);
        EXPECT_EQ(again.renderTimeLimitChosen, c.chosen);
    }
}

TEST_F(SettingsTest, StoredUnderTheirNamesWithRealsAsCText) {
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    {
        QSettings store = Store();
        ProgramSettings settings;
        settings.programDirectory = QStringLiteral("/data/velvane");
        settings.povExecutable = QStringLiteral("/usr/bin/povray");
        settings.antialiasingThreshold = 0.3f;
        settings.textureMapAspectRatio = 2.5f;
        settings.raysPerPixel = 4;
        settings.antialiasing = true;
        settings.parallelRenders = 6;
        settings.parallelRendersChosen = true;
        // Turned off by the user: the stored choice wins over the default.
        settings.autoPreview = false;
        settings.importApproximate = true;
        settings.thumbnailChoice = 0;
        settings.textureMapTiling = 2;
        settings.sceneGamma = SceneGamma::Pov37;
        settings.povRayNumbers = true;
        settings.Save(store);
    }
    std::setlocale(LC_ALL, "C");
    QSettings store = Store();
    store.beginGroup(QStringLiteral("Settings"));
    EXPECT_EQ(store.value("Program Directory").toString(), "/data/velvane");
    EXPECT_EQ(store.value("POV Executable").toString(), "/usr/bin/povray");
    EXPECT_EQ(store.value("Antialiasing Threshold").toString(), "0.300000");
    EXPECT_EQ(store.value("Texture Map Aspect Ratio").toString(), "2.500000");
    EXPECT_EQ(store.value("Scene Assumed Gamma").toString(), "1.000000");
    EXPECT_EQ(store.value("Rays Per Pixel").toInt(), 4);
    // Switches are stored as 0 and 1, as they always were.
    EXPECT_EQ(store.value("Antialiasing").toString(), "1");
    EXPECT_EQ(store.value("Auto Preview").toString(), "0");
    EXPECT_EQ(store.value("Show POV-Ray Numbers").toString(), "1");
    EXPECT_EQ(store.value("Use Video For Windows").toString(), "1");
    for (const char* name :
         {"Use Video For Windows", "Decimal in Color Map", "Decimal in Color Picker",
          "Update Thumbnail", "Display Mailing List Dialog", "Texture Map Width",
          "Texture Map Height", "Texture Map Use Aspect Ratio", "Texture Map Override Finish",
          "Texture Map Brightness", "POV Command Style", "Parallel Renders", "Tabbed Windows",
          "Auto Preview", "Import Approximate", "Thumbnail Choice", "Texture Map Tiling",
          "Wrap Source Lines"})
        EXPECT_TRUE(store.contains(QLatin1String(name))) << name;
    store.endGroup();

    ProgramSettings loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.antialiasingThreshold, 0.3f);
    EXPECT_EQ(loaded.textureMapAspectRatio, 2.5f);
    EXPECT_EQ(loaded.programDirectory, "/data/velvane");
    EXPECT_EQ(loaded.autoPreview, 0);
    EXPECT_EQ(loaded.importApproximate, 1);
    EXPECT_EQ(loaded.thumbnailChoice, 0);
    EXPECT_EQ(loaded.textureMapTiling, 2);
    EXPECT_EQ(loaded.sceneGamma, SceneGamma::Pov37);
    EXPECT_TRUE(loaded.povRayNumbers);
    loaded.sceneGamma = SceneGamma::Older; // the older style is a choice that is kept too
    loaded.Save(store);
    EXPECT_EQ(store.value("Settings/Scene Assumed Gamma").toString(), "0.000000");
}

TEST_F(SettingsTest, EachCatalogsLastExportIsKeptTheLatestFirstAndBounded) {
    ProgramSettings settings;
    for (int i = 0; i <= ProgramSettings::kRememberedExports; ++i)
        settings.RememberExportFile(QStringLiteral("/c/%1.vlv").arg(i),
                                    QStringLiteral("/out/%1.inc").arg(i));
    settings.RememberExportFile(QStringLiteral("/c/5.vlv"), QStringLiteral("/out/five.inc"));
    {
        QSettings store = Store();
        settings.Save(store);
        // Fewer saved later leave none of the earlier behind.
        ProgramSettings fewer;
        fewer.RememberExportFile(QStringLiteral("/c/a.vlv"), QStringLiteral("/out/a.inc"));
        fewer.Save(store);
        ProgramSettings loaded;
        loaded.Load(store);
        EXPECT_EQ(loaded.exportFiles, fewer.exportFiles);
        settings.Save(store);
    }
    QSettings store = Store();
    ProgramSettings loaded;
    loaded.Load(store);
    ASSERT_EQ(loaded.exportFiles.size(), std::size_t(ProgramSettings::kRememberedExports));
    EXPECT_EQ(loaded.exportFiles.front().second, "/out/five.inc");
    EXPECT_EQ(loaded.ExportFileFor(QStringLiteral("/c/20.vlv")), "/out/20.inc");
    EXPECT_EQ(loaded.ExportFileFor(QStringLiteral("/c/0.vlv")), QString()) << "the oldest went";
    EXPECT_EQ(loaded.ExportFileFor(QStringLiteral("/c/1.vlv")), "/out/1.inc");
}

TEST_F(SettingsTest, UnreadableRealsAreZeroAndWrittenBackAsZero) {
    {
        QSettings store = Store();
        store.setValue(QStringLiteral("Settings/Antialiasing Threshold"), QStringLiteral("abc"));
        store.setValue(QStringLiteral("Settings/Texture Map Aspect Ratio"),
                       QStringLiteral(" 1.25xyz"));
    }
    QSettings store = Store();
    ProgramSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.antialiasingThreshold, 0.0f);
    EXPECT_EQ(settings.textureMapAspectRatio, 1.25f);
    settings.Save(store);
    EXPECT_EQ(store.value(QStringLiteral("Settings/Antialiasing Threshold")).toString(),
              "0.000000");
    EXPECT_EQ(RealFromSettingText(QStringLiteral("1,5")),
              1.0f); // no locale: the comma ends the number
    EXPECT_EQ(RealToSettingText(1.5f), "1.500000");
}

TEST_F(SettingsTest, EmptyPathsFallBackToTheDataFolderAndPovRayOnPath) {
    ProgramSettings settings;
    EXPECT_TRUE(settings.EffectiveProgramDirectory().endsWith(QStringLiteral("/Velvane")));
    EXPECT_EQ(settings.EffectivePovExecutable(),
              QStandardPaths::findExecutable(QStringLiteral("povray")));
    EXPECT_FALSE(settings.EffectivePovExecutable().isEmpty())
        << "povray must be installed for the tests";
    settings.programDirectory = QStringLiteral("/somewhere");
    settings.povExecutable = QStringLiteral("/opt/pov");
    EXPECT_EQ(settings.EffectiveProgramDirectory(), "/somewhere");
    EXPECT_EQ(settings.CommandOptions().executable, "/opt/pov");
    settings.povCommandStyle = 1;
    EXPECT_EQ(settings.CommandStyle(), PovCommandStyle::Classic);
    settings.povCommandStyle = 7;
    EXPECT_EQ(settings.CommandStyle(), PovCommandStyle::Automatic);
}

namespace {
QStringList g_passed;
void Record(QtMsgType, const QMessageLogContext&, const QString& message) {
    g_passed << message;
}
} // namespace

TEST(RuntimeDirNote, OnlyTheNoteAboutTheRuntimeFolderIsKeptQuiet) {
    const QtMessageHandler before = qInstallMessageHandler(Record);
    QuietenRuntimeDirNote();
    QuietenRuntimeDirNote(); // twice changes nothing: the note is not passed back to itself
    g_passed.clear();
    qWarning("QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'");
    qWarning("QStandardPaths: wrong permissions on runtime directory /run/user/0");
    qInstallMessageHandler(before);
    EXPECT_EQ(g_passed, QStringList{QStringLiteral(
                            "QStandardPaths: wrong permissions on runtime directory /run/user/0")});
}
