#pragma once

#include "commandline.h"

class CUlvorDoc;

/// Reads a catalog file or throws CommandFailure with the program's message.
void LoadCatalogOrFail(const QString& path, CUlvorDoc& catalog);
/// Checks that every index names a texture of the catalog; no indices means all of them.
std::vector<int> ResolveIndices(const CUlvorDoc& catalog, std::vector<int> indices);

int RunList(CommandLine& args);
int RunSource(CommandLine& args);
int RunExport(CommandLine& args);
int RunResave(CommandLine& args);
int RunDump(CommandLine& args);
