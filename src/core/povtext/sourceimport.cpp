#include "core/povtext/sourceimport.h"

#include "core/povtext/commentdescription.h"
#include "core/povtext/povlexer.h"
#include "core/povtext/sceneparser.h"
#include "core/povtext/sourceerror.h"
#include "core/povtext/texturemapper.h"

#include <algorithm>

int ImportResult::Count(ImportOutcome outcome) const {
    return static_cast<int>(
        std::count_if(declarations.begin(), declarations.end(),
                      [outcome](const ImportedDeclaration& d) { return d.outcome == outcome; }));
}

ImportResult ImportSource(const std::vector<SourceInput>& inputs, const ImportOptions& options,
                          SourceFiles& files) {
    ImportResult result;
    SceneParser parser(files, {options.includePaths, options.libraryFolder});
    try {
        for (const SourceInput& input : inputs)
            parser.Read(input.name, input.text);
    } catch (const SourceSyntaxError& error) {
        result.failure = parser.Describe(error.Where()) + ": " + error.what();
        return result;
    }

    auto noted = [&parser](const std::string& text, SourcePosition where,
                           SourcePosition declaration) {
        if (!where.IsKnown() || (where.file == declaration.file && where.line == declaration.line))
            return text;
        return text + " (" + parser.Describe(where) + ")";
    };
    TextureMapper mapper(options.approximate);
    for (const ReadDeclaration& read : parser.Declarations()) {
        ImportedDeclaration entry;
        entry.name = read.name;
        entry.where = parser.Describe(read.where);
        if (!read.value) {
            entry.notes.push_back(noted(read.refusal, read.refusalWhere, read.where));
            result.declarations.push_back(std::move(entry));
            continue;
        }
        entry.kind = KindName(*read.value);
        MappedTexture mapped = mapper.Map(*read.value, read.name, read.afterDefault);
        if (mapped.refusal) {
            entry.notes.push_back(noted(mapped.refusal->text, mapped.refusal->where, read.where));
        } else {
            entry.texture = std::move(mapped.texture);
            entry.texture->SetDescription(DescriptionFromComment(read.comment));
            entry.outcome = mapped.approximations.empty() ? ImportOutcome::Imported
                                                          : ImportOutcome::Approximated;
            for (const MappingNote& note : mapped.approximations)
                entry.notes.push_back(noted(note.text, note.where, read.where));
        }
        result.declarations.push_back(std::move(entry));
    }
    return result;
}

std::string SourceWords(std::string_view source) {
    std::string words;
    bool blank = false;
    for (char c : source) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !words.empty();
            continue;
        }
        if (blank)
            words += ' ';
        blank = false;
        words += c;
    }
    return words;
}

bool HoldsDeclaration(std::string_view text) {
    PovLexer lexer(text.substr(0, std::min(text.size(), kMaxSourceFileBytes)), 0);
    try {
        for (PovToken token = lexer.Next(); token.kind != PovToken::End; token = lexer.Next())
            if (token.Is(PovToken::Directive, "declare") || token.Is(PovToken::Directive, "local"))
                return true;
    } catch (const SourceSyntaxError&) {
    }
    return false;
}

std::string ReportLine(const ImportedDeclaration& declaration) {
    std::string notes;
    for (const std::string& note : declaration.notes)
        notes += (notes.empty() ? ": " : "; ") + note;
    switch (declaration.outcome) {
    case ImportOutcome::Imported:
        return declaration.where + ": imported " + declaration.name;
    case ImportOutcome::Approximated:
        return declaration.where + ": approximated " + declaration.name + notes;
    case ImportOutcome::Skipped:
        break;
    }
    return declaration.where + ": skipped " + declaration.name + notes;
}
