#pragma once

#include "core/model/sourcetexture.h"
#include "core/povtext/reading/sourcefiles.h"

#include <optional>
#include <string>
#include <string_view>

/// What stands in the way of a typed text, and where in it (counted from 1).
struct SourceEntryError {
    std::string message;
    int line = 1;
    int column = 1;
};

/// A typed text as a source texture keeps it, or why it cannot be kept.
struct TakenSource {
    /// The text to store: the typed text itself, or, when it used identifiers, the text the
    /// reader writes with them resolved. Empty on an error.
    std::string text;
    std::optional<SourceEntryError> error;
    /// Identifiers were resolved through the library's include files.
    bool resolved = false;

    bool Ok() const { return !error.has_value(); }
};

/// Whether the text uses identifiers, which only the library's include files resolve (slower).
bool UsesIdentifiers(std::string_view typed);

/// Reads a text the user typed as a value of `kind`: refused as the strict reading refuses it
/// (directives, objects, cameras, lights...), but identifiers from the library's include files
/// (found in `libraryFolder` through `files`) are resolved. Only a text that evaluates is
/// taken. Safe to run on any thread.
TakenSource TakeSourceText(std::string_view typed, SourceTexture::Kind kind, SourceFiles& files,
                           const std::string& libraryFolder = kPovRayLibraryFolder);
