// velvane-cli: headless work on Velvane catalogs for scripts and batch jobs.

#include "catalogcommands.h"
#include "commandline.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>

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
    "      every stored field of every texture as JSON\n";

using Command = std::function<int(CommandLine&)>;

const std::map<QString, Command>& Commands() {
    static const std::map<QString, Command> commands = {
        {QStringLiteral("list"), RunList},     {QStringLiteral("source"), RunSource},
        {QStringLiteral("export"), RunExport}, {QStringLiteral("resave"), RunResave},
        {QStringLiteral("dump"), RunDump},
    };
    return commands;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
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
