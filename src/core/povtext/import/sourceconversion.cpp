#include "core/povtext/import/sourceconversion.h"

#include "core/povtext/import/sourceimport.h"
#include "core/povtext/reading/strictsource.h"

SourceConversion ConvertToEditable(const SourceTexture& source) {
    SourceConversion conversion;
    if (auto refusal = StrictSourceRefusal(source.GetText(), source.GetKind())) {
        conversion.reason = "its text is refused: " + *refusal;
        return conversion;
    }
    // The text is self-contained: it reads no file, the library's included.
    MemorySourceFiles files;
    ImportOptions options;
    options.libraryFolder.clear();
    // Declared on the text's first line, so the lines the importer names are the text's own.
    const std::string input = "source text";
    const ImportResult result = ImportSource(
        {{input, "#declare Converted_Texture = " + source.GetText() + "\n"}}, options, files);
    const auto inLines = [&input](std::string note) {
        const std::string place = "(" + input + ":";
        for (auto at = note.find(place); at != std::string::npos; at = note.find(place, at))
            note.replace(at, place.size(), "(line ");
        return note;
    };
    if (result.failure) {
        conversion.reason = inLines(*result.failure);
        return conversion;
    }
    if (result.declarations.size() != 1) {
        conversion.reason = "it is no texture the editors can hold";
        return conversion;
    }
    const ImportedDeclaration& declaration = result.declarations.front();
    if (declaration.outcome != ImportOutcome::Imported || !declaration.texture) {
        for (const std::string& note : declaration.notes)
            conversion.reason += (conversion.reason.empty() ? "" : "; ") + inLines(note);
        if (conversion.reason.empty())
            conversion.reason = "it is no texture the editors can hold";
        return conversion;
    }
    conversion.texture = declaration.texture->Clone();
    conversion.texture->SetName(source.GetName());
    conversion.texture->SetDescription(source.GetDescription());
    conversion.texture->SetPreviewShape(source.GetPreviewShape());
    conversion.texture->Thumbnail() = source.Thumbnail();
    return conversion;
}
