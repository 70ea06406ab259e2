#include "cli/importcommand.h"

#include "cli/catalogcommands.h"
#include "core/catalog/catalog.h"
#include "core/povtext/import/sourceimport.h"
#include "render/files/catalogfile.h"
#include "render/files/disksourcefiles.h"
#include "render/files/fileio.h"

#include <QFileInfo>
#include <cstdio>
#include <set>

int RunImport(CommandLine& args) {
    ImportOptions options;
    options.approximate = args.TakeFlag(QStringLiteral("--approximate"));
    options.asSource = args.TakeFlag(QStringLiteral("--as-source"));
    if (options.approximate && options.asSource)
        throw UsageError("--approximate and --as-source exclude each other");
    options.sourceFallback = true;
    for (const QString& folder : args.TakeValues(QStringLiteral("--include-path")))
        options.includePaths.push_back(folder.toStdString());
    const QStringList words =
        args.TakePositionalsWithMore({QStringLiteral("CATALOG"), QStringLiteral("FILE")});
    const QString& catalogPath = words.front();

    std::vector<SourceInput> inputs;
    for (qsizetype i = 1; i < words.size(); ++i)
        inputs.push_back({words[i].toStdString(), std::nullopt});

    // The catalog is read first, so a file that is no catalog is refused before anything else.
    Catalog catalog;
    const bool existed = QFileInfo::exists(catalogPath);
    const FileStamp stamp =
        existed ? LoadCatalogOrFail(catalogPath, catalog) : StampOf(catalogPath);

    DiskSourceFiles files;
    ImportResult result = ImportSource(inputs, options, files);
    if (result.failure)
        throw CommandFailure(EscapedForLine(*result.failure));

    std::set<std::string> taken;
    for (int i = 0; i < catalog.GetCount(); ++i)
        taken.insert(catalog.GetTexture(i).GetName());
    GiveFreeNames(result, std::move(taken));
    std::string report;
    int added = 0;
    for (ImportedDeclaration& declaration : result.declarations) {
        report += EscapedForLine(ReportLine(declaration)) + '\n';
        if (!declaration.renamed.empty())
            report += EscapedForLine(declaration.renamed) + '\n';
        if (declaration.texture) {
            catalog.AddTexture(std::move(declaration.texture));
            ++added;
        }
    }
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);

    if (added > 0 || !existed) {
        WriteOptions writeOptions;
        writeOptions.unchangedSince = stamp;
        const FileResult saved = SaveCatalogFile(catalogPath, catalog, writeOptions);
        if (!saved)
            throw CommandFailure(saved.message.toStdString());
    }
    // Files that were not given (a file that only includes others) or several: each is counted.
    std::vector<std::string> chosen;
    chosen.reserve(inputs.size());
    for (const SourceInput& input : inputs)
        chosen.push_back(input.name);
    const std::vector<FileCounts> perFile = CountsByFile(result, chosen);
    if (perFile.size() > 1 || (perFile.size() == 1 && perFile.front().file != inputs.front().name))
        for (const FileCounts& file : perFile)
            std::fprintf(stderr, "%s: %d exact, %d source, %d approximated, %d skipped\n",
                         EscapedForLine(file.file).c_str(), file.imported, file.source,
                         file.approximated, file.skipped);
    for (const std::string& note : SceneGammaNotes(result))
        std::fprintf(stderr, "%s\n", EscapedForLine(note).c_str());
    if (!result.fromLibrary.empty()) {
        std::string names;
        for (const std::string& name : result.fromLibrary)
            names += (names.empty() ? "" : ", ") + name;
        std::fprintf(stderr, "Taken from POV-Ray's include files: %s\n",
                     EscapedForLine(names).c_str());
    }
    std::fprintf(stderr, "%d exact, %d source, %d approximated, %d skipped; %s holds %s.\n",
                 result.Count(ImportOutcome::Imported), result.Count(ImportOutcome::Source),
                 result.Count(ImportOutcome::Approximated), result.Count(ImportOutcome::Skipped),
                 catalogPath.toLocal8Bit().constData(), TextureCount(catalog.GetCount()).c_str());
    return ExitOk;
}
