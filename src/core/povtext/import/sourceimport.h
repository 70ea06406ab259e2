#pragma once

#include "core/model/texture.h"
#include "core/povtext/reading/importbudget.h"
#include "core/povtext/reading/sourcefiles.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// One text to import: a file, or a text at hand (pasted from the clipboard) with a name to
/// show in messages.
struct SourceInput {
    std::string name;
    std::optional<std::string> text;
};

struct ImportOptions {
    /// Folders searched for #include files after the including file's own folder.
    std::vector<std::string> includePaths;
    /// Searched last: POV-Ray's own include files.
    std::string libraryFolder = kPovRayLibraryFolder;
    /// Map what the texture model cannot hold to the nearest it can, listing each step,
    /// instead of skipping the declaration.
    bool approximate = false;
    /// Keep every declaration as a source texture, as POV-Ray text.
    bool asSource = false;
    /// Keep what the texture model cannot hold exactly as a source texture instead of skipping
    /// it (unless `approximate` is set).
    bool sourceFallback = false;
    ImportLimits limits;
    /// Where an import run on another thread reports how far it has come and learns that it
    /// is to stop; may be null.
    ImportProgress* progress = nullptr;
};

enum class ImportOutcome { Imported, Approximated, Skipped, Source };

/// A declared texture, pigment or material and what became of it.
struct ImportedDeclaration {
    std::string name;
    std::string where; ///< "file:line" of the declaration
    std::string file;  ///< the file it was declared in
    /// "texture", "pigment" or "material"; empty when the declaration could not be evaluated.
    std::string kind;
    ImportOutcome outcome = ImportOutcome::Skipped;
    /// The approximations made, or the reason it was skipped, each with its "file:line".
    std::vector<std::string> notes;
    std::unique_ptr<Texture> texture; ///< null when skipped
    /// "FILE:LINE: NAME is already in the catalog; it is named NAME_2" when the texture was
    /// given a free name.
    std::string renamed;
    /// The scene gamma the file read declares, which the texture's thumbnail and Preview take
    /// (see Texture::GetDeclaredGamma); unset when it declares none.
    std::optional<SceneGamma> sceneGamma;
};

struct ImportResult {
    /// Set when a file cannot be read or parsed, or a limit is passed ("file:line: message");
    /// nothing is imported.
    std::optional<std::string> failure;
    /// Set when the import was cancelled; nothing is imported.
    bool cancelled = false;
    std::vector<ImportedDeclaration> declarations;
    /// The identifiers the files use without declaring them that POV-Ray's standard include
    /// files gave, as "White from colors.inc".
    std::vector<std::string> fromLibrary;
    /// The files read that declare a scene gamma, with the one each declares.
    std::vector<std::pair<std::string, SceneGamma>> sceneGammas;

    int Count(ImportOutcome outcome) const;
};

/// Gives each imported texture whose name is in `taken`, or was given to one before it, the
/// first free name of NAME_2, NAME_3, ..., and says so in its `renamed`.
void GiveFreeNames(ImportResult& result, std::set<std::string> taken);

/// What came of the declarations of one file.
struct FileCounts {
    std::string file;
    int imported = 0, source = 0, approximated = 0, skipped = 0;
};

/// For each file that declares a scene gamma: "FILE: thumbnails and Preview as POV-Ray 3.7
/// scenes: assumed_gamma 1.0, as the file declares" (or "as older scenes").
std::vector<std::string> SceneGammaNotes(const ImportResult& result);

/// The counts per file: each of the files `chosen` first, as given (also one that declared
/// nothing), then the other files declarations came from, in the order they were met.
std::vector<FileCounts> CountsByFile(const ImportResult& result,
                                     const std::vector<std::string>& chosen = {});

/// Reads the inputs in order as one scene (each sees what the ones before declared) and turns
/// every texture, pigment and material they declare, in file order, into a texture named after
/// its identifier, with the comment lines directly above the declaration as its description.
/// Declarations in files they include are used but not imported. Whatever passes one of
/// `options.limits` fails the import. Safe to run on any thread, one import per call.
ImportResult ImportSource(const std::vector<SourceInput>& inputs, const ImportOptions& options,
                          SourceFiles& files);

/// The source with every run of white space made one blank and none at either end: sources
/// are the same, whitespace aside, when these are equal.
std::string SourceWords(std::string_view source);

/// Whether `text` declares anything (a "#declare" or "#local" outside comments and strings)
/// before anything in it that is no POV-Ray text at all: the cheap test of whether a text at hand
/// (on the clipboard, dropped) is worth importing. Reads no further than the first declaration,
/// nor past the first megabyte.
bool HoldsDeclaration(std::string_view text);

/// The report line of a declaration: "FILE:LINE: imported NAME", "FILE:LINE: approximated
/// NAME: NOTES", "FILE:LINE: source NAME" (with why the model could not hold it, when it was
/// tried) or "FILE:LINE: skipped NAME: REASON".
std::string ReportLine(const ImportedDeclaration& declaration);
