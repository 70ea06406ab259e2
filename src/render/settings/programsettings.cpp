#include "programsettings.h"

#include "model/sourcetext.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <charconv>

QString RealToSettingText(float value) { return QString::fromStdString(FormatFixed(value, 6)); }

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

// Value names in the order they are written.
constexpr const char* kProgramDirectory = "Program Directory";
constexpr const char* kPovExecutable = "POV Executable";
constexpr const char* kUseVideoForWindows = "Use Video For Windows";
constexpr const char* kThreshold = "Antialiasing Threshold";
constexpr const char* kRaysPerPixel = "Rays Per Pixel";
constexpr const char* kDecimalInColorMap = "Decimal in Color Map";
constexpr const char* kDecimalInColorPicker = "Decimal in Color Picker";
constexpr const char* kUpdateThumbnail = "Update Thumbnail";
constexpr const char* kAntialiasing = "Antialiasing";
constexpr const char* kMailingList = "Display Mailing List Dialog";
constexpr const char* kMapWidth = "Texture Map Width";
constexpr const char* kMapHeight = "Texture Map Height";
constexpr const char* kMapAspect = "Texture Map Aspect Ratio";
constexpr const char* kMapUseAspect = "Texture Map Use Aspect Ratio";
constexpr const char* kMapOverride = "Texture Map Override Finish";
constexpr const char* kMapBrightness = "Texture Map Brightness";
constexpr const char* kCommandStyle = "POV Command Style";
constexpr const char* kParallelRenders = "Parallel Renders";

int ReadInt(QSettings& store, const char* name, int fallback) {
    bool ok = false;
    const int value = store.value(QLatin1String(name)).toInt(&ok);
    return ok ? value : fallback;
}

float ReadReal(QSettings& store, const char* name, const char* fallback) {
    return RealFromSettingText(store.value(QLatin1String(name), QLatin1String(fallback)).toString());
}

} // namespace

void ProgramSettings::Load(QSettings& store) {
    store.beginGroup(QLatin1String(kSection));
    programDirectory = store.value(QLatin1String(kProgramDirectory)).toString();
    povExecutable = store.value(QLatin1String(kPovExecutable)).toString();
    antialiasingThreshold = ReadReal(store, kThreshold, "1.5");
    useVideoForWindows = ReadInt(store, kUseVideoForWindows, 1);
    raysPerPixel = ReadInt(store, kRaysPerPixel, 2);
    decimalInColorMap = ReadInt(store, kDecimalInColorMap, 0);
    decimalInColorPicker = ReadInt(store, kDecimalInColorPicker, 0);
    updateThumbnail = ReadInt(store, kUpdateThumbnail, 1);
    antialiasing = ReadInt(store, kAntialiasing, 0);
    displayMailingListDialog = ReadInt(store, kMailingList, 1);
    textureMapWidth = ReadInt(store, kMapWidth, 120);
    textureMapHeight = ReadInt(store, kMapHeight, 120);
    textureMapAspectRatio = ReadReal(store, kMapAspect, "1.0");
    textureMapUseAspectRatio = ReadInt(store, kMapUseAspect, 1);
    textureMapOverrideFinish = ReadInt(store, kMapOverride, 1);
    textureMapBrightness = ReadInt(store, kMapBrightness, 100);
    povCommandStyle = ReadInt(store, kCommandStyle, 0);
    parallelRenders = ReadInt(store, kParallelRenders, 4);
    store.endGroup();
}

void ProgramSettings::Save(QSettings& store) const {
    store.beginGroup(QLatin1String(kSection));
    store.setValue(QLatin1String(kProgramDirectory), programDirectory);
    store.setValue(QLatin1String(kPovExecutable), povExecutable);
    store.setValue(QLatin1String(kUseVideoForWindows), useVideoForWindows);
    store.setValue(QLatin1String(kThreshold), RealToSettingText(antialiasingThreshold));
    store.setValue(QLatin1String(kRaysPerPixel), raysPerPixel);
    store.setValue(QLatin1String(kDecimalInColorMap), decimalInColorMap);
    store.setValue(QLatin1String(kDecimalInColorPicker), decimalInColorPicker);
    store.setValue(QLatin1String(kUpdateThumbnail), updateThumbnail);
    store.setValue(QLatin1String(kAntialiasing), antialiasing);
    store.setValue(QLatin1String(kMailingList), displayMailingListDialog);
    store.setValue(QLatin1String(kMapWidth), textureMapWidth);
    store.setValue(QLatin1String(kMapHeight), textureMapHeight);
    store.setValue(QLatin1String(kMapAspect), RealToSettingText(textureMapAspectRatio));
    store.setValue(QLatin1String(kMapUseAspect), textureMapUseAspectRatio);
    store.setValue(QLatin1String(kMapOverride), textureMapOverrideFinish);
    store.setValue(QLatin1String(kMapBrightness), textureMapBrightness);
    store.setValue(QLatin1String(kCommandStyle), povCommandStyle);
    store.setValue(QLatin1String(kParallelRenders), parallelRenders);
    store.endGroup();
}

std::unique_ptr<QSettings> OpenSettingsStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velvane"),
                                       QStringLiteral("Velvane"));
}

QString DefaultProgramDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Velvane");
}

QString DefaultPovExecutable() { return QStandardPaths::findExecutable(QStringLiteral("povray")); }

QString ProgramSettings::EffectiveProgramDirectory() const {
    return programDirectory.isEmpty() ? DefaultProgramDirectory() : programDirectory;
}

QString ProgramSettings::EffectivePovExecutable() const {
    return povExecutable.isEmpty() ? DefaultPovExecutable() : povExecutable;
}

PovCommandStyle ProgramSettings::CommandStyle() const {
    switch (povCommandStyle) {
    case 1: return PovCommandStyle::Classic;
    case 2: return PovCommandStyle::Pov37;
    default: return PovCommandStyle::Automatic;
    }
}

PovCommandOptions ProgramSettings::CommandOptions() const {
    return {EffectivePovExecutable().toStdString(), antialiasing != 0, antialiasingThreshold, raysPerPixel};
}
