#include "core/povtext/reading/directivefeed.h"

#include "core/povtext/language/language.h"
#include "core/povtext/language/sourceerror.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

namespace {

/// Keywords of values the reader keeps only by kind, each followed by a block.
bool IsOpaqueBlock(std::string_view word) {
    using namespace PovLanguage;
    return Is(word, kObject | kSceneItem | kKeptWhole);
}

/// Ends each pass of a #while; no text can hold it.
constexpr char kLoopMarker[] = "\x01while";

/// Whether a pigment or normal block that starts with `first` only changes the one it starts
/// from (transforms it, turbulence), giving no colour or pattern of its own.
bool ModifiesOnly(const PovToken& first) {
    return first.IsSymbol("}") ||
           (first.kind == PovToken::Word &&
            PovLanguage::IsOneOf(first.text,
                                 {"scale", "rotate", "translate", "matrix", "transform",
                                  "turbulence", "octaves", "omega", "lambda", "warp", "frequency",
                                  "phase", "noise_generator", "quick_color", "quick_colour"}));
}

bool OpensRegion(std::string_view directive) {
    return PovLanguage::IsOneOf(directive,
                                {"if", "ifdef", "ifndef", "while", "for", "switch", "macro"});
}

/// The text of a POV-Ray string literal with its backslash escapes resolved, for file names.
std::string Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

struct DirectiveFeed::OpenFile {
    std::unique_ptr<std::string> text;
    std::unique_ptr<PovLexer> lexer;
    /// A macro being carried out, read from its tokens in place of a lexer.
    std::shared_ptr<const MacroDefinition> macro;
    std::size_t nextToken = 0;
    SourcePosition calledAt;
    /// A #while being carried out: its text ends with the marker that tests its condition,
    /// and starts again after it.
    std::vector<PovToken> loopCondition;
    bool loop = false;
    /// A macro's frame has a scope of its own for its parameters and locals.
    bool scoped = false;
    /// The blocks open when the frame began.
    std::size_t braces = 0;
    std::size_t passes = 0;
    std::string path;
    /// One of the files chosen to be read, included by another.
    bool chosen = false;
    std::size_t conditionals = 0;
    /// A token read after an #include's file name, which comes after the included text.
    std::optional<PovToken> resume;
    /// For values refused for a skipped name or a function call: where each starts and where
    /// the name stands.
    std::unordered_map<std::size_t, std::size_t> refusedAt;
};

DirectiveFeed::ValueScope::ValueScope(DirectiveFeed& feed) : m_feed(feed) {
    feed.m_valueBases.push_back(feed.Depth());
    feed.m_valueFiles.push_back(feed.m_open.size());
}

DirectiveFeed::ValueScope::~ValueScope() {
    // A value refused inside a macro or loop leaves it.
    m_feed.DropFrames(m_feed.m_valueFiles.back());
    m_feed.m_valueBases.pop_back();
    m_feed.m_valueFiles.pop_back();
}

DirectiveFeed::DirectiveFeed(SourceFiles& files, ImportBudget& budget, SymbolTable& symbols,
                             std::vector<std::string>& fileNames, DeclarationHost& host,
                             Search search)
    : m_files(files), m_budget(budget), m_symbols(symbols), m_fileNames(fileNames), m_host(host),
      m_search(std::move(search)), m_expressions(*this) {}

DirectiveFeed::~DirectiveFeed() = default;

void DirectiveFeed::Open(std::unique_ptr<std::string> text, int index, std::string path) {
    OpenFile file;
    file.text = std::move(text);
    file.lexer = std::make_unique<PovLexer>(*file.text, index);
    file.path = std::move(path);
    m_open.clear();
    m_open.push_back(std::move(file));
    m_macroCalls = 0;
    m_loops = 0;
    m_peeked.reset();
    m_openBraces.clear();
    m_openBlocks.clear();
    m_injected.clear();
    m_conditionals.clear();
    m_nesting = 0;
    m_stop.reset();
    m_atFileStart = true;
    m_startVersion.reset();
}

void DirectiveFeed::Close() {
    m_open.clear();
}

std::size_t DirectiveFeed::Frames() const {
    return m_open.size();
}

bool DirectiveFeed::InBlock(std::string_view keyword) const {
    return !m_openBlocks.empty() && m_openBlocks.back().keyword == keyword;
}

void DirectiveFeed::Fail(SourcePosition where, const std::string& message) {
    throw SourceSyntaxError(where, message);
}

std::string DirectiveFeed::Describe(SourcePosition where) const {
    if (where.file < 0 || static_cast<std::size_t>(where.file) >= m_fileNames.size())
        return "?";
    return m_fileNames[static_cast<std::size_t>(where.file)] + ":" + std::to_string(where.line);
}

std::string DirectiveFeed::InputFileName() const {
    return m_fileNames.empty() ? std::string() : m_fileNames.front();
}

const Symbol* DirectiveFeed::Lookup(const std::string& name) const {
    if (const Symbol* symbol = m_symbols.Find(name))
        return symbol;
    if (const auto element = m_elements.find(name); element != m_elements.end())
        return &element->second;
    // A keyword is never declared: the library need not be read for it.
    return m_search.libraryFallback && !IsPovRayReservedWord(name) ? m_host.LibrarySymbol(name)
                                                                   : nullptr;
}

const Symbol* DirectiveFeed::LookupDeclared(const std::string& name) const {
    return m_symbols.Find(name);
}

double DirectiveFeed::Seed(double value) {
    // POV-Ray keeps the seed as an int, and numbers the streams from 0.
    m_randomStreams.push_back(static_cast<std::uint32_t>(
        static_cast<std::int32_t>(std::clamp(value, -2147483648.0, 2147483647.0))));
    return static_cast<double>(m_randomStreams.size() - 1);
}

double DirectiveFeed::Random(double stream, SourcePosition where) {
    if (!(stream >= 0) || stream >= static_cast<double>(m_randomStreams.size()))
        throw DeclarationRefusal(where, "rand is given a stream that seed did not start");
    // This call's "rand" is read already.
    if (!m_randomPassed && m_randomsRead > m_randomsDrawn + 1)
        m_randomPassed = where;
    if (m_randomPassed)
        throw DeclarationRefusal(where, "its random numbers are not POV-Ray's: a rand before "
                                        "it is not evaluated here");
    ++m_randomsDrawn;
    // POV-Ray 3.7's generator, to the bit.
    std::uint32_t& state = m_randomStreams[static_cast<std::size_t>(stream)];
    state = state * 1812433253u + 12345u;
    return static_cast<double>(state) / 4294967295.0;
}

std::size_t DirectiveFeed::TakenMark() const {
    return m_capture ? m_capture->tokens.size() : std::string::npos;
}

void DirectiveFeed::WriteTakenAs(std::size_t mark, double number) {
    if (!m_capture || mark >= m_capture->tokens.size())
        return;
    m_capture->tokens.resize(mark);
    PovToken token;
    token.kind = PovToken::Number;
    token.text = SourceWriter::NumberText(number);
    m_capture->tokens.push_back(std::move(token));
}

void DirectiveFeed::Descend(SourcePosition where) {
    if (++m_nesting > kMaxNesting) {
        m_nesting = 0;
        Fail(where, "the text nests more than " + std::to_string(kMaxNesting) + " levels deep");
    }
}

void DirectiveFeed::CountMade(std::size_t bytes, SourcePosition where) {
    m_budget.Values(bytes, where);
}

std::size_t DirectiveFeed::IncludeDepth() const {
    return static_cast<std::size_t>(std::count_if(
               m_open.begin(), m_open.end(), [](const OpenFile& open) { return !open.macro; })) -
           1;
}

bool DirectiveFeed::InChosenFile() const {
    const auto file = std::find_if(m_open.rbegin(), m_open.rend(),
                                   [](const OpenFile& open) { return !open.macro; });
    return file != m_open.rend() && file->chosen;
}

PovToken DirectiveFeed::Lex() {
    OpenFile& top = m_open.back();
    PovToken token;
    if (top.loop && top.nextToken == top.macro->body.size())
        top.nextToken = 0;
    if (!top.macro) {
        token = top.lexer->Next();
    } else if (top.nextToken < top.macro->body.size()) {
        token = top.macro->body[top.nextToken++];
    } else {
        token.kind = PovToken::End;
        token.at = top.calledAt;
    }
    m_budget.Token(token.at);
    if ((++m_lexed & 0xFFF) == 0)
        m_budget.Progress(m_open.front().lexer->Done());
    return token;
}

PovToken DirectiveFeed::NextFromFiles() {
    if (!m_injected.empty()) {
        PovToken token = std::move(m_injected.front());
        m_injected.pop_front();
        m_budget.Token(token.at);
        return token;
    }
    OpenFile& top = m_open.back();
    if (top.resume) {
        PovToken token = std::move(*top.resume);
        top.resume.reset();
        return token;
    }
    PovToken token = Lex();
    if (token.kind != PovToken::End)
        return token;
    if (m_conditionals.size() > top.conditionals)
        Fail(m_conditionals.back().where, "this #if is not closed with #end before the end "
                                          "of its file");
    if (m_open.size() == 1) {
        if (!m_openBraces.empty())
            Fail(m_openBraces.back(), "the block opened here is never closed");
        return token;
    }
    // The included file is left only when this token is taken, so a look past its last token
    // (after an #include's file name) does not leave it early.
    token.kind = PovToken::FileEnd;
    return token;
}

void DirectiveFeed::Consumed(const PovToken& token) {
    if (token.IsSymbol("{")) {
        if (m_openBraces.size() >= static_cast<std::size_t>(kMaxNesting) * 2)
            Fail(token.at,
                 "blocks nest more than " + std::to_string(kMaxNesting * 2) + " levels deep");
        m_openBraces.push_back(token.at);
        m_openBlocks.push_back({m_lastWord});
    } else if (token.IsSymbol("}")) {
        if (m_openBraces.empty())
            Fail(token.at, "this '}' closes no block");
        m_openBraces.pop_back();
        m_openBlocks.pop_back();
    } else if (token.kind == PovToken::FileEnd) {
        const bool scoped = !m_open.back().macro || m_open.back().scoped;
        if (m_open.back().scoped)
            --m_macroCalls;
        m_open.pop_back();
        if (scoped)
            m_symbols.LeaveFile();
    }
    if (token.kind == PovToken::Word)
        m_lastWord = token.text;
    else
        m_lastWord.clear();
}

void DirectiveFeed::Inject(std::vector<PovToken> tokens) {
    for (PovToken& token : tokens)
        token.at = m_defaultAt;
    InjectAsRead(std::move(tokens));
}

void DirectiveFeed::InjectAsRead(std::vector<PovToken> tokens) {
    if (tokens.empty())
        return;
    if (m_peeked) {
        m_injected.push_front(std::move(*m_peeked));
        m_peeked.reset();
    }
    for (auto it = tokens.rbegin(); it != tokens.rend(); ++it)
        m_injected.push_front(std::move(*it));
}

void DirectiveFeed::FoldDefaults() {
    if (m_defaults.IsEmpty())
        return;
    OpenBlock& block = m_openBlocks.back();
    const std::string& keyword = block.keyword;
    if (keyword != "texture" && keyword != "pigment" && keyword != "normal" && keyword != "finish")
        return;
    // A block that starts with a declared one of its kind is a copy of that one. A pigment
    // or normal that gives its own colour or pattern replaces the default one's, and POV-Ray
    // reads no colour or pattern after another: the default goes only before modifiers.
    const PovToken& next = PeekRaw();
    const Symbol* symbol = next.kind == PovToken::Word ? m_symbols.Find(next.text) : nullptr;
    const bool copy = (symbol && symbol->value && KindName(*symbol->value) == keyword) ||
                      ((keyword == "pigment" || keyword == "normal") && !ModifiesOnly(next));
    if (keyword == "texture") {
        block.fromDefault = !copy;
        return;
    }
    // In a texture, the first pigment, normal or finish changes the texture's default one (or
    // replaces it, when it is a copy); the texture's end adds the parts it did not set.
    if (m_openBlocks.size() > 1) {
        OpenBlock& texture = m_openBlocks[m_openBlocks.size() - 2];
        if (texture.keyword == "texture") {
            bool& set = keyword == "pigment"  ? texture.pigment
                        : keyword == "normal" ? texture.normal
                                              : texture.finish;
            const bool first = !std::exchange(set, true);
            if (texture.fromDefault && first && !copy)
                Inject(m_defaults.Body(keyword));
            return;
        }
    }
    if (!copy)
        Inject(m_defaults.Body(keyword));
}

void DirectiveFeed::DeclaredPart(const PovToken& word) {
    const Symbol* symbol = m_symbols.Find(word.text);
    if (!symbol || !symbol->value)
        return;
    OpenBlock& texture = m_openBlocks.back();
    if (std::holds_alternative<PovPigment>(*symbol->value))
        texture.pigment = true;
    else if (std::holds_alternative<PovNormal>(*symbol->value))
        texture.normal = true;
    else if (std::holds_alternative<PovFinish>(*symbol->value))
        texture.finish = true;
}

void DirectiveFeed::FoldDefaultsAtEnd() {
    if (m_openBlocks.empty())
        return;
    OpenBlock& texture = m_openBlocks.back();
    if (!texture.fromDefault)
        return;
    std::vector<PovToken> parts;
    const auto part = [&](const char* keyword, bool& set) {
        if (std::exchange(set, true))
            return;
        std::vector<PovToken> body = m_defaults.Body(keyword);
        if (body.empty())
            return;
        parts.push_back(MadeToken(PovToken::Word, keyword));
        parts.push_back(MadeToken(PovToken::Symbol, "{"));
        parts.insert(parts.end(), body.begin(), body.end());
        parts.push_back(MadeToken(PovToken::Symbol, "}"));
    };
    part("pigment", texture.pigment);
    part("normal", texture.normal);
    part("finish", texture.finish);
    texture.fromDefault = false;
    Inject(std::move(parts));
}

const PovToken& DirectiveFeed::PeekRaw() {
    if (!m_peeked)
        m_peeked = NextFromFiles();
    return *m_peeked;
}

bool DirectiveFeed::AtValueLevel() const {
    return !m_valueBases.empty() && Depth() <= m_valueBases.back();
}

const PovToken& DirectiveFeed::Peek() {
    while (true) {
        const PovToken& next = PeekRaw();
        if (next.IsSymbol("}") && !m_openBlocks.empty() && m_openBlocks.back().fromDefault) {
            FoldDefaultsAtEnd();
            continue;
        }
        // The macro's text has ended: what follows its call comes next.
        if (next.kind == PovToken::FileEnd && m_open.back().macro) {
            TakeRaw();
            continue;
        }
        if (next.kind == PovToken::Word && !m_valueBases.empty() && !m_skipping) {
            const Symbol* symbol = Lookup(next.text);
            if (symbol && symbol->definition) {
                std::shared_ptr<const MacroDefinition> definition = symbol->definition;
                const PovToken name = TakeRaw();
                CallMacro(name, std::move(definition));
                continue;
            }
            if (symbol && symbol->elements) {
                std::shared_ptr<const std::vector<Symbol>> elements = symbol->elements;
                const PovToken name = TakeRaw();
                TakeElement(name, *elements);
                continue;
            }
        }
        // The directives of a macro or loop called inside the value are carried out.
        const bool called = !m_valueFiles.empty() && m_open.size() > m_valueFiles.back();
        if ((next.kind != PovToken::Directive && next.kind != PovToken::FileEnd) ||
            (AtValueLevel() && !called))
            return next;
        const PovToken passed = TakeRaw();
        if (passed.kind == PovToken::Directive) {
            const Capturing paused(*this, nullptr);
            HandleDirective(passed);
        }
    }
}

PovToken DirectiveFeed::Take() {
    Peek();
    PovToken token = std::move(*m_peeked);
    m_peeked.reset();
    Consumed(token);
    if (token.IsWord("rand"))
        ++m_randomsRead;
    if (m_capture) {
        PovToken copy;
        copy.kind = token.kind;
        copy.text = token.text;
        // A macro's locals end with it, and a loop changes what a name stands for from pass
        // to pass: such names keep what they stand for now.
        bool local = false;
        const Symbol* symbol = token.kind == PovToken::Word && (m_macroCalls > 0 || m_loops > 0) &&
                                       !m_capture->verbatim
                                   ? m_symbols.Find(token.text, local)
                                   : nullptr;
        if (symbol && (local || m_loops > 0)) {
            // No identifier can hold '#': the name is the value's own.
            copy.text += '#' + std::to_string(m_capture->aliases.size());
            m_capture->aliases.emplace(copy.text, *symbol);
        } else if (const auto element = token.kind == PovToken::Word ? m_elements.find(token.text)
                                                                     : m_elements.end();
                   element != m_elements.end()) {
            m_capture->aliases.emplace(copy.text, element->second);
        }
        m_capture->tokens.push_back(std::move(copy));
    }
    if (token.IsSymbol("{"))
        FoldDefaults();
    else if (token.kind == PovToken::Word && !m_openBlocks.empty() &&
             m_openBlocks.back().fromDefault)
        DeclaredPart(token);
    return token;
}

PovToken DirectiveFeed::TakeRaw() {
    PeekRaw();
    PovToken token = std::move(*m_peeked);
    m_peeked.reset();
    Consumed(token);
    return token;
}

void DirectiveFeed::HandleDirective(const PovToken& directive) {
    const std::string& d = directive.text;
    const bool fileStart = std::exchange(m_atFileStart, false) && IncludeDepth() == 0;
    if (m_host.Declare(directive))
        return;
    if (d == "include")
        Include(directive);
    else if (d == "if")
        If(directive);
    else if (d == "ifdef" || d == "ifndef")
        Ifdef(directive);
    else if (d == "else" || d == "elseif")
        Else(directive);
    else if (d == "end")
        EndDirective(directive);
    else if (d == "macro")
        Macro(directive);
    else if (d == "while")
        While(directive);
    else if (d == kLoopMarker)
        LoopAgain(directive);
    else if (d == "switch")
        Switch(directive);
    else if (d == "for")
        For(directive);
    else if (d == "undef") {
        const PovToken name = TakeRaw();
        if (name.kind != PovToken::Word)
            Fail(name.at, "expected an identifier after #undef");
        m_symbols.Undefine(name.text);
    } else if (d == "version") {
        ValueScope scope(*this);
        try {
            m_version = m_expressions.Float();
            if (fileStart)
                m_startVersion = m_version;
        } catch (const DeclarationRefusal& refusal) {
            Fail(refusal.Where(),
                 "the #version cannot be evaluated: " + std::string(refusal.what()));
        }
        if (PeekRaw().IsSymbol(";"))
            TakeRaw();
    } else if (d == "debug" || d == "warning" || d == "error") {
        ValueScope scope(*this);
        std::string message;
        try {
            message = m_expressions.String();
        } catch (const DeclarationRefusal&) {
            // A message that cannot be put together is not worth refusing anything for.
        }
        // POV-Ray stops at an #error: nothing declared after it can be used.
        // Every declaration after it repeats the message: a long one is cut short.
        constexpr std::size_t kShownMessage = 200;
        if (message.size() > kShownMessage)
            message = message.substr(0, kShownMessage) + "...";
        if (d == "error" && !m_stop)
            m_stop = Placed<std::string>{"POV-Ray stops at the #error before it: " + message,
                                         directive.at};
    } else if (d == "default") {
        Default(directive);
    } else if (PovLanguage::IsOneOf(
                   d, {"fopen", "fclose", "read", "write", "render", "statistics", "breakpoint"})) {
        OtherDirective(directive);
    } else if (d == "case" || d == "range" || d == "break") {
        Fail(directive.at, "#" + d + " stands outside a #switch");
    } else if (IsPovRayReservedWord(d)) {
        // POV-Ray reads a '#' before a keyword that names no directive as the keyword alone,
        // as old scenes write "#object { ... }".
        PovToken word = directive;
        word.kind = PovToken::Word;
        InjectAsRead({std::move(word)});
    } else {
        Fail(directive.at, "#" + d + " is no directive");
    }
}

void DirectiveFeed::Default(const PovToken& directive) {
    ValueScope scope(*this);
    const PovToken open = Take();
    if (!open.IsSymbol("{"))
        Fail(open.at, "expected '{' after #default");
    const int depth = Depth();
    while (true) {
        const PovToken& next = Peek();
        if (next.kind == PovToken::End)
            Fail(open.at, "the #default is not closed with '}'");
        if (Depth() == depth && next.IsSymbol("}")) {
            Take();
            return;
        }
        const PovToken keyword = Take();
        const bool part = keyword.IsWord("texture") || keyword.IsWord("pigment") ||
                          keyword.IsWord("normal") || keyword.IsWord("finish");
        if (!part || !Peek().IsSymbol("{"))
            continue;
        Captured taken;
        taken.tokens.resize(1);
        taken.tokens[0].kind = keyword.kind;
        taken.tokens[0].text = keyword.text;
        {
            Capturing capture(*this, taken);
            Take();
            while (Depth() > depth) {
                if (Peek().kind == PovToken::End)
                    Fail(open.at, "the #default is not closed with '}'");
                Take();
            }
        }
        const auto written = Written(taken);
        m_defaultAt = directive.at;
        if (!written->refusal.empty() || !m_defaults.Set(written->tokens.Expanded()))
            m_default = directive.at;
    }
}

void DirectiveFeed::OtherDirective(const PovToken& directive) {
    const std::string& d = directive.text;
    const std::string reason = "it is read from a file by the #read at " + Describe(directive.at);
    if (d == "fopen" || d == "fclose") {
        const PovToken handle = TakeRaw();
        Poison(handle.text, directive.at, "it is a file opened by #fopen", false);
        if (d == "fopen") {
            ValueScope scope(*this);
            try {
                m_expressions.String();
            } catch (const DeclarationRefusal&) {
            }
            TakeRaw();
        }
        return;
    }
    if (d == "read" || d == "write") {
        const PovToken open = TakeRaw();
        if (!open.IsSymbol("("))
            Fail(open.at, "expected '(' after #" + d);
        bool first = true;
        for (int depth = 1; depth > 0;) {
            const PovToken token = TakeRaw();
            if (token.kind == PovToken::End)
                Fail(open.at, "the #" + d + " is not closed with ')'");
            depth += token.IsSymbol("(") ? 1 : token.IsSymbol(")") ? -1 : 0;
            if (d == "read" && token.kind == PovToken::Word && depth == 1) {
                if (!first)
                    Poison(token.text, token.at, reason, false);
                first = false;
            }
        }
        return;
    }
    if (d == "render" || d == "statistics") {
        ValueScope scope(*this);
        try {
            m_expressions.String();
        } catch (const DeclarationRefusal&) {
        }
    }
}

void DirectiveFeed::Poison(const std::string& name, SourcePosition where, const std::string& reason,
                           bool textureLike) {
    Symbol symbol;
    symbol.where = where;
    symbol.refusal = reason;
    symbol.refusalWhere = where;
    symbol.textureLike = textureLike;
    m_symbols.Declare(name, std::move(symbol), false);
}

bool DirectiveFeed::LooksLikeTexture(const PovToken& first) const {
    if (first.IsWord("texture") || first.IsWord("pigment") || first.IsWord("material"))
        return true;
    if (first.kind != PovToken::Word)
        return false;
    if (const Symbol* symbol = m_symbols.Find(first.text))
        return symbol->macro || symbol->textureLike;
    // An identifier nobody declared might have been a texture; a keyword is none.
    return !IsPovRayReservedWord(first.text) && !IsOpaqueBlock(first.text);
}

void DirectiveFeed::DropFrames(std::size_t keep) {
    if (m_open.size() <= keep)
        return;
    while (m_open.size() > keep && m_open.back().macro) {
        const OpenFile& frame = m_open.back();
        m_openBraces.resize(std::min(m_openBraces.size(), frame.braces));
        m_openBlocks.resize(std::min(m_openBlocks.size(), frame.braces));
        m_conditionals.resize(std::min(m_conditionals.size(), frame.conditionals));
        if (frame.scoped) {
            --m_macroCalls;
            m_symbols.LeaveFile();
        }
        if (frame.loop)
            --m_loops;
        m_open.pop_back();
    }
    // What was looked at or put in front came from the text left.
    m_peeked.reset();
    m_injected.clear();
}

std::optional<DirectiveFeed::ValueStart> DirectiveFeed::StartInText() const {
    if (!m_peeked || !m_injected.empty() || m_open.empty())
        return std::nullopt;
    const OpenFile& top = m_open.back();
    if (!top.macro || top.resume || top.nextToken == 0)
        return std::nullopt;
    const PovToken& first = top.macro->body[top.nextToken - 1];
    if (!(first.at == m_peeked->at) || first.kind != m_peeked->kind || first.text != m_peeked->text)
        return std::nullopt;
    return ValueStart{m_open.size() - 1, top.macro.get(), top.nextToken - 1};
}

void DirectiveFeed::RememberRefusal(const ValueStart& start, const DeclarationRefusal& refusal) {
    if (start.frame >= m_open.size() || m_open[start.frame].macro.get() != start.text)
        return;
    const std::vector<PovToken>& body = start.text->body;
    for (std::size_t i = start.token; i < body.size(); ++i) {
        const PovToken& token = body[i];
        if (token.kind == PovToken::Directive || token.IsSymbol(";"))
            return;
        if (token.at == refusal.Where()) {
            if (token.kind == PovToken::Word)
                m_open[start.frame].refusedAt[start.token] = i;
            return;
        }
    }
}

std::optional<DeclarationRefusal> DirectiveFeed::RefusalAgain(const ValueStart& start) {
    if (start.frame + 1 != m_open.size() || m_open.back().macro.get() != start.text)
        return std::nullopt;
    OpenFile& top = m_open.back();
    const auto known = top.refusedAt.find(start.token);
    if (known == top.refusedAt.end())
        return std::nullopt;
    const std::vector<PovToken>& body = start.text->body;
    const std::size_t at = known->second;
    // Before the name: only what evaluates the same way on every pass, or refuses anyway.
    const auto plain = [this](const PovToken& token) {
        switch (token.kind) {
        case PovToken::Number:
            return true;
        case PovToken::Symbol:
            return !PovLanguage::IsOneOf(token.text, {"{", "}", ";", "?", ":", "&", "|"});
        case PovToken::Word:
            if (const Symbol* symbol = Lookup(token.text))
                return symbol->value && !symbol->macro && !symbol->definition &&
                       std::holds_alternative<PovNumber>(*symbol->value);
            return ExpressionReader::IsPlainWord(token.text);
        default:
            return false;
        }
    };
    for (std::size_t i = start.token; i < at; ++i)
        if (!plain(body[i]))
            return std::nullopt;
    const PovToken& word = body[at];
    const Symbol* symbol = Lookup(word.text);
    if (!symbol || symbol->macro || symbol->definition)
        return std::nullopt;
    const bool called = at + 1 < body.size() && body[at + 1].IsSymbol("(");
    if (symbol->value && !(called && ExpressionReader::IsFunction(*symbol)))
        return std::nullopt;
    DeclarationRefusal refusal = symbol->value ? m_expressions.FunctionCall(word, *symbol)
                                               : m_expressions.SkippedUse(word, *symbol);
    // After it, what passing over would only count: no block, no draw of a random number.
    std::size_t end = at + 1;
    while (end < body.size() &&
           (body[end].kind == PovToken::Number || body[end].kind == PovToken::String ||
            (body[end].kind == PovToken::Word && body[end].text != "rand") ||
            (body[end].kind == PovToken::Symbol &&
             !PovLanguage::IsOneOf(body[end].text, {"{", "}", ";"}))))
        ++end;
    if (end < body.size() && (body[end].kind == PovToken::Directive || body[end].IsSymbol(";") ||
                              body[end].IsSymbol("}"))) {
        m_budget.Tokens(end - top.nextToken, body[end].at);
        m_lastWord = body[end - 1].kind == PovToken::Word ? body[end - 1].text : std::string();
        top.nextToken = end;
        m_peeked.reset();
    }
    return refusal;
}

void DirectiveFeed::TakeElement(const PovToken& array, const std::vector<Symbol>& elements) {
    if (!PeekRaw().IsSymbol("["))
        m_expressions.Refuse(array.at, "the array " + array.text + " stands where one value does");
    TakeRaw();
    double index = 0.0;
    {
        // The index is no part of the value's text: the element it chooses is.
        const Capturing paused(*this, nullptr);
        index = m_expressions.Float();
    }
    if (!Peek().IsSymbol("]"))
        m_expressions.Refuse(array.at, "expected ']' after the index of " + array.text);
    TakeRaw();
    if (!(index >= 0.0) || index >= static_cast<double>(elements.size()))
        m_expressions.Refuse(array.at, array.text + "[" + SourceWriter::NumberText(index) +
                                           "] is not one of its " +
                                           std::to_string(elements.size()) + " elements");
    const auto chosen = static_cast<std::size_t>(index);
    // No identifier can hold '#': the name is the element's own.
    const std::string name = array.text + "#" + std::to_string(chosen);
    m_elements.insert_or_assign(name, elements[chosen]);
    InjectAsRead({MadeToken(PovToken::Word, name, array.at)});
}

void DirectiveFeed::SkipRestOfValue() {
    DropFrames(m_valueFiles.back());
    // What is passed over is not carried out: a macro in it is not called.
    const bool skipping = std::exchange(m_skipping, true);
    struct Restore {
        bool& flag;
        bool saved;
        ~Restore() { flag = saved; }
    } restore{m_skipping, skipping};
    const int base = m_valueBases.back();
    while (true) {
        const PovToken& next = Peek();
        if (next.kind == PovToken::End)
            return;
        if (Depth() <= base &&
            (next.kind == PovToken::Directive || next.kind == PovToken::FileEnd ||
             next.IsSymbol(";") || next.IsSymbol("}")))
            return;
        const PovToken taken = Take();
        if (taken.IsSymbol("}") && Depth() == base && !PeekRaw().IsWord("texture"))
            return;
    }
}

std::string DirectiveFeed::FindInclude(const std::string& name, const PovToken& directive) const {
    std::vector<std::string> folders;
    // A text without a file (a pasted one) has no folder of its own to look in.
    const std::string& including = m_open.back().path;
    if (!including.empty())
        folders.push_back(FolderOf(including));
    folders.insert(folders.end(), m_search.includePaths.begin(), m_search.includePaths.end());
    if (!m_search.libraryFolder.empty())
        folders.push_back(m_search.libraryFolder);
    for (const std::string& folder : folders) {
        std::string path = JoinPath(folder, name);
        if (m_files.Exists(path))
            return path;
    }
    Fail(directive.at, "the include file \"" + name + "\" cannot be found");
}

void DirectiveFeed::Include(const PovToken& directive) {
    std::string name;
    {
        ValueScope scope(*this);
        try {
            name = Unescaped(m_expressions.String());
        } catch (const DeclarationRefusal& refusal) {
            Fail(refusal.Where(), "the file name of the #include cannot be evaluated: " +
                                      std::string(refusal.what()));
        }
    }
    const std::string path = FindInclude(name, directive);
    if (m_open.size() > kMaxIncludeDepth) {
        // Name the loop: from the first time the file was opened to the next.
        std::vector<std::string> chain;
        for (const OpenFile& open : m_open)
            chain.push_back(open.path.empty() ? InputFileName() : open.path);
        chain.push_back(path);
        const auto first = std::find(chain.begin(), chain.end(), path);
        const auto again = std::find(first + 1, chain.end(), path);
        if (again == chain.end())
            Fail(directive.at,
                 "includes nest more than " + std::to_string(kMaxIncludeDepth) + " files deep");
        std::string loop;
        for (auto file = first; file <= again; ++file)
            loop += (loop.empty() ? "" : " -> ") + BaseName(*file);
        Fail(directive.at, "the includes loop: " + loop);
    }
    std::string error;
    auto contents = m_files.Read(path, error);
    if (!contents)
        Fail(directive.at, error);
    m_budget.File(contents->size(), directive.at);
    const int index = static_cast<int>(m_fileNames.size());
    m_fileNames.push_back(path);
    OpenFile file;
    file.text = std::make_unique<std::string>(std::move(*contents));
    file.lexer = std::make_unique<PovLexer>(*file.text, index);
    file.path = path;
    file.chosen = m_host.Included(path);
    file.conditionals = m_conditionals.size();
    m_open.back().resume = std::move(m_peeked);
    m_peeked.reset();
    m_open.push_back(std::move(file));
    m_symbols.EnterFile();
}

std::optional<bool> DirectiveFeed::Condition(std::string& reason) {
    ValueScope scope(*this);
    try {
        const double value = m_expressions.Float();
        return std::abs(value) > 1e-10;
    } catch (const DeclarationRefusal& refusal) {
        reason = refusal.what();
        return std::nullopt;
    }
}

void DirectiveFeed::PushConditional(const PovToken& directive) {
    if (m_conditionals.size() >= m_budget.Limits().directiveNesting)
        Fail(directive.at, "#if, #while and the like nest more than " +
                               std::to_string(m_budget.Limits().directiveNesting) + " levels deep");
    m_conditionals.push_back({directive.at, m_open.size()});
}

std::optional<std::string> DirectiveFeed::If(const PovToken& directive) {
    std::string reason;
    const std::optional<bool> test = Condition(reason);
    if (!test) {
        reason = "the #if at " + Describe(directive.at) +
                 ", whose condition cannot be evaluated: " + reason;
        SkipUnevaluated(directive, "it is declared inside " + reason);
        return reason;
    }
    if (*test) {
        PushConditional(directive);
        return std::nullopt;
    }
    return FollowBranches(directive);
}

std::optional<std::string> DirectiveFeed::Ifdef(const PovToken& directive) {
    const PovToken open = TakeRaw();
    const PovToken name = TakeRaw();
    if (!open.IsSymbol("(") || name.kind != PovToken::Word)
        Fail(directive.at, "expected (identifier) after #" + directive.text);
    std::string reason;
    if (PeekRaw().IsSymbol("["))
        reason = "it asks about an element of an array";
    else if (!PeekRaw().IsSymbol(")"))
        Fail(directive.at, "expected ')' after the identifier of #" + directive.text);
    bool defined = false;
    if (reason.empty()) {
        TakeRaw();
        const Symbol* symbol = m_symbols.Find(name.text);
        if (symbol && !symbol->value && !symbol->macro)
            reason = name.text + " was skipped: " + symbol->refusal;
        defined = symbol != nullptr;
    }
    if (!reason.empty()) {
        reason = "the #" + directive.text + " at " + Describe(directive.at) +
                 ", which cannot be decided: " + reason;
        SkipUnevaluated(directive, "it is declared inside " + reason);
        return reason;
    }
    if (defined == (directive.text == "ifdef")) {
        PushConditional(directive);
        return std::nullopt;
    }
    return FollowBranches(directive);
}

std::optional<std::string> DirectiveFeed::FollowBranches(const PovToken& directive) {
    // The condition was false: pass over the branch to the next one that may be taken.
    while (true) {
        const PovToken stop = SkipRegion(directive, true, nullptr);
        if (stop.text == "end")
            return std::nullopt;
        if (stop.text == "else") {
            PushConditional(directive);
            return std::nullopt;
        }
        std::string reason;
        const std::optional<bool> test = Condition(reason);
        if (!test) {
            std::string undecided = "the #elseif at ";
            undecided.append(Describe(stop.at))
                .append(", whose condition cannot be evaluated: ")
                .append(reason);
            SkipUnevaluated(stop, "it is declared inside " + undecided);
            return undecided;
        }
        if (*test) {
            PushConditional(directive);
            return std::nullopt;
        }
    }
}

void DirectiveFeed::ValueConditionals() {
    // POV-Ray carries out directives wherever they stand, also where a value starts:
    // "#declare X = #if (A) texture { ... } #else texture { ... } #end".
    while (true) {
        const PovToken& next = Peek();
        if (next.kind != PovToken::Directive ||
            !PovLanguage::IsOneOf(next.text, {"if", "ifdef", "ifndef"}))
            return;
        const PovToken directive = TakeRaw();
        const std::optional<std::string> undecided =
            directive.text == "if" ? If(directive) : Ifdef(directive);
        if (undecided)
            m_expressions.Refuse(directive.at, "its value is chosen by " + *undecided);
    }
}

void DirectiveFeed::Else(const PovToken& directive) {
    if (m_conditionals.empty() || m_conditionals.back().fileDepth != m_open.size())
        Fail(directive.at, "#" + directive.text + " without #if");
    // The branch before was taken: the rest up to #end is passed over.
    SkipRegion(directive, false, nullptr);
    m_conditionals.pop_back();
}

void DirectiveFeed::EndDirective(const PovToken& directive) {
    if (m_conditionals.empty() || m_conditionals.back().fileDepth != m_open.size())
        Fail(directive.at, "#end without #if");
    m_conditionals.pop_back();
}

std::shared_ptr<const WrittenSource> DirectiveFeed::Written(const Captured& captured) const {
    return SourceWriter::Write(captured.tokens, [this, &captured](const std::string& name) {
        const auto alias = captured.aliases.find(name);
        return alias != captured.aliases.end() ? &alias->second : Lookup(name);
    });
}

void DirectiveFeed::Macro(const PovToken& directive) {
    const PovToken name = TakeRaw();
    if (name.kind != PovToken::Word)
        Fail(name.at, "expected the macro's name after #macro");
    auto definition = std::make_shared<MacroDefinition>();
    // Optional parameters are not carried out: calls of such a macro are refused.
    bool optional = false;
    const PovToken open = TakeRaw();
    if (!open.IsSymbol("("))
        Fail(open.at, "expected '(' after the macro's name");
    for (PovToken token = TakeRaw(); !token.IsSymbol(")"); token = TakeRaw()) {
        if (token.IsWord("optional"))
            optional = true;
        else if (token.kind == PovToken::Word)
            definition->parameters.push_back(token.text);
        else if (!token.IsSymbol(","))
            Fail(token.at, "expected a parameter of the macro but found " + Described(token));
    }
    SkipRegion(directive, false, nullptr, &definition->body);
    CountMade(definition->body.size() * sizeof(PovToken), directive.at);
    Symbol symbol;
    symbol.macro = true;
    symbol.where = directive.at;
    if (!optional)
        symbol.definition = std::move(definition);
    m_symbols.Declare(name.text, std::move(symbol), false);
}

void DirectiveFeed::While(const PovToken& directive) {
    Captured condition;
    condition.verbatim = true;
    std::string reason;
    std::optional<bool> test;
    {
        Capturing capture(*this, condition);
        test = Condition(reason);
    }
    if (!test) {
        SkipUnevaluated(directive, "it is declared inside the #while at " + Describe(directive.at) +
                                       ", whose condition cannot be evaluated: " + reason);
        return;
    }
    auto loop = std::make_shared<MacroDefinition>();
    SkipRegion(directive, false, nullptr, &loop->body);
    if (!*test)
        return;
    // The condition is read again as written: its numbers by their text.
    for (PovToken& token : condition.tokens)
        if (token.kind == PovToken::Number)
            std::from_chars(token.text.data(), token.text.data() + token.text.size(), token.number);
    StartLoop(std::move(loop), std::move(condition.tokens), directive.at);
}

void DirectiveFeed::StartLoop(std::shared_ptr<MacroDefinition> loop,
                              std::vector<PovToken> condition, SourcePosition at) {
    PovToken marker;
    marker.kind = PovToken::Directive;
    marker.text = kLoopMarker;
    marker.at = at;
    loop->body.push_back(std::move(marker));
    CountMade(loop->body.size() * sizeof(PovToken), at);
    for (PovToken& token : condition)
        token.at = at;
    EnterFrame(std::move(loop), at);
    m_open.back().loop = true;
    m_open.back().loopCondition = std::move(condition);
    ++m_loops;
}

void DirectiveFeed::For(const PovToken& directive) {
    const auto made = [&directive](PovToken::Kind kind, std::string text, double number = 0.0) {
        return MadeToken(kind, std::move(text), directive.at, number);
    };
    const auto number = [&made](double value) {
        return made(PovToken::Number, SourceWriter::NumberText(value), value);
    };
    const auto skip = [&](const std::string& why) {
        SkipUnevaluated(directive,
                        "it is declared inside the #for at " + Describe(directive.at) + ", " + why);
    };
    if (!TakeRaw().IsSymbol("("))
        Fail(directive.at, "expected '(' after #for");
    const PovToken name = TakeRaw();
    if (name.kind != PovToken::Word || !TakeRaw().IsSymbol(","))
        Fail(directive.at, "expected the counter's name and ',' after #for (");
    std::vector<double> bounds;
    {
        ValueScope scope(*this);
        try {
            for (PovToken separator = PeekRaw(); bounds.size() < 3 && !separator.IsSymbol(")");
                 separator = PeekRaw()) {
                if (!bounds.empty() && !Take().IsSymbol(","))
                    Fail(directive.at, "expected ',' between the bounds of the #for");
                bounds.push_back(m_expressions.Float());
            }
        } catch (const DeclarationRefusal& refusal) {
            while (!PeekRaw().IsSymbol(")") && PeekRaw().kind != PovToken::End)
                TakeRaw();
            TakeRaw();
            skip(std::string("whose bounds cannot be evaluated: ") + refusal.what());
            return;
        }
    }
    if (!TakeRaw().IsSymbol(")") || bounds.size() < 2)
        Fail(directive.at, "expected (counter, start, end) or (counter, start, end, step)");
    const double step = bounds.size() > 2 ? bounds[2] : 1.0;
    if (step == 0.0) {
        skip("whose step is 0");
        return;
    }
    Symbol counter;
    counter.where = directive.at;
    counter.value = std::make_shared<PovValue>(PovNumber::OfFloat(bounds[0]));
    m_symbols.Declare(name.text, std::move(counter), m_open.size() > 1);
    auto loop = std::make_shared<MacroDefinition>();
    SkipRegion(directive, false, nullptr, &loop->body);
    const bool runs = step > 0 ? bounds[0] <= bounds[1] : bounds[0] >= bounds[1];
    if (!runs)
        return;
    // Each pass ends with the counter stepped: "#local I = I + STEP".
    for (PovToken token : {made(PovToken::Directive, "local"), made(PovToken::Word, name.text),
                           made(PovToken::Symbol, "="), made(PovToken::Word, name.text),
                           made(PovToken::Symbol, "+"), number(step)})
        loop->body.push_back(std::move(token));
    StartLoop(std::move(loop),
              {made(PovToken::Symbol, "("), made(PovToken::Word, name.text),
               made(PovToken::Symbol, step > 0 ? "<=" : ">="), number(bounds[1]),
               made(PovToken::Symbol, ")")},
              directive.at);
}

void DirectiveFeed::LoopAgain(const PovToken& marker) {
    OpenFile& loop = m_open.back();
    std::string reason;
    std::optional<bool> test;
    if (++loop.passes >= m_budget.Limits().loopPasses) {
        reason = "it runs more than " + std::to_string(m_budget.Limits().loopPasses) + " times";
    } else {
        m_injected.insert(m_injected.begin(), loop.loopCondition.begin(), loop.loopCondition.end());
        test = Condition(reason);
        if (!test)
            reason = "its condition cannot be evaluated after a pass: " + reason;
    }
    if (test && *test)
        return;
    // What was looked at past the condition is the loop's own text.
    m_peeked.reset();
    const std::shared_ptr<const MacroDefinition> body = loop.macro;
    m_open.pop_back();
    --m_loops;
    if (!test)
        AbandonLoop(*body, marker, reason);
}

void DirectiveFeed::AbandonLoop(const MacroDefinition& body, const PovToken& marker,
                                const std::string& why) {
    const std::string reason =
        "it is declared inside the #while at " + Describe(marker.at) + ", which stops: " + why;
    // Inside a value the value is refused; between declarations, what the loop declares.
    if (!m_valueBases.empty()) {
        if (m_skipping)
            return;
        m_expressions.Refuse(marker.at, "the #while at " + Describe(marker.at) + " stops: " + why);
    }
    for (std::size_t i = 0; i + 1 < body.body.size(); ++i) {
        const PovToken& directive = body.body[i];
        if (!directive.Is(PovToken::Directive, "declare") &&
            !directive.Is(PovToken::Directive, "local"))
            continue;
        const std::string& name = body.body[i + 1].text;
        Poison(name, directive.at, reason, true);
        m_host.Stopped(name, directive.at, reason, marker.at);
    }
}

std::optional<std::vector<double>> DirectiveFeed::Evaluated(const std::vector<PovToken>& tokens) {
    if (tokens.size() < 2 || !tokens.front().IsSymbol("("))
        return std::nullopt;
    m_injected.insert(m_injected.begin(), tokens.begin() + 1, tokens.end());
    std::vector<double> values;
    ValueScope scope(*this);
    try {
        while (true) {
            values.push_back(m_expressions.Float());
            const PovToken separator = Take();
            if (separator.IsSymbol(")"))
                return values;
            if (!separator.IsSymbol(","))
                return std::nullopt;
        }
    } catch (const DeclarationRefusal&) {
        return std::nullopt;
    }
}

void DirectiveFeed::EnterFrame(std::shared_ptr<const MacroDefinition> tokens, SourcePosition at) {
    OpenFile frame;
    frame.macro = std::move(tokens);
    frame.path = m_open.back().path;
    frame.conditionals = m_conditionals.size();
    frame.calledAt = at;
    if (m_peeked) {
        m_open.back().resume = std::move(m_peeked);
        m_peeked.reset();
    }
    frame.braces = m_openBraces.size();
    m_open.push_back(std::move(frame));
}

void DirectiveFeed::Switch(const PovToken& directive) {
    std::optional<double> value;
    std::string reason;
    {
        ValueScope scope(*this);
        try {
            value = m_expressions.Float();
        } catch (const DeclarationRefusal& refusal) {
            reason = refusal.what();
        }
    }
    if (!value) {
        SkipUnevaluated(directive, "it is declared inside the #switch at " +
                                       Describe(directive.at) +
                                       ", whose value cannot be evaluated: " + reason);
        return;
    }
    std::vector<PovToken> region;
    SkipRegion(directive, false, nullptr, &region);
    // The clause chosen runs on through the clauses after it up to a #break, as in POV-Ray.
    auto chosen = std::make_shared<MacroDefinition>();
    bool running = false;
    int level = 0;
    for (std::size_t i = 0; i < region.size(); ++i) {
        const PovToken& token = region[i];
        const bool clause = level == 0 && token.kind == PovToken::Directive &&
                            (token.text == "case" || token.text == "range" ||
                             token.text == "else" || token.text == "break");
        if (!clause) {
            if (token.kind == PovToken::Directive && OpensRegion(token.text))
                ++level;
            else if (token.kind == PovToken::Directive && token.text == "end")
                --level;
            if (running)
                chosen->body.push_back(token);
            continue;
        }
        if (token.text == "break") {
            if (running)
                break;
            continue;
        }
        std::vector<PovToken> test;
        if (token.text != "else")
            for (int depth = 0; i + 1 < region.size();) {
                const PovToken& next = region[++i];
                test.push_back(next);
                depth += next.IsSymbol("(") ? 1 : next.IsSymbol(")") ? -1 : 0;
                if (depth == 0)
                    break;
            }
        if (running)
            continue;
        if (token.text == "else") {
            running = true;
        } else if (const auto bounds = Evaluated(test)) {
            constexpr double kSlack = 1e-10;
            running =
                token.text == "case"
                    ? bounds->size() == 1 && std::abs(bounds->front() - *value) < kSlack
                    : bounds->size() == 2 && bounds->front() <= *value && *value <= bounds->back();
        }
    }
    CountMade(chosen->body.size() * sizeof(PovToken), directive.at);
    if (!chosen->body.empty())
        EnterFrame(std::move(chosen), directive.at);
}

void DirectiveFeed::CallMacro(const PovToken& name,
                              std::shared_ptr<const MacroDefinition> definition) {
    const std::string called = "the macro " + name.text;
    // The call itself is no part of the value's text: what the macro gives is.
    const Capturing paused(*this, nullptr);
    if (!Take().IsSymbol("("))
        m_expressions.Refuse(name.at, "expected '(' after " + called);
    const std::vector<std::string>& parameters = definition->parameters;
    std::vector<Symbol> arguments;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        Symbol argument;
        argument.where = name.at;
        Captured taken;
        {
            ValueScope scope(*this);
            Capturing capture(*this, taken);
            argument.value = m_host.Value();
        }
        argument.source = Written(taken);
        argument.textureLike = std::holds_alternative<PovPigment>(*argument.value) ||
                               std::holds_alternative<PovTexture>(*argument.value);
        arguments.push_back(std::move(argument));
        const bool last = i + 1 == parameters.size();
        const PovToken separator = Take();
        if (!separator.IsSymbol(last ? ")" : ","))
            m_expressions.Refuse(separator.at, called + " takes " +
                                                   std::to_string(parameters.size()) +
                                                   " arguments; expected '" + (last ? ")" : ",") +
                                                   "' but found " + Described(separator));
    }
    if (parameters.empty() && !Take().IsSymbol(")"))
        m_expressions.Refuse(name.at, called + " takes no arguments");
    if (m_open.size() > kMaxIncludeDepth)
        m_expressions.Refuse(name.at, "macros and includes nest more than " +
                                          std::to_string(kMaxIncludeDepth) + " deep");
    OpenFile frame;
    frame.macro = std::move(definition);
    frame.scoped = true;
    frame.path = m_open.back().path;
    frame.conditionals = m_conditionals.size();
    frame.calledAt = name.at;
    // A token looked at past the call comes after the macro's text.
    if (m_peeked) {
        m_open.back().resume = std::move(m_peeked);
        m_peeked.reset();
    }
    frame.braces = m_openBraces.size();
    m_open.push_back(std::move(frame));
    ++m_macroCalls;
    m_symbols.EnterFile();
    for (std::size_t i = 0; i < parameters.size(); ++i)
        m_symbols.Declare(parameters[i], std::move(arguments[i]), true);
}

void DirectiveFeed::SkipUnevaluated(const PovToken& directive, const std::string& reason) {
    std::vector<SkippedDeclaration> declared;
    std::vector<PovToken> passed;
    SkipRegion(directive, false, &declared, &passed);
    m_randomsRead += static_cast<std::size_t>(std::count_if(
        passed.begin(), passed.end(), [](const PovToken& t) { return t.IsWord("rand"); }));
    const bool declaring = m_host.Declaring();
    if (!declaring)
        KeepBlocksOfFirstBranch(passed);
    for (const SkippedDeclaration& skipped : declared) {
        Poison(skipped.name, skipped.where, reason, skipped.textureLike);
        if (skipped.textureLike && !declaring)
            m_host.PassedOver(skipped.name, skipped.where, reason, directive.at);
    }
}

void DirectiveFeed::KeepBlocksOfFirstBranch(const std::vector<PovToken>& passed) {
    // Branches may open blocks that the text after the #end closes ("#if (rand(S) > 0.5)
    // box { #else cylinder { #end ... }"): the blocks stand as the first branch of each #if
    // leaves them.
    std::vector<bool> laterBranch; // for each #if and the like open inside: past its first
    for (const PovToken& token : passed) {
        const bool counted =
            std::find(laterBranch.begin(), laterBranch.end(), true) == laterBranch.end();
        if (token.kind == PovToken::Directive) {
            if (OpensRegion(token.text)) {
                laterBranch.push_back(false);
            } else if (token.text == "end") {
                if (!laterBranch.empty())
                    laterBranch.pop_back();
            } else if (token.text == "else" || token.text == "elseif") {
                if (laterBranch.empty())
                    return;
                laterBranch.back() = true;
            }
        } else if (counted &&
                   (token.IsSymbol("{") || (token.IsSymbol("}") && !m_openBraces.empty()))) {
            Consumed(token);
        }
    }
}

PovToken DirectiveFeed::RawForSkip(const PovToken& opener) {
    PovToken token;
    if (m_peeked) {
        token = std::move(*m_peeked);
        m_peeked.reset();
    } else if (m_open.back().resume) {
        token = std::move(*m_open.back().resume);
        m_open.back().resume.reset();
    } else {
        token = Lex();
    }
    if (token.kind == PovToken::End || token.kind == PovToken::FileEnd)
        Fail(opener.at, "the #" + opener.text + " here is never closed with #end");
    return token;
}

PovToken DirectiveFeed::SkipRegion(const PovToken& opener, bool stopAtBranch,
                                   std::vector<SkippedDeclaration>* declared,
                                   std::vector<PovToken>* passed) {
    std::vector<std::string> open; // directives opened inside the region
    std::optional<PovToken> pending;
    const bool openerIsMacro = opener.text == "macro";
    // The #if of an #else being passed over is open already.
    const std::size_t outer =
        m_conditionals.size() + (opener.text == "else" || opener.text == "elseif" ? 0 : 1);
    while (true) {
        PovToken token = pending ? std::move(*pending) : RawForSkip(opener);
        pending.reset();
        if (passed)
            passed->push_back(token);
        if (token.kind != PovToken::Directive)
            continue;
        const std::string& d = token.text;
        if (OpensRegion(d)) {
            if (outer + open.size() >= m_budget.Limits().directiveNesting)
                Fail(token.at, "#if, #while and the like nest more than " +
                                   std::to_string(m_budget.Limits().directiveNesting) +
                                   " levels deep");
            open.push_back(d);
        } else if (d == "end") {
            if (open.empty()) {
                if (passed)
                    passed->pop_back();
                return token;
            }
            open.pop_back();
        } else if (open.empty() && stopAtBranch && (d == "else" || d == "elseif")) {
            return token;
        } else if (declared && (d == "declare" || d == "local") && !openerIsMacro &&
                   std::find(open.begin(), open.end(), "macro") == open.end()) {
            PovToken name = RawForSkip(opener);
            if (name.kind != PovToken::Word) {
                pending = std::move(name);
                continue;
            }
            PovToken equals = RawForSkip(opener);
            bool textureLike = false;
            if (equals.IsSymbol("=")) {
                PovToken first = RawForSkip(opener);
                textureLike = LooksLikeTexture(first);
                pending = std::move(first);
            } else {
                pending = std::move(equals);
            }
            declared->push_back({name.text, token.at, textureLike});
        }
    }
}
