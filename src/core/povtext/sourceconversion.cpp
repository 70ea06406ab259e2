#include "core/povtext/sourceconversion.h"

#include "core/povtext/sourceimport.h"
#include "core/povtext/strictsource.h"

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
    const std::string name = "Converted_Texture";
    const ImportResult result = ImportSource(
        {{"text", "#declare " + name + " =\n" + source.GetText() + "\n"}}, options, files);
    if (result.failure) {
        conversion.reason = *result.failure;
        return conversion;
    }
    if (result.declarations.size() != 1) {
        conversion.reason = "it is no texture the editors can hold";
        return conversion;
    }
    const ImportedDeclaration& declaration = result.declarations.front();
    if (declaration.outcome != ImportOutcome::Imported || !declaration.texture) {
        for (const std::string& note : declaration.notes)
            conversion.reason += (conversion.reason.empty() ? "" : "; ") + note;
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
