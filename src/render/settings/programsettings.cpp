#include "render/settings/programsettings.h"

#include "core/model/numberformat.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <charconv>

QString RealToSettingText(float value) {
    return QString::fromStdString(FormatFixed(value, 6));
}

float RealFromSettingText(const QString& text) {
    const std::string bytes = text.trimmed().toStdString();
    float value = 0.0f;
    const char* begin = bytes.data();
    if (!bytes.empty() && *begin == '+')
        ++begin;
    const auto result = std::from_chars(begin, bytes.data() + bytes.size(), value);
    return result.ec == std::errc() ? value : 0.0f;
}

namespace {

constexpr const char* kProgramDirectory = "Program Directory";
constexpr const char* kPovExecutable = "POV Executable";
constexpr const char* kThreshold = "Antialiasing Threshold";
constexpr const char* kMapAspect = "Texture Map Aspect Ratio";
constexpr const char* kSceneGamma = "Scene Assumed Gamma";

/// The whole-number settings and the switches (stored as 0 and 1), with their defaults, in the
/// order they have always been written.
struct IntegerSetting {
    const char* name;
    int ProgramSettings::*field;
    int fallback;
    bool ProgramSettings::*flag = nullptr;
};

constexpr IntegerSetting Flag(const char* name, bool ProgramSettings::*flag, bool fallback) {
    return {name, nullptr, fallback ? 1 : 0, flag};
}

constexpr IntegerSetting kIntegers[] = {
    Flag("Use Video For Windows", &ProgramSettings::drawThroughPixmap, true),
    {"Rays Per Pixel", &ProgramSettings::raysPerPixel, 2},
    Flag("Decimal in Color Map", &ProgramSettings::decimalInColorMap, false),
    Flag("Decimal in Color Picker", &ProgramSettings::decimalInColorPicker, false),
    Flag("Update Thumbnail", &ProgramSettings::updateThumbnail, true),
    Flag("Antialiasing", &ProgramSettings::antialiasing, false),
    Flag("Display Mailing List Dialog", &ProgramSettings::displayMailingListDialog, true),
    {"Texture Map Width", &ProgramSettings::textureMapWidth, 120},
    {"Texture Map Height", &ProgramSettings::textureMapHeight, 120},
    Flag("Texture Map Use Aspect Ratio", &ProgramSettings::textureMapUseAspectRatio, true),
    Flag("Texture Map Override Finish", &ProgramSettings::textureMapOverrideFinish, true),
    {"Texture Map Brightness", &ProgramSettings::textureMapBrightness, 100},
    {"POV Command Style", &ProgramSettings::povCommandStyle, 0},
    {"Catalog Zoom", &ProgramSettings::catalogZoom, 100},
    {"Render Time Limit", &ProgramSettings::renderTimeLimit, kDefaultRenderTimeLimit},
    Flag("Tabbed Windows", &ProgramSettings::tabbedWindows, false),
    Flag("Auto Preview", &ProgramSettings::autoPreview, true),
    Flag("Import Approximate", &ProgramSettings::importApproximate, false),
    {"Thumbnail Choice", &ProgramSettings::thumbnailChoice, 2},
    {"Texture Map Tiling", &ProgramSettings::textureMapTiling, 0},
    Flag("Wrap Source Lines", &ProgramSettings::wrapSourceLines, true),
    Flag("Show POV-Ray Numbers", &ProgramSettings::povRayNumbers, false),
};

constexpr const char* kParallelRenders = "Parallel Renders";
constexpr const char* kExportSection = "Export Files";
constexpr const char* kExportArray = "Exports";
/// Present when the stored time limit is the user's choice: older builds stored a 0 nobody
/// chose.
constexpr const char* kTimeLimitChosen = "Render Time Limit Chosen";

/// The memory the system can give without swapping ("MemAvailable" of /proc/meminfo), or -1.
long long AvailableMemory() {
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> parts = line.simplified().split(' ');
        bool ok = false;
        const long long kilobytes = parts.size() >= 2 ? parts[1].toLongLong(&ok) : 0;
        return ok ? kilobytes * 1024 : -1;
    }
    return -1;
}

float ReadReal(QSettings& store, const char* name, const char* fallback) {
    return RealFromSettingText(
        store.value(QLatin1String(name), QLatin1String(fallback)).toString());
}

} // namespace

void ProgramSettings::Load(QSettings& store) {
    store.beginGroup(QLatin1String(kSection));
    programDirectory = store.value(QLatin1String(kProgramDirectory)).toString();
    povExecutable = store.value(QLatin1String(kPovExecutable)).toString();
    antialiasingThreshold = ReadReal(store, kThreshold, "1.5");
    textureMapAspectRatio = ReadReal(store, kMapAspect, "1.0");
    for (const IntegerSetting& setting : kIntegers) {
        bool ok = false;
        const int value = store.value(QLatin1String(setting.name)).toInt(&ok);
        if (setting.flag)
            this->*setting.flag = (ok ? value : setting.fallback) != 0;
        else
            this->*setting.field = ok ? value : setting.fallback;
    }
    if (const QVariant gamma = store.value(QLatin1String(kSceneGamma)); gamma.isValid())
        sceneGamma =
            RealFromSettingText(gamma.toString()) == 1.0f ? SceneGamma::Pov37 : SceneGamma::Older;
    else
        sceneGamma = store.childKeys().isEmpty() ? kNewUserSceneGamma : SceneGamma::Older;
    renderTimeLimitChosen = store.value(QLatin1String(kTimeLimitChosen)).toInt() == 1;
    if (!renderTimeLimitChosen)
        renderTimeLimit = kDefaultRenderTimeLimit;
    bool ok = false;
    const int parallel = store.value(QLatin1String(kParallelRenders)).toInt(&ok);
    parallelRendersChosen = ok && parallel >= 1;
    parallelRenders = parallelRendersChosen ? parallel : DefaultParallelRenders();
    store.endGroup();

    exportFiles.clear();
    store.beginGroup(QLatin1String(kExportSection));
    const int exports = store.beginReadArray(QLatin1String(kExportArray));
    for (int i = 0; i < exports && i < kRememberedExports; ++i) {
        store.setArrayIndex(i);
        const QString catalog = store.value(QStringLiteral("Catalog")).toString();
        const QString file = store.value(QStringLiteral("File")).toString();
        if (!catalog.isEmpty() && !file.isEmpty())
            exportFiles.emplace_back(catalog, file);
    }
    store.endArray();
    store.endGroup();
}

void ProgramSettings::Save(QSettings& store) const {
    store.beginGroup(QLatin1String(kSection));
    store.setValue(QLatin1String(kProgramDirectory), programDirectory);
    store.setValue(QLatin1String(kPovExecutable), povExecutable);
    store.setValue(QLatin1String(kThreshold), RealToSettingText(antialiasingThreshold));
    store.setValue(QLatin1String(kMapAspect), RealToSettingText(textureMapAspectRatio));
    for (const IntegerSetting& setting : kIntegers)
        store.setValue(QLatin1String(setting.name),
                       setting.flag ? (this->*setting.flag ? 1 : 0) : this->*setting.field);
    store.setValue(QLatin1String(kSceneGamma),
                   RealToSettingText(sceneGamma == SceneGamma::Pov37 ? 1.0f : 0.0f));
    if (renderTimeLimitChosen)
        store.setValue(QLatin1String(kTimeLimitChosen), 1);
    else
        store.remove(QLatin1String(kTimeLimitChosen));
    if (parallelRendersChosen)
        store.setValue(QLatin1String(kParallelRenders), parallelRenders);
    else
        store.remove(QLatin1String(kParallelRenders));
    store.endGroup();

    store.beginGroup(QLatin1String(kExportSection));
    store.remove(QString());
    store.beginWriteArray(QLatin1String(kExportArray), static_cast<int>(exportFiles.size()));
    for (int i = 0; i < static_cast<int>(exportFiles.size()); ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("Catalog"), exportFiles[i].first);
        store.setValue(QStringLiteral("File"), exportFiles[i].second);
    }
    store.endArray();
    store.endGroup();
}

QString ProgramSettings::ExportFileFor(const QString& catalogPath) const {
    for (const auto& [catalog, file] : exportFiles)
        if (catalog == catalogPath)
            return file;
    return QString();
}

void ProgramSettings::RememberExportFile(const QString& catalogPath, const QString& file) {
    std::erase_if(exportFiles, [&](const auto& entry) { return entry.first == catalogPath; });
    exportFiles.emplace(exportFiles.begin(), catalogPath, file);
    if (exportFiles.size() > static_cast<std::size_t>(kRememberedExports))
        exportFiles.resize(kRememberedExports);
}

int ParallelRendersFor(int cores, long long availableBytes) {
    long long renders = static_cast<long long>(std::max(cores, 1)) * kRendersPerCore;
    if (availableBytes >= 0)
        renders = std::min(renders, availableBytes / kMemoryPerRender);
    return static_cast<int>(std::clamp<long long>(renders, 1, kMaximumParallelRenders));
}

QString ParallelRendersReason(int cores, long long availableBytes) {
    cores = std::max(cores, 1);
    const int renders = ParallelRendersFor(cores, availableBytes);
    const QString processors = cores == 1 ? QStringLiteral("the 1 processor")
                                          : QStringLiteral("each of the %1 processors").arg(cores);
    const QString memory = availableBytes < 0
                               ? QString()
                               : QStringLiteral("%1 GB").arg(
                                     static_cast<double>(availableBytes) / (1LL << 30), 0, 'f', 1);
    if (renders == kMaximumParallelRenders && cores * kRendersPerCore > kMaximumParallelRenders)
        return QStringLiteral("%1 at once, the most there may be.").arg(renders);
    if (availableBytes >= 0 && availableBytes / kMemoryPerRender < cores * kRendersPerCore)
        return QStringLiteral("%1 at once: the free memory (%2) takes %1 at 20 MB each, fewer "
                              "than %3 for %4.")
            .arg(renders)
            .arg(memory)
            .arg(cores * kRendersPerCore)
            .arg(processors);
    QString reason =
        QStringLiteral("%1 at once: %2 for %3").arg(renders).arg(kRendersPerCore).arg(processors);
    if (availableBytes >= 0)
        reason += QStringLiteral("; the free memory (%1) would take more").arg(memory);
    return reason + QLatin1Char('.');
}

QString DefaultParallelRendersReason() {
    return ParallelRendersReason(QThread::idealThreadCount(), AvailableMemory());
}

int DefaultParallelRenders() {
    static const int renders = ParallelRendersFor(QThread::idealThreadCount(), AvailableMemory());
    return renders;
}

std::unique_ptr<QSettings> OpenSettingsStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Velvane"), QStringLiteral("Velvane"));
}

QString DefaultProgramDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Velvane");
}

QString DefaultPovExecutable() {
    return QStandardPaths::findExecutable(QStringLiteral("povray"));
}

QString ProgramSettings::EffectiveProgramDirectory() const {
    return programDirectory.isEmpty() ? DefaultProgramDirectory() : programDirectory;
}

QString ProgramSettings::EffectivePovExecutable() const {
    return povExecutable.isEmpty() ? DefaultPovExecutable() : povExecutable;
}

PovCommandStyle ProgramSettings::CommandStyle() const {
    switch (povCommandStyle) {
    case 1:
        return PovCommandStyle::Classic;
    case 2:
        return PovCommandStyle::Pov37;
    default:
        return PovCommandStyle::Automatic;
    }
}

PovCommandOptions ProgramSettings::CommandOptions() const {
    return {EffectivePovExecutable().toStdString(), antialiasing, antialiasingThreshold,
            raysPerPixel,
            QFile::encodeName(QDir(EffectiveProgramDirectory()).absolutePath()).toStdString()};
}
