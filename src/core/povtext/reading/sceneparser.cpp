#include "core/povtext/reading/sceneparser.h"

#include "core/povtext/language/language.h"
#include "core/povtext/language/sourceerror.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>

namespace {

/// Keywords of values the reader keeps only by kind, each followed by a block.
bool IsOpaqueBlock(std::string_view word) {
    using namespace PovLanguage;
    return Is(word, kObject | kSceneItem | kKeptWhole);
}

} // namespace

SceneParser::SceneParser(SourceFiles& files, Options options, ImportBudget* budget)
    : m_files(files), m_options(std::move(options)),
      m_ownBudget(budget ? nullptr : std::make_unique<ImportBudget>(ImportLimits{})),
      m_budget(budget ? *budget : *m_ownBudget),
      m_feed(m_files, m_budget, m_symbols, m_fileNames, *this,
             {m_options.includePaths, m_options.libraryFolder, m_options.libraryFallback}),
      m_expressions(m_feed.Expressions()), m_blocks(m_feed, m_expressions) {}

SceneParser::~SceneParser() = default;

const Symbol* SceneParser::LibrarySymbol(const std::string& name) const {
    if (!m_library) {
        // Each file on its own: one that is missing or cannot be read leaves the others.
        m_library = std::make_unique<SceneParser>(m_files, Options{{}, m_options.libraryFolder});
        for (const char* include : kStandardIncludeFiles) {
            try {
                m_library->Read(include, "#include \"" + std::string(include) + "\"\n");
            } catch (const SourceSyntaxError&) {
            } catch (const DeclarationRefusal&) {
            }
        }
    }
    if (const auto adopted = m_fromLibraryFiles.find(name); adopted != m_fromLibraryFiles.end())
        return &adopted->second;
    const Symbol* symbol = m_library->m_symbols.Find(name);
    if (!symbol || !(symbol->value || symbol->definition))
        return nullptr;
    // Its places name the library's files as this reader counts files.
    const auto& files = m_library->FileNames();
    const auto place = [&](SourcePosition& where) {
        if (where.file < 0 || static_cast<std::size_t>(where.file) >= files.size())
            return;
        const std::string& path = files[static_cast<std::size_t>(where.file)];
        const auto known = std::find(m_fileNames.begin(), m_fileNames.end(), path);
        where.file = static_cast<int>(known - m_fileNames.begin());
        if (known == m_fileNames.end())
            m_fileNames.push_back(path);
    };
    Symbol adopted = *symbol;
    place(adopted.where);
    place(adopted.refusalWhere);
    if (symbol->definition) {
        auto definition = std::make_shared<MacroDefinition>(*symbol->definition);
        for (PovToken& token : definition->body)
            place(token.at);
        adopted.definition = std::move(definition);
    }
    const auto file = static_cast<std::size_t>(symbol->where.file);
    m_fromLibrary.push_back(name + " from " + (file < files.size() ? BaseName(files[file]) : ""));
    return &m_fromLibraryFiles.emplace(name, std::move(adopted)).first->second;
}

void SceneParser::Read(const std::string& name, const std::optional<std::string>& text) {
    const int index = static_cast<int>(m_fileNames.size());
    m_fileNames.push_back(name);
    std::unique_ptr<std::string> contents;
    if (text) {
        contents = std::make_unique<std::string>(*text);
    } else {
        std::string error;
        auto read = m_files.Read(name, error);
        if (!read)
            Fail({index, 1, 1}, error);
        contents = std::make_unique<std::string>(std::move(*read));
    }
    if (contents->size() > kMaxSourceFileBytes)
        Fail({index, 1, 1}, "the text is larger than 64 MB, more than a source file may be");
    m_budget.File(contents->size(), {index, 1, 1});
    if (!text)
        m_readPaths.push_back(SamePathForm(name));
    m_feed.Open(std::move(contents), index, text ? std::string() : name);
    m_assumedGamma.reset();
    const std::size_t first = m_declarations.size();
    Statements();
    m_feed.Close();
    KeepShallowest(first);
    const std::optional<SceneGamma> gamma =
        DeclaredSceneGamma(m_feed.StartVersion(), m_assumedGamma);
    for (std::size_t i = first; i < m_declarations.size(); ++i)
        m_declarations[i].sceneGamma = gamma;
    if (gamma)
        m_declaredGammas.emplace_back(name, *gamma);
}

void SceneParser::Choose(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        m_chosen.push_back(SamePathForm(path));
}

bool SceneParser::IsChosen(const std::string& path) const {
    return std::find(m_chosen.begin(), m_chosen.end(), SamePathForm(path)) != m_chosen.end();
}

bool SceneParser::WasRead(const std::string& path) const {
    return std::find(m_readPaths.begin(), m_readPaths.end(), SamePathForm(path)) !=
           m_readPaths.end();
}

void SceneParser::KeepShallowest(std::size_t first) {
    const auto begin = m_declarations.begin() + static_cast<std::ptrdiff_t>(first);
    if (begin == m_declarations.end())
        return;
    // A file chosen to be read gives its declarations wherever it is included.
    std::size_t depth = std::numeric_limits<std::size_t>::max();
    for (auto read = begin; read != m_declarations.end(); ++read)
        if (!read->inChosenFile)
            depth = std::min(depth, read->includeDepth);
    m_declarations.erase(std::remove_if(begin, m_declarations.end(),
                                        [depth](const ReadDeclaration& declaration) {
                                            return !declaration.inChosenFile &&
                                                   declaration.includeDepth != depth;
                                        }),
                         m_declarations.end());
}

void SceneParser::Statements() {
    while (true) {
        const PovToken& next = m_feed.Peek();
        if (m_awaiting && m_awaiting->files == m_feed.Frames() &&
            (next.IsWord("texture") || next.IsWord("pigment") || next.IsWord("material"))) {
            AwaitedValue();
            continue;
        }
        m_awaiting.reset();
        // Everything but the directives (objects, the camera, macro calls) is passed over.
        const PovToken taken = m_feed.Take();
        if (taken.kind == PovToken::End)
            return;
        m_feed.PassFileStart();
        if (taken.IsWord("assumed_gamma") && m_feed.IncludeDepth() == 0 &&
            m_feed.InBlock("global_settings") && m_feed.Peek().kind == PovToken::Number)
            m_assumedGamma = m_feed.Peek().number;
    }
}

void SceneParser::Declaration(const PovToken& directive, bool local) {
    PovToken name = m_feed.TakeRaw();
    if (name.IsWord("deprecated")) {
        if (m_feed.PeekRaw().IsWord("once"))
            m_feed.TakeRaw();
        if (m_feed.PeekRaw().kind == PovToken::String)
            m_feed.TakeRaw();
        name = m_feed.TakeRaw();
    }
    if (name.kind != PovToken::Word)
        Fail(name.at,
             "expected an identifier after #" + directive.text + " but found " + Described(name));
    if (!m_symbols.Find(name.text))
        m_budget.Declaration(directive.at);

    ReadDeclaration record;
    record.name = name.text;
    record.includeDepth = m_feed.IncludeDepth();
    record.inChosenFile = m_feed.InChosenFile();
    record.where = directive.at;
    record.comment = directive.comment;
    record.afterDefault = m_feed.UnfoldedDefault();
    DeclareValue(std::move(record), name, local, false);
}

void SceneParser::DeclareValue(ReadDeclaration record, const PovToken& name, bool local,
                               bool awaited) {
    const bool entry = m_declarationDepth == 0;
    ++m_declarationDepth;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{m_declarationDepth};

    Symbol symbol;
    symbol.where = record.where;
    bool textureLike = false;
    bool valueAwaited = false;
    {
        DirectiveFeed::ValueScope scope(m_feed);
        // Loops refuse the same values on every pass: those are known again without a throw.
        std::optional<DeclarationRefusal> refused;
        std::optional<DirectiveFeed::ValueStart> start;
        try {
            if (!awaited) {
                if (IsPovRayReservedWord(name.text))
                    m_expressions.Refuse(name.at,
                                         name.text + " is a keyword and cannot be declared");
                if (m_feed.PeekRaw().IsSymbol("["))
                    refused.emplace(name.at, "elements of arrays are not read");
                else
                    m_expressions.Expect("=");
            }
            if (!refused) {
                // A value chosen by an #if that cannot be decided might have been a texture.
                textureLike = true;
                m_feed.ValueConditionals();
                textureLike = m_feed.LooksLikeTexture(m_feed.Peek());
                valueAwaited = m_feed.Peek().kind == PovToken::Directive &&
                               (m_feed.Peek().text == "declare" || m_feed.Peek().text == "local");
                start = m_feed.StartInText();
                if (start)
                    refused = m_feed.RefusalAgain(*start);
            }
            if (!refused) {
                DirectiveFeed::Captured taken;
                {
                    DirectiveFeed::Capturing capture(m_feed, taken);
                    symbol.value = DeclaredValue();
                }
                symbol.elements = std::exchange(m_readElements, nullptr);
                symbol.source = m_feed.Written(taken);
                // The written text is kept for as long as the import runs: it counts as made.
                m_feed.CountMade(symbol.source->tokens.Bytes(), record.where);
                const auto& kind = *symbol.value;
                textureLike = std::holds_alternative<PovPigment>(kind) ||
                              std::holds_alternative<PovTexture>(kind);
            }
        } catch (const DeclarationRefusal& refusal) {
            if (start)
                m_feed.RememberRefusal(*start, refusal);
            refused = refusal;
            textureLike = textureLike || std::exchange(m_texturesInArray, false);
            m_readElements.reset();
        }
        if (refused) {
            m_feed.SkipRestOfValue();
            symbol.value.reset();
            symbol.source.reset();
            symbol.refusal = refused->Root();
            symbol.refusalWhere = refused->RootWhere();
            record.refusal = refused->what();
            record.refusalWhere = refused->RootWhere();
        }
    }
    if (m_feed.PeekRaw().IsSymbol(";"))
        m_feed.TakeRaw();
    if (m_feed.Stop() && symbol.value) {
        symbol.value.reset();
        symbol.refusal = record.refusal = m_feed.Stop()->value;
        symbol.refusalWhere = record.refusalWhere = m_feed.Stop()->where;
    }
    symbol.textureLike = textureLike;
    record.value = symbol.value;
    if (symbol.value)
        record.source = symbol.source;
    const auto replaced =
        m_symbols.Declare(name.text, std::move(symbol), local && m_feed.Frames() > 1);
    if (replaced && replaced.use_count() == 1)
        m_budget.Released(replaced->tokens.Bytes());
    // POV-Ray carries out the declarations that stand where the value starts and takes the
    // value that follows them: "#declare M = #declare D = 0.7; material { ... }". Until one
    // comes it is the empty layered texture, as an empty one is written out.
    if (valueAwaited)
        m_awaiting = Awaiting{name, local, record.where, m_feed.Frames()};
    if (entry && textureLike) {
        // A #while declares it again at the same place (and an awaited value completes it):
        // the last is what it is.
        const auto again = !m_feed.InLoop() && !awaited
                               ? m_declarations.end()
                               : std::find_if(m_declarations.begin(), m_declarations.end(),
                                              [&record](const ReadDeclaration& read) {
                                                  return read.where == record.where;
                                              });
        if (again != m_declarations.end())
            *again = std::move(record);
        else
            m_declarations.push_back(std::move(record));
    }
}

void SceneParser::AwaitedValue() {
    const Awaiting awaiting = std::move(*m_awaiting);
    m_awaiting.reset();
    const auto read =
        std::find_if(m_declarations.begin(), m_declarations.end(),
                     [&](const ReadDeclaration& r) { return r.where == awaiting.where; });
    ReadDeclaration record;
    if (read != m_declarations.end()) {
        record = *read;
        record.refusal.clear();
        record.value.reset();
        record.source.reset();
    } else {
        record.name = awaiting.token.text;
        record.includeDepth = m_feed.IncludeDepth();
        record.where = awaiting.where;
    }
    DeclareValue(std::move(record), awaiting.token, awaiting.local, true);
}

std::shared_ptr<const PovValue> SceneParser::DeclaredValue() {
    const PovToken first = m_feed.Peek();
    // "#declare Name =" with nothing after it is how an empty layered texture is written out.
    if (first.kind == PovToken::Directive || first.kind == PovToken::End ||
        first.kind == PovToken::FileEnd)
        return std::make_shared<PovValue>(PovTexture{});
    if (first.kind == PovToken::Word) {
        const std::string& w = first.text;
        if (w == "texture") {
            PovTexture texture;
            do {
                const PovToken keyword = m_feed.Take();
                m_blocks.Texture(texture, keyword);
            } while (m_feed.PeekRaw().IsWord("texture"));
            return std::make_shared<PovValue>(std::move(texture));
        }
        if (w == "pigment") {
            PovPigment pigment;
            m_blocks.Pigment(pigment, m_feed.Take());
            return std::make_shared<PovValue>(std::move(pigment));
        }
        if (w == "normal") {
            PovNormal normal;
            m_blocks.Normal(normal, m_feed.Take());
            return std::make_shared<PovValue>(std::move(normal));
        }
        if (w == "finish") {
            PovFinish finish;
            m_blocks.Finish(finish, m_feed.Take());
            return std::make_shared<PovValue>(std::move(finish));
        }
        if (w == "color_map" || w == "colour_map")
            return std::make_shared<PovValue>(m_blocks.ColorMap(m_feed.Take()));
        if (w == "interior")
            return std::make_shared<PovValue>(m_blocks.Interior(m_feed.Take()));
        if (w == "material")
            return std::make_shared<PovValue>(m_blocks.Material(m_feed.Take()));
        if (w == "transform")
            return std::make_shared<PovValue>(m_blocks.Transform(m_feed.Take()));
        if (w == "array")
            return ReadArray(first);
        if (w == "function") {
            m_feed.Take();
            if (m_feed.Peek().IsSymbol("(")) {
                for (int depth = 0;;) {
                    const PovToken token = m_feed.Take();
                    depth += token.IsSymbol("(") ? 1 : token.IsSymbol(")") ? -1 : 0;
                    if (depth == 0)
                        break;
                    if (token.kind == PovToken::End || token.kind == PovToken::Directive)
                        m_expressions.Refuse(first.at, "the function's parameters are not closed");
                }
            }
            m_blocks.SkipBlock(first);
            return std::make_shared<PovValue>(PovOpaque{"function"});
        }
        if (IsOpaqueBlock(w)) {
            m_blocks.SkipBlock(m_feed.Take());
            return std::make_shared<PovValue>(PovOpaque{w});
        }
        if (const Symbol* symbol = m_feed.Lookup(w);
            symbol && symbol->value && !std::holds_alternative<PovNumber>(*symbol->value) &&
            !std::holds_alternative<std::string>(*symbol->value)) {
            const PovToken name = m_feed.Take();
            m_expressions.RefuseFunctionCall(name, *symbol);
            return symbol->value;
        }
    }
    const ExpressionValue value = m_expressions.Value();
    if (const auto* number = std::get_if<PovNumber>(&value)) {
        if (ExpressionReader::IsChannel(m_feed.Peek())) {
            PovColor color = ExpressionReader::ToColor(*number);
            m_expressions.ColorChannels(color);
            return std::make_shared<PovValue>(PovNumber::OfColor(color));
        }
        return std::make_shared<PovValue>(*number);
    }
    return std::make_shared<PovValue>(std::get<std::string>(value));
}

std::shared_ptr<const PovValue> SceneParser::ReadArray(const PovToken& array) {
    m_feed.Take();
    int dimensions = 0;
    double size = 0.0;
    while (m_feed.Peek().IsSymbol("[")) {
        m_feed.Take();
        size = m_expressions.Float();
        m_expressions.Expect("]");
        ++dimensions;
    }
    if (!m_feed.Peek().IsSymbol("{"))
        m_expressions.Refuse(array.at, "arrays without their elements are not read");
    m_feed.Take();
    // "array[8] { texture { ... }, ... }": what uses its elements would have been textures.
    for (int inner = 1; inner < dimensions && m_feed.Peek().IsSymbol("{"); ++inner)
        m_feed.Take();
    m_texturesInArray = m_feed.LooksLikeTexture(m_feed.Peek());
    if (dimensions != 1)
        m_expressions.Refuse(array.at, "arrays of more than one dimension are not read");
    auto elements = std::make_shared<std::vector<Symbol>>();
    while (!m_feed.Peek().IsSymbol("}")) {
        if (static_cast<double>(elements->size()) >= size)
            m_expressions.Refuse(m_feed.Peek().at, "the array is given more elements than its "
                                                   "size");
        Symbol element;
        element.where = m_feed.Peek().at;
        element.textureLike = m_feed.LooksLikeTexture(m_feed.Peek());
        DirectiveFeed::Captured taken;
        {
            DirectiveFeed::Capturing capture(m_feed, taken);
            element.value = DeclaredValue();
        }
        element.source = m_feed.Written(taken);
        m_feed.CountMade(element.source->tokens.Bytes(), element.where);
        elements->push_back(std::move(element));
        if (m_feed.Peek().IsSymbol(","))
            m_feed.Take();
    }
    m_feed.Take();
    m_texturesInArray = false;
    m_readElements = std::move(elements);
    return std::make_shared<PovValue>(PovOpaque{"array"});
}

bool SceneParser::Declare(const PovToken& directive) {
    if (directive.text != "declare" && directive.text != "local") {
        m_awaiting.reset();
        return false;
    }
    Declaration(directive, directive.text == "local");
    return true;
}

std::shared_ptr<const PovValue> SceneParser::Value() {
    return DeclaredValue();
}

bool SceneParser::Included(const std::string& path) {
    m_readPaths.push_back(SamePathForm(path));
    return IsChosen(path);
}

void SceneParser::PassedOver(const std::string& name, SourcePosition where,
                             const std::string& reason, SourcePosition at) {
    ReadDeclaration record;
    record.name = name;
    record.includeDepth = m_feed.IncludeDepth();
    record.where = where;
    record.refusal = reason;
    record.refusalWhere = at;
    m_declarations.push_back(std::move(record));
}

void SceneParser::Stopped(const std::string& name, SourcePosition where, const std::string& reason,
                          SourcePosition at) {
    for (ReadDeclaration& record : m_declarations)
        if (record.where == where && record.name == name) {
            record.value.reset();
            record.source.reset();
            record.refusal = reason;
            record.refusalWhere = at;
        }
}

void SceneParser::Fail(SourcePosition where, const std::string& message) {
    throw SourceSyntaxError(where, message);
}
