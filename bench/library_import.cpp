// Imports POV-Ray text as `velvane-cli import` does and measures what comes through: per file
// the declarations imported exactly, kept as POV-Ray text (source textures) and skipped (by
// reason), and every texture that landed rendered by the program's own scene and POV-Ray next
// to the original on the catalog's sphere scene (mean absolute difference of the pixels, in
// percent of full scale).
//
//   library_import [--library DIR] [--size PIXELS] [--jobs N] [--no-render] [--details FILE]
//                  [FILE.inc...]
//
// With no files it reads POV-Ray's own library; `bench/scenes/*.inc` are texts written in the
// styles people use. Each file is read after colors.inc, as a scene using it would. The aim:
// every declared texture, pigment and material lands, and each renders within 1 % of the
// original.

#include "core/bitmap/targaimage.h"
#include "core/model/texture.h"
#include "core/povray/povcommand.h"
#include "core/povtext/import/sourceimport.h"
#include "core/povtext/language/language.h"
#include "core/povtext/language/povlexer.h"
#include "core/shapes/builtinshapes.h"
#include "render/files/disksourcefiles.h"
#include "render/povray/povrayrunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kLibraryFiles[] = {"textures.inc", "stones.inc", "stoneold.inc",
                                     "woods.inc",    "metals.inc", "golds.inc",
                                     "glass.inc",    "skies.inc",  "stars.inc"};

constexpr char kTextureName[] = "Measured_Texture";
constexpr char kVersion[] = "#version 3.7;\r\n";

struct Settings {
    std::string library = kPovRayLibraryFolder;
    int size = 120;
    int jobs = 8;
    bool render = true;
    QString details;
    std::vector<std::string> files;
};

/// A reason without its numbers and places, to count reasons alike together.
std::string ReasonKind(const std::string& note) {
    std::string kind = std::regex_replace(note, std::regex(R"( \([^)]*:\d+\))"), "");
    kind = std::regex_replace(kind, std::regex(R"(-?\d+(\.\d+)?)"), "N");
    return std::regex_replace(kind, std::regex(R"(uses \w+ \S*, which was skipped: )"),
                              "uses a skipped declaration: ");
}

/// One picture to render: the texture include file and whether the scene takes a material.
struct Picture {
    std::string include;
    bool material = false;
    std::optional<std::vector<std::uint8_t>> pixels;
};

std::optional<std::vector<std::uint8_t>> Render(const Settings& settings, const QString& folder,
                                                const Picture& picture) {
    QDir().mkpath(folder);
    std::string scene = BuiltinShapes().front()->GetSceneSource(kTextureName);
    if (picture.material)
        scene = AsMaterialScene(std::move(scene), kTextureName);
    auto write = [&](const char* name, const std::string& text) {
        QFile file(folder + "/" + QString::fromUtf8(name));
        return file.open(QIODevice::WriteOnly) &&
               file.write(text.data(), static_cast<qint64>(text.size())) ==
                   static_cast<qint64>(text.size());
    };
    if (!write(kSceneFileName, scene) || !write(kTextureFileName, picture.include))
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

/// Renders every picture, `settings.jobs` POV-Ray processes at a time: they mostly wait.
void RenderAll(const Settings& settings, const QString& scratch, std::vector<Picture>& pictures) {
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (int j = 0; j < std::max(1, settings.jobs); ++j)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < pictures.size(); i = next++)
                pictures[i].pixels =
                    Render(settings, scratch + "/" + QString::number(i), pictures[i]);
        });
    for (std::thread& worker : workers)
        worker.join();
}

double MeanAbsoluteDifference(const std::vector<std::uint8_t>& a,
                              const std::vector<std::uint8_t>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += std::abs(int(a[i]) - int(b[i]));
    return a.empty() || a.size() != b.size()
               ? 100.0
               : 100.0 * sum / (255.0 * static_cast<double>(a.size()));
}

/// `text` without the objects, lights, camera and atmosphere a scene file places at its top
/// level, blanked so that every line keeps its number: what stays are the declarations, and
/// the original texture renders on the measuring scene alone.
std::string WithoutSceneObjects(std::string text) {
    using namespace PovLanguage;
    PovLexer lexer(text, 0);
    std::vector<std::pair<std::size_t, std::size_t>> placed;
    int depth = 0;
    bool afterEquals = false;
    // The blocks open where each directive began, and where its first branch left them: the
    // branches of an #if may open blocks that the text after its #end closes.
    struct Open {
        int depth;
        int afterFirst;
        bool macro;
    };
    std::vector<Open> directives;
    int macros = 0;
    try {
        for (PovToken token = lexer.Next(); token.kind != PovToken::End; token = lexer.Next()) {
            if (token.kind == PovToken::Directive) {
                const std::string& d = token.text;
                if (IsOneOf(d, {"if", "ifdef", "ifndef", "while", "for", "switch", "macro"})) {
                    directives.push_back({depth, -1, d == "macro"});
                    macros += d == "macro" ? 1 : 0;
                } else if ((d == "else" || d == "elseif") && !directives.empty()) {
                    if (directives.back().afterFirst < 0)
                        directives.back().afterFirst = depth;
                    depth = directives.back().depth;
                } else if (d == "end" && !directives.empty()) {
                    if (directives.back().afterFirst >= 0)
                        depth = directives.back().afterFirst;
                    macros -= directives.back().macro ? 1 : 0;
                    directives.pop_back();
                }
            }
            const bool object = (token.kind == PovToken::Word ||
                                 (token.kind == PovToken::Directive && token.text == "object")) &&
                                Is(token.text, kObject | kSceneItem) &&
                                token.text != "global_settings";
            // What a macro's text makes is its value.
            if (depth == 0 && macros == 0 && object && !afterEquals) {
                const std::size_t start = lexer.TokenStart();
                int inner = 0;
                for (PovToken t = lexer.Next(); t.kind != PovToken::End; t = lexer.Next()) {
                    inner += t.IsSymbol("{") ? 1 : t.IsSymbol("}") ? -1 : 0;
                    if (inner == 0 && t.IsSymbol("}"))
                        break;
                }
                placed.emplace_back(start, lexer.TokenEnd());
                continue;
            }
            depth += token.IsSymbol("{") ? 1 : token.IsSymbol("}") ? -1 : 0;
            afterEquals = token.IsSymbol("=");
        }
    } catch (const std::exception&) {
        return text;
    }
    for (const auto& [from, to] : placed)
        for (std::size_t i = from; i < to && i < text.size(); ++i)
            if (text[i] != '\n')
                text[i] = ' ';
    return text;
}

/// The line a "file:line" place names.
int LineOf(const std::string& where) {
    return std::atoi(where.c_str() + where.rfind(':') + 1);
}

/// `text` with `line` put before its line `before` (counted from 1).
std::string InsertedBefore(const std::string& text, int before, const std::string& line) {
    std::size_t at = 0;
    for (int n = 1; n < before; ++n) {
        at = text.find('\n', at);
        if (at == std::string::npos)
            return text;
        ++at;
    }
    return text.substr(0, at) + line + "\r\n" + text.substr(at);
}

struct Figures {
    int declarations = 0, exact = 0, source = 0, skipped = 0, approximated = 0;
    int within1 = 0, exactWithin1 = 0, rendered = 0, failedRenders = 0;
    double worst = 0.0;

    void Add(const Figures& f) {
        declarations += f.declarations;
        exact += f.exact;
        source += f.source;
        skipped += f.skipped;
        approximated += f.approximated;
        within1 += f.within1;
        exactWithin1 += f.exactWithin1;
        rendered += f.rendered;
        failedRenders += f.failedRenders;
        worst = std::max(worst, f.worst);
    }
};

double Percent(int part, int whole) {
    return 100.0 * part / std::max(1, whole);
}

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
        else if (a == "--jobs" && i + 1 < arguments.size())
            settings.jobs = arguments[++i].toInt();
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
    Figures total;
    std::string details;
    double importSeconds = 0.0;
    std::printf("%-22s %6s %6s %6s %6s %6s %9s %8s\n", "file", "decl", "exact", "source", "skip",
                "approx", "<=1 %", "worst %");
    for (const std::string& file : settings.files) {
        const std::string path =
            file.find('/') == std::string::npos ? settings.library + "/" + file : file;
        const std::vector<SourceInput> inputs = {{settings.library + "/colors.inc", std::nullopt},
                                                 {path, std::nullopt}};
        ImportOptions options;
        options.libraryFolder = settings.library;
        options.sourceFallback = true;
        QElapsedTimer clock;
        clock.start();
        const ImportResult result = ImportSource(inputs, options, disk);
        importSeconds += static_cast<double>(clock.nsecsElapsed()) / 1e9;
        ImportOptions approximate = options;
        approximate.approximate = true;
        const ImportResult approximated = ImportSource(inputs, approximate, disk);
        if (result.failure) {
            std::printf("%-22s cannot be read: %s\n", file.c_str(), result.failure->c_str());
            continue;
        }
        Figures figures;
        figures.declarations = static_cast<int>(result.declarations.size());
        figures.exact = result.Count(ImportOutcome::Imported);
        figures.source = result.Count(ImportOutcome::Source);
        figures.skipped = result.Count(ImportOutcome::Skipped);
        figures.approximated = approximated.Count(ImportOutcome::Approximated) +
                               approximated.Count(ImportOutcome::Imported);
        for (const ImportedDeclaration& declaration : result.declarations)
            if (declaration.outcome == ImportOutcome::Skipped) {
                ++reasons[ReasonKind(declaration.notes.front())];
                details += declaration.where + " " + declaration.name +
                           " skipped: " + declaration.notes.front() + "\n";
            }

        // Both sides are read as POV-Ray 3.7 text, as the program's scenes are: the library's
        // own "#version 3.5" would otherwise switch POV-Ray to the older gamma handling. Only a
        // file that starts in an older version keeps its own.
        std::vector<Picture> pictures;
        std::vector<const ImportedDeclaration*> landed;
        QFile read(QString::fromStdString(path));
        const std::string text = read.open(QIODevice::ReadOnly)
                                     ? WithoutSceneObjects(read.readAll().toStdString())
                                     : std::string();
        for (std::size_t d = 0; d < result.declarations.size(); ++d) {
            const ImportedDeclaration& declaration = result.declarations[d];
            if (!settings.render || !declaration.texture)
                continue;
            const bool material = declaration.kind == "material";
            // A pigment has no finish: it renders with POV-Ray's own, not one a #default in
            // the file set.
            const std::string use = declaration.kind == "pigment"
                                        ? "texture { pigment { " + declaration.name +
                                              " } finish { ambient 0.1 diffuse 0.6 } }"
                                    : material ? "material { " + declaration.name + " }"
                                               : "texture { " + declaration.name + " }";
            // A name declared again later is measured as it stands before the next declaration.
            std::string original = text;
            for (std::size_t later = d + 1; later < result.declarations.size(); ++later)
                if (result.declarations[later].name == declaration.name &&
                    declaration.where.starts_with(path + ":") &&
                    result.declarations[later].where.starts_with(path + ":") &&
                    LineOf(result.declarations[later].where) > LineOf(declaration.where)) {
                    original = InsertedBefore(text, LineOf(result.declarations[later].where),
                                              "#declare Measured_Original = " + use);
                    break;
                }
            const std::string reference = original == text ? use
                                          : material       ? "material { Measured_Original }"
                                                           : "texture { Measured_Original }";
            std::string include = std::string(kVersion) + "#include \"colors.inc\"\r\n";
            include += original;
            include += "\r\n#declare ";
            include += kTextureName;
            include += " = " + reference + "\r\n";
            pictures.push_back({std::move(include), material, std::nullopt});
            const Texture& texture = *declaration.texture;
            // A file that declares the older style renders so, as the program renders it.
            const bool older = declaration.sceneGamma == SceneGamma::Older;
            pictures.push_back({std::string(older ? "" : kVersion) + texture.GetRenderSource() +
                                    "\r\n#declare " + kTextureName + " = " +
                                    (texture.RendersAsMaterial() ? "material { " : "texture { ") +
                                    DeclaredIdentifier(texture.GetName()) + " }\r\n",
                                texture.RendersAsMaterial(), std::nullopt});
            landed.push_back(&declaration);
        }
        RenderAll(settings, scratch.path() + "/" + QString::fromStdString(file).section('/', -1),
                  pictures);
        for (std::size_t i = 0; i < landed.size(); ++i) {
            const ImportedDeclaration& declaration = *landed[i];
            const auto& a = pictures[2 * i].pixels;
            const auto& b = pictures[2 * i + 1].pixels;
            if (!a || !b) {
                ++figures.failedRenders;
                details += declaration.where + " " + declaration.name + " render failed (" +
                           (a ? "imported" : "original") + ")\n";
                continue;
            }
            const double difference = MeanAbsoluteDifference(*a, *b);
            ++figures.rendered;
            figures.worst = std::max(figures.worst, difference);
            const bool exact = declaration.outcome == ImportOutcome::Imported;
            if (difference <= 1.0) {
                ++figures.within1;
                figures.exactWithin1 += exact ? 1 : 0;
            }
            char line[64];
            std::snprintf(line, sizeof line, " %.3f %%", difference);
            details += declaration.where + " " + declaration.name + line +
                       (exact ? " exact" : " source") + "\n";
        }
        std::printf("%-22s %6d %6d %6d %6d %6d %9d %8.3f\n",
                    QString::fromStdString(file).section('/', -1).toUtf8().constData(),
                    figures.declarations, figures.exact, figures.source, figures.skipped,
                    figures.approximated, figures.within1, figures.worst);
        std::fflush(stdout);
        total.Add(figures);
    }
    const int all = total.declarations;
    std::printf("\n%d declarations: %d exact (%.1f %%), %d kept as POV-Ray text (%.1f %%), %d "
                "landed (%.1f %%), %d skipped; %d with approximations (%.1f %%)\n",
                all, total.exact, Percent(total.exact, all), total.source,
                Percent(total.source, all), total.exact + total.source,
                Percent(total.exact + total.source, all), total.skipped, total.approximated,
                Percent(total.approximated, all));
    if (settings.render)
        std::printf("rendered against the original: %d within 1 %% (%.1f %% of all declarations; "
                    "%d of them exact), worst %.3f %%, %d renders failed\n",
                    total.within1, Percent(total.within1, all), total.exactWithin1, total.worst,
                    total.failedRenders);
    std::printf("reading and mapping took %.3f s\n", importSeconds);
    if (!reasons.empty()) {
        std::printf("\nskipped, by reason:\n");
        for (const auto& [reason, count] : reasons)
            std::printf("%5d  %s\n", count, reason.c_str());
    }
    if (!settings.details.isEmpty()) {
        QFile file(settings.details);
        if (file.open(QIODevice::WriteOnly))
            file.write(details.data(), static_cast<qint64>(details.size()));
    }
    return 0;
}
