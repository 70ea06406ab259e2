// Imports POV-Ray's own texture library and measures what comes through: per file the
// declarations imported exactly, approximated and skipped (by reason), and how the imported
// textures render against the originals on the catalog's sphere scene with the real POV-Ray
// (mean absolute difference of the pixels, in percent of full scale).
//
//   library_import [--library DIR] [--size PIXELS] [--no-render] [--details FILE] [FILE.inc...]
//
// Each file is read after colors.inc, as a scene using it would. The aim: every file reads, at
// least half of the declared textures import exactly and render within 1 %, and at least 90 %
// import with approximations.

#include "core/bitmap/targaimage.h"
#include "core/model/texture.h"
#include "core/povray/povcommand.h"
#include "core/povtext/sourceimport.h"
#include "core/shapes/builtinshapes.h"
#include "render/files/disksourcefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

const char* const kLibraryFiles[] = {"textures.inc", "stones1.inc", "stones2.inc", "stoneold.inc",
                                     "woods.inc",    "metals.inc",  "golds.inc",   "glass.inc",
                                     "skies.inc",    "stars.inc"};

constexpr char kTextureName[] = "Measured_Texture";
constexpr char kVersion[] = "#version 3.7;\r\n";

struct Settings {
    std::string library = kPovRayLibraryFolder;
    int size = 120;
    bool render = true;
    QString details;
    std::vector<std::string> files;
};

/// A skip reason without its numbers and places, to count reasons alike together.
std::string ReasonKind(const std::string& note) {
    std::string kind = std::regex_replace(note, std::regex(R"( \([^)]*:\d+\))"), "");
    kind = std::regex_replace(kind, std::regex(R"(-?\d+(\.\d+)?)"), "N");
    return std::regex_replace(kind, std::regex(R"(uses \w+ \S*, which was skipped: )"),
                              "uses a skipped declaration: ");
}

/// Renders the scene of the first preview shape with `include` as its texture file; the
/// pixels, or nothing when POV-Ray fails.
std::optional<std::vector<std::uint8_t>> Render(const Settings& settings, const QString& folder,
                                                const std::string& include, bool material) {
    QDir().mkpath(folder);
    std::string scene = BuiltinShapes().front()->GetSceneSource(kTextureName);
    if (material)
        scene =
            std::regex_replace(scene, std::regex(std::string("texture \\{") + kTextureName + "\\}"),
                               std::string("material {") + kTextureName + "}");
    auto write = [&](const char* name, const std::string& text) {
        QFile file(folder + "/" + QString::fromUtf8(name));
        return file.open(QIODevice::WriteOnly) &&
               file.write(text.data(), static_cast<qint64>(text.size())) ==
                   static_cast<qint64>(text.size());
    };
    if (!write(kSceneFileName, scene) || !write(kTextureFileName, include))
        return std::nullopt;
    PovCommandOptions options;
    options.executable = "povray";
    options.libraryPath = settings.library;
    const PovCommand command = BuildPovCommand(options, PovCommandStyle::Pov37, kOutputFileName,
                                               settings.size, settings.size);
    QProcess process;
    process.setWorkingDirectory(folder);
    QStringList arguments;
    for (const std::string& argument : command.arguments)
        arguments << QString::fromStdString(argument);
    process.start(QString::fromStdString(command.executable), arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return std::nullopt;
    QFile output(folder + "/" + kOutputFileName);
    if (!output.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = output.readAll();
    DecodedImage image;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    if (DecodeTargaImage({data, static_cast<std::size_t>(bytes.size())}, image) !=
        ImageDecodeStatus::Ok)
        return std::nullopt;
    return image.rows;
}

double MeanAbsoluteDifference(const std::vector<std::uint8_t>& a,
                              const std::vector<std::uint8_t>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += std::abs(int(a[i]) - int(b[i]));
    return a.empty() ? 100.0 : 100.0 * sum / (255.0 * static_cast<double>(a.size()));
}

struct FileFigures {
    int declarations = 0, textures = 0, exact = 0, approximated = 0, skipped = 0;
    int exactWithin1 = 0, rendered = 0, failedRenders = 0;
    double exactDifference = 0.0, approximatedDifference = 0.0;
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    Settings settings;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == "--library" && i + 1 < arguments.size())
            settings.library = arguments[++i].toStdString();
        else if (a == "--size" && i + 1 < arguments.size())
            settings.size = arguments[++i].toInt();
        else if (a == "--no-render")
            settings.render = false;
        else if (a == "--details" && i + 1 < arguments.size())
            settings.details = arguments[++i];
        else
            settings.files.push_back(a.toStdString());
    }
    if (settings.files.empty())
        for (const char* file : kLibraryFiles)
            settings.files.emplace_back(file);

    QTemporaryDir scratch;
    DiskSourceFiles disk;
    std::map<std::string, int> reasons;
    FileFigures total;
    std::string details;
    std::printf("%-14s %6s %6s %6s %6s %9s %12s %12s\n", "file", "decl", "exact", "approx", "skip",
                "exact<=1%", "exact MAD %", "approx MAD %");
    for (const std::string& file : settings.files) {
        const std::vector<SourceInput> inputs = {
            {settings.library + "/colors.inc", std::nullopt},
            {file.find('/') == std::string::npos ? settings.library + "/" + file : file,
             std::nullopt}};
        ImportOptions exactOptions;
        exactOptions.libraryFolder = settings.library;
        ImportOptions approximateOptions = exactOptions;
        approximateOptions.approximate = true;
        const ImportResult exact = ImportSource(inputs, exactOptions, disk);
        ImportResult approximate = ImportSource(inputs, approximateOptions, disk);
        if (exact.failure) {
            std::printf("%-14s cannot be read: %s\n", file.c_str(), exact.failure->c_str());
            continue;
        }
        FileFigures figures;
        figures.declarations = static_cast<int>(exact.declarations.size());
        figures.exact = exact.Count(ImportOutcome::Imported);
        figures.approximated = approximate.Count(ImportOutcome::Approximated);
        figures.skipped = exact.Count(ImportOutcome::Skipped);
        for (const ImportedDeclaration& declaration : exact.declarations) {
            if (declaration.kind != "material")
                ++figures.textures;
            if (declaration.outcome == ImportOutcome::Skipped)
                ++reasons[ReasonKind(declaration.notes.front())];
        }

        int approximatedRendered = 0;
        for (std::size_t i = 0; settings.render && i < approximate.declarations.size(); ++i) {
            const ImportedDeclaration& declaration = approximate.declarations[i];
            if (!declaration.texture)
                continue;
            const bool material = declaration.kind == "material";
            const std::string use = declaration.kind == "pigment"
                                        ? "texture { pigment { " + declaration.name + " } }"
                                    : material ? "material { " + declaration.name + " }"
                                               : "texture { " + declaration.name + " }";
            // Both sides are read as POV-Ray 3.7 text, as the program's scenes are: the library's
            // own "#version 3.5" would otherwise switch POV-Ray to the older gamma handling.
            const std::string original = std::string(kVersion) +
                                         "#include \"colors.inc\"\r\n#include \"" + inputs[1].name +
                                         "\"\r\n#declare " + kTextureName + " = " + use + "\r\n";
            const std::string imported = std::string(kVersion) +
                                         declaration.texture->GetSource(SourceFlag::Declare) +
                                         "\r\n#declare " + kTextureName + " = texture { " +
                                         DeclaredIdentifier(declaration.name) + " }\r\n";
            const QString base = scratch.path() + "/" + QString::number(i);
            const auto a = Render(settings, base + "a", original, material);
            const auto b = Render(settings, base + "b", imported, false);
            if (!a || !b) {
                ++figures.failedRenders;
                details += declaration.where + " " + declaration.name + " render failed\n";
                continue;
            }
            const double difference = MeanAbsoluteDifference(*a, *b);
            ++figures.rendered;
            if (declaration.outcome == ImportOutcome::Imported) {
                figures.exactDifference += difference;
                if (difference <= 1.0)
                    ++figures.exactWithin1;
            } else {
                figures.approximatedDifference += difference;
                ++approximatedRendered;
            }
            char line[64];
            std::snprintf(line, sizeof line, " %.3f %%", difference);
            details +=
                declaration.where + " " + declaration.name + line +
                (declaration.outcome == ImportOutcome::Imported ? " exact" : " approximated") +
                "\n";
        }
        std::printf("%-14s %6d %6d %6d %6d %9d %12.3f %12.3f\n", file.c_str(), figures.declarations,
                    figures.exact, figures.approximated, figures.skipped, figures.exactWithin1,
                    figures.exact ? figures.exactDifference / figures.exact : 0.0,
                    approximatedRendered ? figures.approximatedDifference / approximatedRendered
                                         : 0.0);
        std::fflush(stdout);
        total.declarations += figures.declarations;
        total.textures += figures.textures;
        total.exact += figures.exact;
        total.approximated += figures.approximated;
        total.skipped += figures.skipped;
        total.exactWithin1 += figures.exactWithin1;
        total.failedRenders += figures.failedRenders;
    }
    const double all = std::max(1, total.declarations);
    std::printf("\n%d declarations: %d exact (%.1f %%), %d exact and within 1 %% (%.1f %%), "
                "%d with approximations (%.1f %%), %d renders failed\n",
                total.declarations, total.exact, 100.0 * total.exact / all, total.exactWithin1,
                100.0 * total.exactWithin1 / all, total.exact + total.approximated,
                100.0 * (total.exact + total.approximated) / all, total.failedRenders);
    // The aim speaks of declared textures (and pigments, which become textures); a material
    // holds an interior as well and never imports exactly.
    std::printf("%d declared textures and pigments: %d exact and within 1 %% (%.1f %%)\n",
                total.textures, total.exactWithin1,
                100.0 * total.exactWithin1 / std::max(1, total.textures));
    std::printf("\nskipped without --approximate, by reason:\n");
    for (const auto& [reason, count] : reasons)
        std::printf("%5d  %s\n", count, reason.c_str());
    if (!settings.details.isEmpty()) {
        QFile file(settings.details);
        if (file.open(QIODevice::WriteOnly))
            file.write(details.data(), static_cast<qint64>(details.size()));
    }
    return 0;
}
