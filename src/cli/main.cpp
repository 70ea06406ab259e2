// velvane-cli: headless work on Velvane catalogs for scripts and batch jobs.

#include "cli/catalogcommands.h"
#include "cli/commandline.h"
#include "cli/importcommand.h"
#include "cli/rendercommands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string_view>

namespace {

const char* const kUsage =
    "usage: velvane-cli COMMAND ...\n"
    "\n"
    "  list CATALOG\n"
    "      one line per texture: index, simple or layered, thumbnail size, name\n"
    "  source CATALOG [-i N]... [--no-finish] [--no-normal]\n"
    "      the POV-Ray source that exporting those textures would write\n"
    "  export CATALOG FILE [-i N]... [--no-finish] [--no-normal] [--append | --overwrite]\n"
    "      writes that source to FILE\n"
    "  resave CATALOG OUT\n"
    "      reads the catalog and writes it again\n"
    "  dump CATALOG\n"
    "      every stored field of every texture as JSON\n"
    "  render CATALOG [-i N]... [--composite | --layers | --both] [--jobs N]\n"
    "      renders the thumbnails (all textures without -i) and saves the catalog\n"
    "  texmap CATALOG -i N --width W --height H [--tile none|edge-fade|mirror]\n"
    "         [--brightness B | --keep-finish] [--antialias] OUT.bmp\n"
    "      renders a texture map and writes it as a BMP file\n"
    "  thumbnail CATALOG -i N OUT\n"
    "      writes a texture's thumbnail as PNG or BMP (by OUT's extension)\n"
    "  shapes\n"
    "      index, name and description of each preview shape\n"
    "  sheet CATALOG OUT.png [--width PX]\n"
    "      draws the catalog's grid as the catalog window shows it\n"
    "  import CATALOG FILE... [--include-path DIR]... [--approximate]\n"
    "      adds the textures and pigments declared in POV-Ray source files to CATALOG\n"
    "      (made when missing); one line per declaration: imported, approximated, skipped\n"
    "\n"
    "The rendering commands take --pov PATH and --program-dir DIR in place of the settings, and\n"
    "--timeout SECONDS to end POV-Ray when a render takes longer (0: no limit).\n";

using Command = std::function<int(CommandLine&)>;

const std::map<QString, Command>& Commands() {
    static const std::map<QString, Command> commands = {
        {QStringLiteral("list"), RunList},         {QStringLiteral("source"), RunSource},
        {QStringLiteral("export"), RunExport},     {QStringLiteral("resave"), RunResave},
        {QStringLiteral("dump"), RunDump},         {QStringLiteral("render"), RunRender},
        {QStringLiteral("texmap"), RunTextureMap}, {QStringLiteral("thumbnail"), RunThumbnail},
        {QStringLiteral("shapes"), RunShapes},     {QStringLiteral("sheet"), RunSheet},
        {QStringLiteral("import"), RunImport},
    };
    return commands;
}

} // namespace

int main(int argc, char* argv[]) {
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

    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help") ||
        arguments.first() == QLatin1String("-h")) {
        std::fputs(kUsage, arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? ExitUsage : ExitOk;
    }
    const auto command = Commands().find(arguments.takeFirst());
    if (command == Commands().end()) {
        std::fprintf(stderr, "velvane-cli: unknown command\n%s", kUsage);
        return ExitUsage;
    }
    try {
        CommandLine args(arguments);
        return command->second(args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "velvane-cli: %s\n%s", error.what(), kUsage);
        return ExitUsage;
    } catch (const CommandFailure& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return ExitFailed;
    }
}
