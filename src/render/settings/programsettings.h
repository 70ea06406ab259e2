#pragma once

#include "core/model/scenegamma.h"
#include "core/povray/povcommand.h"

#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QSettings;

/// How many thumbnail renders run side by side unless the user says otherwise. A render is
/// mostly POV-Ray waiting in its own polling loops (about 10 ms of CPU in 0.65 s for a 120 x 120
/// thumbnail), so many renders fit on each core: kRendersPerCore per core, capped by the free
/// memory at kMemoryPerRender each (POV-Ray 3.7 peaks at about 17 MB for a thumbnail) and by
/// kMaximumParallelRenders; at least 1.
int DefaultParallelRenders();
/// The rule behind DefaultParallelRenders, for a given machine. `availableBytes` < 0: unknown.
int ParallelRendersFor(int cores, long long availableBytes);
/// What Automatic chose on a machine and why, in words: "32 at once: 16 for each of the 2
/// processors; the free memory (16 GB) would take 800."
QString ParallelRendersReason(int cores, long long availableBytes);
/// The same for this machine.
QString DefaultParallelRendersReason();
inline constexpr int kRendersPerCore = 16;
inline constexpr long long kMemoryPerRender = 20LL * 1024 * 1024;
inline constexpr int kMaximumParallelRenders = 64;

/// The program-wide settings, kept in the per-user settings store in the section "Settings".
/// Fields hold what is stored; EffectiveProgramDirectory() and EffectivePovExecutable() give the
/// folder and program actually used when the stored values are empty.
/// The render time limit of a user who has not chosen one, in seconds.
inline constexpr int kDefaultRenderTimeLimit = 120;
/// The scene gamma of a new user: POV-Ray 3.7, which the program runs, and the scenes written
/// for it take colours as linear, so a texture looks in its thumbnail as in such a scene.
inline constexpr SceneGamma kNewUserSceneGamma = SceneGamma::Pov37;
/// The picture size the render time limit is for: 512 x 512.
inline constexpr long long kTimeLimitPixels = 512LL * 512LL;

struct ProgramSettings {
    QString programDirectory;
    QString povExecutable;
    float antialiasingThreshold = 1.5f;
    bool drawThroughPixmap = true;
    int raysPerPixel = 2;
    bool decimalInColorMap = false;
    bool decimalInColorPicker = false;
    bool updateThumbnail = true;
    bool antialiasing = false;
    bool displayMailingListDialog = true;
    int textureMapWidth = 120;
    int textureMapHeight = 120;
    float textureMapAspectRatio = 1.0f;
    bool textureMapUseAspectRatio = true;
    bool textureMapOverrideFinish = true;
    int textureMapBrightness = 100;
    /// How a new texture map is made to tile: 0 none, 1 edge fade, 2 mirror.
    int textureMapTiling = 0;
    /// 0 automatic, 1 classic, 2 POV-Ray 3.7 (see PovCommandStyle).
    int povCommandStyle = 0;
    /// How many POV-Ray processes a batch of thumbnails may run at once.
    int parallelRenders = DefaultParallelRenders();
    /// Whether parallelRenders is the user's own choice (stored, or set in Preferences). A value
    /// nobody chose is not stored, so it follows the machine the program runs on.
    bool parallelRendersChosen = false;
    /// Percent of their own size at which catalog windows show thumbnails (50 to 400); a new
    /// window starts at the zoom last chosen.
    int catalogZoom = 100;
    /// Seconds a picture of up to kTimeLimitPixels may take before POV-Ray is ended (a larger
    /// one gets as many times as it has such areas); 0 for no limit.
    int renderTimeLimit = kDefaultRenderTimeLimit;
    /// Whether renderTimeLimit is the user's own choice (set in Preferences); a value nobody
    /// chose is the default, so a text from a catalog cannot keep POV-Ray busy for ever.
    bool renderTimeLimitChosen = false;
    /// Whether the document windows are shown as tabs.
    bool tabbedWindows = false;
    /// The Preview window renders the texture being edited shortly after each change (on until
    /// the user turns it off).
    bool autoPreview = true;
    /// Whether imported POV-Ray source maps what the texture model cannot hold to the nearest
    /// thing it can, instead of skipping those declarations.
    bool importApproximate = false;
    /// Which thumbnails Render Thumbnail(s) last made of layered textures: 0 the composites,
    /// 1 the layers, 2 both.
    int thumbnailChoice = 2;
    /// How thumbnails and the Preview are rendered: as POV-Ray 3.7 scenes or as older ones.
    /// Stored as the assumed_gamma the scenes declare ("1.000000", or "0.000000" for none); a
    /// store that has settings but not this one keeps the older look, an empty store (a new
    /// user) gets kNewUserSceneGamma.
    SceneGamma sceneGamma = SceneGamma::Older;
    /// Whether the source texture editor wraps lines longer than its width.
    bool wrapSourceLines = true;
    /// Whether the editors show hundredths and colour channels as POV-Ray writes them (0.8 for
    /// 80 hundredths, 0.502 for the byte 128) rather than as the whole numbers they hold. Off
    /// unless chosen: the whole numbers are what the editors have always shown.
    bool povRayNumbers = false;
    /// The file each catalog's source was last exported to, by the catalog's path, the latest
    /// first; kept in the section "Export Files", kRememberedExports at most.
    std::vector<std::pair<QString, QString>> exportFiles;
    static constexpr int kRememberedExports = 20;

    static constexpr const char* kSection = "Settings";

    /// Reads every field; absent values take the defaults above.
    void Load(QSettings& store);
    /// Writes every field, in the order the program has always written them.
    void Save(QSettings& store) const;

    /// The folder of the side data files and renders: the stored one, or the per-user data
    /// folder (~/.local/share/Velvane) when none is stored.
    QString EffectiveProgramDirectory() const;
    /// The POV-Ray program: the stored path, or "povray" found on PATH (empty when there is none).
    QString EffectivePovExecutable() const;
    PovCommandStyle CommandStyle() const;
    PovCommandOptions CommandOptions() const;

    /// The file the catalog at `catalogPath` was last exported to, or an empty string.
    QString ExportFileFor(const QString& catalogPath) const;
    void RememberExportFile(const QString& catalogPath, const QString& file);
};

/// The per-user settings store of the program (~/.config/Velvane/Velvane.conf), which also
/// keeps the window placement ("Application State") and the recent-file list.
std::unique_ptr<QSettings> OpenSettingsStore();

/// The per-user data folder used when no program directory is set.
QString DefaultProgramDirectory();
/// "povray" as found on PATH, or an empty string.
QString DefaultPovExecutable();

/// A real number as the settings store holds it: "%f" text in the C locale.
QString RealToSettingText(float value);
/// Reads such text the way a standard decimal conversion does: a leading number is taken,
/// anything unreadable gives 0.0.
float RealFromSettingText(const QString& text);
