#include "core/povtext/import/sourceimport.h"

#include "core/model/layeredtexture.h"
#include "core/povtext/import/commentdescription.h"
#include "core/povtext/language/povlexer.h"
#include "core/povtext/language/sourceerror.h"
#include "core/povtext/mapping/texturemapper.h"
#include "core/povtext/reading/sceneparser.h"
#include "core/povtext/reading/strictsource.h"
#include "core/shapes/surroundings.h"

#include <algorithm>

int ImportResult::Count(ImportOutcome outcome) const {
    return static_cast<int>(
        std::count_if(declarations.begin(), declarations.end(),
                      [outcome](const ImportedDeclaration& d) { return d.outcome == outcome; }));
}

void GiveFreeNames(ImportResult& result, std::set<std::string> taken) {
    for (ImportedDeclaration& declaration : result.declarations) {
        if (!declaration.texture)
            continue;
        std::string name = declaration.texture->GetName();
        for (int n = 2; taken.contains(name); ++n)
            name = declaration.texture->GetName() + '_' + std::to_string(n);
        if (name != declaration.texture->GetName()) {
            declaration.renamed = declaration.where + ": " + declaration.texture->GetName() +
                                  " is already in the catalog; it is named " + name;
            declaration.texture->SetName(name);
        }
        taken.insert(std::move(name));
    }
}

std::vector<std::string> SceneGammaNotes(const ImportResult& result) {
    std::vector<std::string> notes;
    for (const auto& [file, gamma] : result.sceneGammas)
        notes.push_back(file + ": thumbnails and Preview " + std::string(SceneGammaName(gamma)) +
                        ", as the file declares");
    return notes;
}

std::vector<FileCounts> CountsByFile(const ImportResult& result,
                                     const std::vector<std::string>& chosen) {
    std::vector<FileCounts> counts;
    counts.reserve(chosen.size());
    for (const std::string& file : chosen)
        counts.push_back(FileCounts{file});
    for (const ImportedDeclaration& declaration : result.declarations) {
        const std::string path = SamePathForm(declaration.file);
        auto file = std::find_if(counts.begin(), counts.end(),
                                 [&](const FileCounts& c) { return SamePathForm(c.file) == path; });
        if (file == counts.end())
            file = counts.insert(counts.end(), FileCounts{declaration.file});
        switch (declaration.outcome) {
        case ImportOutcome::Imported:
            ++file->imported;
            break;
        case ImportOutcome::Source:
            ++file->source;
            break;
        case ImportOutcome::Approximated:
            ++file->approximated;
            break;
        case ImportOutcome::Skipped:
            ++file->skipped;
            break;
        }
    }
    return counts;
}

namespace {

/// Reading takes most of an import's time, turning what was read into textures the rest.
constexpr double kReadShare = 0.8;

/// The declaration as a source texture, or why it cannot be one.
std::unique_ptr<SourceTexture> AsSource(const ReadDeclaration& read, std::string& reason) {
    const std::string kind = KindName(*read.value);
    SourceTexture::Kind sourceKind = SourceTexture::TextureKind;
    if (kind == "pigment")
        sourceKind = SourceTexture::PigmentKind;
    else if (kind == "material")
        sourceKind = SourceTexture::MaterialKind;
    else if (kind != "texture") {
        reason = "a " + kind + " is not a texture";
        return nullptr;
    }
    if (!read.source || !read.source->refusal.empty()) {
        reason = read.source ? read.source->refusal : "its text was not kept";
        return nullptr;
    }
    auto texture = std::make_unique<SourceTexture>();
    texture->SetName(read.name);
    texture->SetKind(sourceKind);
    texture->SetText(SourceWriter::Format(read.source->tokens));
    if (auto refusal = StrictSourceRefusal(texture->GetText(), sourceKind)) {
        reason = *refusal;
        return nullptr;
    }
    return texture;
}

/// The texture, and each layer of a layered one, takes the scene gamma its file declares.
void DeclareGamma(Texture& texture, std::optional<SceneGamma> gamma) {
    texture.SetDeclaredGamma(gamma);
    if (texture.Kind() != TextureKind::Layered)
        return;
    auto& layered = static_cast<LayeredTexture&>(texture);
    for (int i = 0; i < layered.GetLayerCount(); ++i)
        layered.GetLayer(i)->SetDeclaredGamma(gamma);
}

ImportedDeclaration Mapped(const ReadDeclaration& read, const SceneParser& parser,
                           TextureMapper& mapper, ImportBudget& budget,
                           const ImportOptions& options) {
    auto noted = [&parser, &read](const std::string& text, SourcePosition where) {
        if (!where.IsKnown() || (where.file == read.where.file && where.line == read.where.line))
            return text;
        return text + " (" + parser.Describe(where) + ")";
    };
    ImportedDeclaration entry;
    entry.name = read.name;
    entry.where = parser.Describe(read.where);
    if (read.where.file >= 0 &&
        static_cast<std::size_t>(read.where.file) < parser.FileNames().size())
        entry.file = parser.FileNames()[static_cast<std::size_t>(read.where.file)];
    if (!read.value) {
        entry.notes.push_back(noted(read.refusal, read.refusalWhere));
        return entry;
    }
    entry.kind = KindName(*read.value);
    // The texture made takes about what the value read does.
    budget.Values(MemoryOf(*read.value), read.where);
    const auto source = [&]() {
        std::string reason;
        if (auto texture = AsSource(read, reason)) {
            texture->SetDescription(DescriptionFromComment(WithoutRuleLines(read.comment)));
            // The text renders without the defaults a #default before it set.
            if (read.afterDefault)
                entry.notes.push_back(noted("the #default before it left out", *read.afterDefault));
            entry.texture = std::move(texture);
            entry.outcome = ImportOutcome::Source;
        } else {
            entry.notes.push_back(reason);
        }
        return std::move(entry);
    };
    if (options.asSource)
        return source();
    MappedTexture mapped = mapper.Map(*read.value, read.name, read.afterDefault);
    if (mapped.refusal) {
        entry.notes.push_back(noted(mapped.refusal->text, mapped.refusal->where));
        if (options.sourceFallback && !options.approximate)
            return source();
        return entry;
    }
    entry.texture = std::move(mapped.texture);
    entry.texture->SetDescription(DescriptionFromComment(WithoutRuleLines(read.comment)));
    entry.outcome =
        mapped.approximations.empty() ? ImportOutcome::Imported : ImportOutcome::Approximated;
    for (const MappingNote& note : mapped.approximations)
        entry.notes.push_back(noted(note.text, note.where));
    return entry;
}

std::vector<ImportedDeclaration> MappedAll(const SceneParser& parser, const ImportOptions& options,
                                           ImportBudget& budget) {
    TextureMapper mapper(options.approximate);
    const std::vector<ReadDeclaration>& read = parser.Declarations();
    std::vector<ImportedDeclaration> declarations;
    declarations.reserve(read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        budget.Poll();
        budget.Progress(static_cast<double>(i) / static_cast<double>(read.size()));
        declarations.push_back(Mapped(read[i], parser, mapper, budget, options));
        declarations.back().sceneGamma = read[i].sceneGamma;
        if (const auto& texture = declarations.back().texture)
            DeclareGamma(*texture, read[i].sceneGamma);
        // Glass and mirrors show on surroundings they can be seen against.
        if (const auto& texture = declarations.back().texture)
            texture->SetPreviewShape(FittingPreviewShape(*texture));
    }
    return declarations;
}

} // namespace

ImportResult ImportSource(const std::vector<SourceInput>& inputs, const ImportOptions& options,
                          SourceFiles& files) {
    ImportResult result;
    ImportBudget budget(options.limits, options.progress);
    SceneParser parser(files, {options.includePaths, options.libraryFolder, true}, &budget);
    std::vector<std::string> chosen;
    for (const SourceInput& input : inputs)
        if (!input.text)
            chosen.push_back(input.name);
    parser.Choose(chosen);
    try {
        const double count = static_cast<double>(inputs.size());
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            budget.Span(kReadShare * static_cast<double>(i) / count,
                        kReadShare * static_cast<double>(i + 1) / count);
            // A file an earlier one included has given its declarations already.
            if (!inputs[i].text && parser.WasRead(inputs[i].name))
                continue;
            parser.Read(inputs[i].name, inputs[i].text);
        }
        budget.Span(kReadShare, 1.0);
        result.declarations = MappedAll(parser, options, budget);
        result.fromLibrary = parser.FromLibrary();
        result.sceneGammas = parser.DeclaredGammas();
    } catch (const SourceSyntaxError& error) {
        result.failure = parser.Describe(error.Where()) + ": " + error.what();
        result.declarations.clear();
    } catch (const DeclarationRefusal& error) {
        // Refused outside any declaration: the text cannot be read on.
        result.failure = parser.Describe(error.Where()) + ": " + error.what();
        result.declarations.clear();
    } catch (const ImportCancelled&) {
        result.cancelled = true;
        result.declarations.clear();
    }
    budget.Progress(1.0);
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
    constexpr std::size_t kLooked = 1u << 20;
    PovLexer lexer(text.substr(0, std::min(text.size(), kLooked)), 0);
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
    case ImportOutcome::Source:
        return declaration.where + ": source " + declaration.name + notes;
    case ImportOutcome::Skipped:
        break;
    }
    return declaration.where + ": skipped " + declaration.name + notes;
}
