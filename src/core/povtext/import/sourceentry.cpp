#include "core/povtext/import/sourceentry.h"

#include "core/povtext/language/language.h"
#include "core/povtext/language/povlexer.h"
#include "core/povtext/language/sourceerror.h"
#include "core/povtext/reading/sceneparser.h"
#include "core/povtext/reading/sourcewriter.h"
#include "core/povtext/reading/strictsource.h"

#include <algorithm>
#include <exception>

namespace {

/// The name the typed text is declared under while it is read.
constexpr char kTypedName[] = "Velvane_Typed_Text";

SourceEntryError ErrorAt(std::string message, SourcePosition where) {
    return {std::move(message), std::max(where.line, 1), std::max(where.column, 1)};
}

TakenSource Refused(SourceEntryError error) {
    TakenSource taken;
    taken.error = std::move(error);
    return taken;
}

/// Reads the typed text as the last lines of a scene that first includes `includes`, and
/// returns the declaration made of it, written out, or the error placed in the typed text.
TakenSource Evaluated(std::string_view typed, SourceTexture::Kind kind, SourceFiles& files,
                      const std::string& libraryFolder, bool withLibrary) {
    std::string scene;
    int linesBefore = 0;
    if (withLibrary)
        for (const char* include : kStandardIncludeFiles) {
            scene += std::string("#include \"") + include + "\"\n";
            ++linesBefore;
        }
    scene += std::string("#declare ") + kTypedName + " =\n";
    ++linesBefore;
    scene += typed;
    scene += '\n';

    // The typed text is the scene's first file; a place in it is a place in the typed text.
    const auto inTyped = [linesBefore](SourcePosition where) {
        if (where.file == 0 && where.line > linesBefore)
            return SourcePosition{0, where.line - linesBefore, where.column};
        return SourcePosition{0, 1, 1};
    };
    SceneParser parser(files, {{}, libraryFolder});
    try {
        parser.Read("typed text", scene);
    } catch (const SourceSyntaxError& error) {
        return Refused(ErrorAt(error.what(), inTyped(error.Where())));
    } catch (const std::exception& error) {
        return Refused(ErrorAt(error.what(), {0, 1, 1}));
    }
    const auto& declarations = parser.Declarations();
    const auto found =
        std::find_if(declarations.begin(), declarations.end(),
                     [](const ReadDeclaration& read) { return read.name == kTypedName; });
    if (found == declarations.end())
        return Refused(ErrorAt("it is no " + std::string(SourceKindName(kind)), {0, 1, 1}));
    if (!found->value)
        return Refused(ErrorAt(found->refusal, inTyped(found->refusalWhere)));
    if (!found->source || !found->source->refusal.empty())
        return Refused(ErrorAt(found->source ? found->source->refusal : "it cannot be written out",
                               {0, 1, 1}));
    TakenSource taken;
    taken.resolved = withLibrary;
    taken.text = withLibrary ? SourceWriter::Format(found->source->tokens) : std::string(typed);
    return taken;
}

} // namespace

bool UsesIdentifiers(std::string_view typed) {
    try {
        PovLexer lexer(typed, 0);
        for (PovToken token = lexer.Next(); token.kind != PovToken::End; token = lexer.Next())
            if (token.kind == PovToken::Word && !IsPovRayReservedWord(token.text))
                return true;
    } catch (const SourceSyntaxError&) {
    }
    return false;
}

TakenSource TakeSourceText(std::string_view typed, SourceTexture::Kind kind, SourceFiles& files,
                           const std::string& libraryFolder) {
    // The strict reading first: nothing it refuses (a directive above all) is ever carried out.
    if (auto refusal = StrictSourceRefusalAt(typed, kind, true))
        return Refused(ErrorAt(refusal->reason, refusal->where));
    const bool withLibrary = UsesIdentifiers(typed);
    TakenSource taken = Evaluated(typed, kind, files, libraryFolder, withLibrary);
    if (!taken.Ok())
        return taken;
    // What the identifiers stood for must itself be texture language.
    if (auto refusal = StrictSourceRefusal(taken.text, kind))
        return Refused(
            ErrorAt("what its identifiers stand for is refused: " + *refusal, {0, 1, 1}));
    return taken;
}
