#pragma once

#include "cli/commandline.h"

class Catalog;

/// Reads a catalog file or throws CommandFailure with the program's message.
void LoadCatalogOrFail(const QString& path, Catalog& catalog);
/// Checks that every index names a texture of the catalog; no indices means all of them.
std::vector<int> ResolveIndices(const Catalog& catalog, std::vector<int> indices);

int RunList(CommandLine& args);
int RunSource(CommandLine& args);
int RunExport(CommandLine& args);
int RunResave(CommandLine& args);
int RunDump(CommandLine& args);
