#pragma once

#include "core/povtext/import/sourceimport.h"
#include "core/povtext/reading/povvalues.h"
#include "core/povtext/reading/sceneparser.h"

#include <optional>
#include <string>
#include <vector>

using MemoryFiles = MemorySourceFiles;

/// POV-Ray's include files (and any other), read from disk.
class LibraryFiles : public SourceFiles {
public:
    std::optional<std::string> Read(const std::string& path, std::string& error) override;
    bool Exists(const std::string& path) override;
};

/// The texts POV-Ray's library files keep as source textures, each file read after colors.inc
/// as a scene using it would, with the files of `extra` read the same way.
std::vector<std::string> LibraryTextsAsSource(const std::vector<std::string>& extra = {});

/// Imports `text` as the file "main.pov" (with the files in `files` to include).
ImportResult ImportText(const std::string& text, bool approximate = false,
                        MemoryFiles files = MemoryFiles());
/// The report lines of importing `text` as "main.pov", one per declaration, or the failure
/// as "failure: MESSAGE".
std::vector<std::string> ReportLines(const std::string& text, bool approximate = false,
                                     MemoryFiles files = MemoryFiles());
/// The source the only imported texture of `result` writes, "#declare" and all.
std::string SourceOfOnly(const ImportResult& result);
/// The text with every CR LF made LF, for expected texts written readably.
std::string Lf(const std::string& text);
/// `piece` written `times` times in a row.
std::string Repeated(const std::string& piece, std::size_t times);
/// The number declared as `name` after reading `text`.
PovNumber DeclaredNumber(const std::string& text, const std::string& name);
