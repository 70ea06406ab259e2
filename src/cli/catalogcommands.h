#pragma once

#include "cli/commandline.h"
#include "render/files/fileio.h"

#include <string>
#include <string_view>

class Catalog;

/// "1 texture", "3 textures".
std::string TextureCount(long long count);

/// Reads a catalog file or throws CommandFailure with the program's message. Bytes after the
/// end of the catalog are mentioned on stderr. Returns the file's stamp from before the read,
/// so a later save can tell whether another program changed the file meanwhile.
FileStamp LoadCatalogOrFail(const QString& path, Catalog& catalog);
/// The text with backslashes, tabs, line breaks and other control characters written as
/// escapes (\\, \t, \n, \r, \xNN), and C1 controls and bidirectional overrides as \uNNNN,
/// so it stays on one line of output and shows as it is.
std::string EscapedForLine(std::string_view text);
/// Checks that every index names a texture of the catalog; no indices means all of them.
std::vector<int> ResolveIndices(const Catalog& catalog, std::vector<int> indices);
/// The one index of a command that takes exactly one "-i N", checked as above.
int SingleIndex(const Catalog& catalog, std::vector<int> indices);

int RunList(CommandLine& args);
int RunSource(CommandLine& args);
int RunExport(CommandLine& args);
int RunResave(CommandLine& args);
int RunDump(CommandLine& args);
