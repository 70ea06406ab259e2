// Feeds arbitrary text to the POV-Ray source reader: the input, split at its first two zero
// bytes, is a main file and two files it may include. Reading must end with a failure or
// declarations, never a crash; and whatever is imported must write source that imports back to
// the same source (whitespace aside).

#include "core/model/texture.h"
#include "core/povtext/import/sourceimport.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    MemorySourceFiles files;
    std::size_t start = 0;
    const char* const names[] = {"main.pov", "/lib/a.inc", "/lib/b.inc"};
    for (const char* name : names) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        files.files[name] = input.substr(start, end - start);
        start = std::min(end + 1, input.size());
    }
    ImportOptions options;
    options.libraryFolder = "/lib";
    options.approximate = size % 2 == 1;
    const ImportResult result = ImportSource({{"main.pov", std::nullopt}}, options, files);
    if (result.failure)
        return 0;
    for (const ImportedDeclaration& declaration : result.declarations) {
        // A refused texture (a layered one POV-Ray cannot take) is written as a comment only.
        if (!declaration.texture || !declaration.texture->GetRefusal().empty())
            continue;
        const std::string written = declaration.texture->GetSource(SourceFlag::Declare);
        MemorySourceFiles again;
        const ImportResult back = ImportSource({{"written.inc", written}}, ImportOptions{}, again);
        if (back.failure || back.declarations.size() != 1 || !back.declarations[0].texture ||
            back.declarations[0].outcome != ImportOutcome::Imported ||
            SourceWords(back.declarations[0].texture->GetSource(SourceFlag::Declare)) !=
                SourceWords(written))
            std::abort();
    }
    return 0;
}
