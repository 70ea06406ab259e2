// velvane-cli: headless work on Velvane catalogs for scripts and batch jobs.

#include "cli/catalogcommands.h"
#include "cli/commandline.h"
#include "cli/importcommand.h"
#include "cli/mergecommand.h"
#include "cli/outlinecommands.h"
#include "cli/rendercommands.h"
#include "render/settings/runtimedirnote.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Command = std::function<int(CommandLine&)>;

/// One command: its words as the usage shows them, what it does, and the code that runs it.
struct CommandEntry {
    const char* name;
    const char* usage;   ///< the command's words after "velvane-cli", one or more lines
    const char* summary; ///< one line
    Command run;
};

const std::vector<CommandEntry>& Commands() {
    static const std::vector<CommandEntry> commands = {
        {"list", "list CATALOG",
         "one line per texture: index, simple or layered, thumbnail size, name", RunList},
        {"source", "source CATALOG [-i N]... [--no-finish] [--no-normal]",
         "the POV-Ray source that exporting those textures would write", RunSource},
        {"export",
         "export CATALOG FILE [-i N]... [--no-finish] [--no-normal] [--append | --overwrite]",
         "writes that source to FILE", RunExport},
        {"resave", "resave CATALOG OUT", "reads the catalog and writes it again", RunResave},
        {"dump", "dump CATALOG", "every stored field of every texture as JSON", RunDump},
        {"render",
         "render CATALOG [-i N]... [--composite | --layers | --both] [--jobs N]\n"
         "       [--shard K/N] [--out PART.vlv]",
         "renders the thumbnails (all textures without -i) and saves the catalog; --out saves\n"
         "      them to a part file for merge instead, and --shard K/N renders only the textures\n"
         "      whose index (from 0) leaves K - 1 when divided by N",
         RunRender},
        {"merge", "merge CATALOG PART.vlv...",
         "takes the parts' thumbnails into the catalog, each where the texture renders as it did",
         RunMerge},
        {"texmap",
         "texmap CATALOG -i N --width W --height H [--tile none|edge-fade|mirror]\n"
         "       [--brightness B | --keep-finish] [--antialias] OUT.bmp",
         "renders a texture map as a W x H BMP file; --tile mirror makes it 2W x 2H",
         RunTextureMap},
        {"thumbnail", "thumbnail CATALOG -i N OUT",
         "writes a texture's thumbnail as PNG or BMP (by OUT's extension)", RunThumbnail},
        {"shapes", "shapes", "index, name and description of each preview shape", RunShapes},
        {"sheet", "sheet CATALOG OUT.png [--width PX]",
         "draws the catalog's grid as the catalog window shows it", RunSheet},
        {"import", "import CATALOG FILE... [--include-path DIR]... [--approximate | --as-source]",
         "adds the textures and pigments declared in POV-Ray source files to CATALOG", RunImport},
        {"outline", "outline CATALOG -i N [--json]",
         "the parts and properties of a source texture's text, with the path of each", RunOutline},
        {"set", "set CATALOG [-i N]... [--all] PATH=VALUE...",
         "changes source textures' properties by their outline paths and saves the catalog",
         RunSet},
    };
    return commands;
}

const char* const kRenderOptions =
    "The rendering commands take --pov PATH and --program-dir DIR in place of the settings, and\n"
    "--timeout SECONDS to end POV-Ray when a picture takes longer (0: no limit; without it the\n"
    "Render Time Limit setting, 120 unless chosen).\n";

/// A command's usage after `prefix`, its continuation lines indented as far as the prefix.
std::string Indented(const std::string& prefix, const char* usage) {
    std::string text = prefix + usage + "\n";
    const std::string indent(prefix.size(), ' ');
    for (std::size_t at = text.find('\n'); at + 1 < text.size(); at = text.find('\n', at + 1))
        text.insert(at + 1, indent);
    return text;
}

/// The usage of one command.
std::string CommandUsage(const CommandEntry& command) {
    return Indented("usage: velvane-cli ", command.usage);
}

/// Every command with its summary, and the options the rendering commands share.
std::string FullUsage() {
    std::string text = "usage: velvane-cli COMMAND ...\n\n";
    for (const CommandEntry& command : Commands())
        text += Indented("  ", command.usage) + "      " + command.summary + "\n";
    return text + "\n" + kRenderOptions + "--version prints the version of Velvane.\n";
}

const CommandEntry* FindCommand(const QString& name) {
    for (const CommandEntry& command : Commands())
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}

bool IsHelp(const QString& word) {
    return word == QLatin1String("--help") || word == QLatin1String("-h");
}

bool IsVersion(const QString& word) {
    return word == QLatin1String("--version");
}

} // namespace

int main(int argc, char* argv[]) {
    QuietenRuntimeDirNote();
    // Drawing a sheet needs fonts, which need a GUI application; without a display it draws
    // offscreen. Everything else runs on a plain core application.
    const bool drawing = argc > 1 && std::string_view(argv[1]) == "sheet";
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app = drawing
                                                ? std::make_unique<QGuiApplication>(argc, argv)
                                                : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Velvane"));
    QStringList arguments = QCoreApplication::arguments().mid(1);

    if (arguments.isEmpty() || IsHelp(arguments.first())) {
        std::fputs(FullUsage().c_str(), arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? ExitUsage : ExitOk;
    }
    if (IsVersion(arguments.first())) {
        std::puts("velvane-cli " VELVANE_VERSION);
        return ExitOk;
    }
    const QString name = arguments.takeFirst();
    const CommandEntry* command = FindCommand(name);
    if (!command) {
        std::fprintf(stderr,
                     "velvane-cli: unknown command %s\n"
                     "usage: velvane-cli COMMAND ... (velvane-cli --help lists the commands)\n",
                     name.toLocal8Bit().constData());
        return ExitUsage;
    }
    if (arguments.size() == 1 && IsHelp(arguments.first())) {
        std::printf("%s      %s\n", CommandUsage(*command).c_str(), command->summary);
        return ExitOk;
    }
    try {
        CommandLine args(arguments);
        return command->run(args);
    } catch (const UsageError& error) {
        // The mistake and how this one command is used; --help has the rest.
        std::fprintf(stderr, "velvane-cli: %s\n%s", error.what(), CommandUsage(*command).c_str());
        return ExitUsage;
    } catch (const CommandFailure& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return ExitFailed;
    }
}
