#pragma once

#include "core/povtext/language/povlexer.h"
#include "core/povtext/reading/defaulttexture.h"
#include "core/povtext/reading/expressionreader.h"
#include "core/povtext/reading/importbudget.h"
#include "core/povtext/reading/sourcefiles.h"
#include "core/povtext/reading/symboltable.h"
#include "core/povtext/reading/tokenfeed.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

/// What a DirectiveFeed leaves to the reader of declarations.
class DeclarationHost {
public:
    virtual ~DeclarationHost() = default;

    /// Carries out `directive` when it is a #declare or #local; false for any other.
    virtual bool Declare(const PovToken& directive) = 0;
    /// Reads a value as a declaration's, for an argument of a macro.
    virtual std::shared_ptr<const PovValue> Value() = 0;
    /// What the standard include files declare as `name`, or null.
    virtual const Symbol* LibrarySymbol(const std::string& name) const = 0;
    /// The file `path` is included; true when it is one of the files chosen to be read.
    virtual bool Included(const std::string& path) = 0;
    /// Whether the value of a declaration is being read.
    virtual bool Declaring() const = 0;
    /// A texture-like declaration of `name` at `where`, between declarations in text passed
    /// over: refused for `reason` by the directive at `at`.
    virtual void PassedOver(const std::string& name, SourcePosition where,
                            const std::string& reason, SourcePosition at) = 0;
    /// The declarations of `name` at `where` in a loop that stopped at `at` are refused for
    /// `reason`.
    virtual void Stopped(const std::string& name, SourcePosition where, const std::string& reason,
                         SourcePosition at) = 0;
};

/// The tokens of a scene with its directives carried out: the files and what they include,
/// #if/#ifdef/#ifndef/#elseif/#else/#end, #while, #for, #switch, macros and their calls,
/// #default, #undef, #version; #debug and #warning read and ignored; an #error refuses what
/// follows it. Declarations are its host's.
class DirectiveFeed final : public TokenFeed {
public:
    struct Search {
        std::vector<std::string> includePaths;
        std::string libraryFolder;
        /// Identifiers the text does not declare are asked of the host's library.
        bool libraryFallback = false;
    };

    /// Reads `files`, counted against `budget`, declaring into `symbols` and naming each file
    /// it reads in `fileNames`.
    DirectiveFeed(SourceFiles& files, ImportBudget& budget, SymbolTable& symbols,
                  std::vector<std::string>& fileNames, DeclarationHost& host, Search search);
    ~DirectiveFeed() override;
    DirectiveFeed(const DirectiveFeed&) = delete;
    DirectiveFeed& operator=(const DirectiveFeed&) = delete;

    /// Starts on `text`, the file numbered `index` (at `path`; empty for a pasted text).
    void Open(std::unique_ptr<std::string> text, int index, std::string path);
    void Close();

    // TokenFeed
    const PovToken& Peek() override;
    PovToken Take() override;
    const PovToken& PeekRaw() override;
    const Symbol* Lookup(const std::string& name) const override;
    const Symbol* LookupDeclared(const std::string& name) const override;
    double LanguageVersion() const override { return m_version; }
    std::string InputFileName() const override;
    std::string Describe(SourcePosition where) const override;
    void Descend(SourcePosition where) override;
    void Ascend() override { --m_nesting; }
    void CountMade(std::size_t bytes, SourcePosition where) override;
    double Seed(double value) override;
    double Random(double stream, SourcePosition where) override;
    std::size_t TakenMark() const override;
    void WriteTakenAs(std::size_t mark, double number) override;
    void PutNext(std::vector<PovToken> tokens) override { InjectAsRead(std::move(tokens)); }

    /// The next token as written, taken without carrying out a directive.
    PovToken TakeRaw();
    ExpressionReader& Expressions() { return m_expressions; }

    /// How many files, macros and loops are open.
    std::size_t Frames() const;
    /// How many files deep the text being read is included (macros and loops aside).
    std::size_t IncludeDepth() const;
    /// Whether the text being read is that of a chosen file another one includes.
    bool InChosenFile() const;
    bool InLoop() const { return m_loops > 0; }
    /// Whether the innermost open block is one of `keyword`.
    bool InBlock(std::string_view keyword) const;
    bool LooksLikeTexture(const PovToken& first) const;
    /// Carries out the #if, #ifdef and #ifndef that stand where a value starts.
    void ValueConditionals();
    /// Passes over the rest of the value being read, which was refused.
    void SkipRestOfValue();
    /// An #error read in the file: declarations after it are refused.
    const std::optional<Placed<std::string>>& Stop() const { return m_stop; }
    /// The last #default that could not be folded into what follows it.
    const std::optional<SourcePosition>& UnfoldedDefault() const { return m_default; }
    /// The #version the file opened starts with, before anything else.
    const std::optional<double>& StartVersion() const { return m_startVersion; }
    /// Something other than a directive was read: a #version after it starts nothing.
    void PassFileStart() { m_atFileStart = false; }

    /// Marks the tokens read while it lives as one value: a directive at the brace depth where
    /// it began ends the value instead of being carried out inside it.
    class ValueScope {
    public:
        explicit ValueScope(DirectiveFeed& feed);
        ~ValueScope();
        ValueScope(const ValueScope&) = delete;
        ValueScope& operator=(const ValueScope&) = delete;

    private:
        DirectiveFeed& m_feed;
    };
    /// The tokens taken for a value, and what the macro parameters and locals among them
    /// stand for, under names of their own: those end with their macro, the value's text does
    /// not.
    struct Captured {
        std::vector<PovToken> tokens;
        std::unordered_map<std::string, Symbol> aliases;
        /// Keeps the names as written, to be read again (a #while's condition).
        bool verbatim = false;
    };
    /// Collects the tokens taken while it lives into `captured`.
    class Capturing {
    public:
        Capturing(DirectiveFeed& feed, Captured& captured)
            : m_feed(feed), m_saved(std::exchange(feed.m_capture, &captured)) {}
        /// Collects nothing while it lives: what a directive, a call or an index reads is no
        /// part of the value.
        Capturing(DirectiveFeed& feed, std::nullptr_t)
            : m_feed(feed), m_saved(std::exchange(feed.m_capture, nullptr)) {}
        ~Capturing() { m_feed.m_capture = m_saved; }
        Capturing(const Capturing&) = delete;
        Capturing& operator=(const Capturing&) = delete;

    private:
        DirectiveFeed& m_feed;
        Captured* m_saved;
    };
    std::shared_ptr<const WrittenSource> Written(const Captured& captured) const;

    /// Where a value about to be read starts in a macro's or loop's text, to be known again
    /// on the loop's next pass.
    struct ValueStart {
        std::size_t frame = 0;
        const MacroDefinition* text = nullptr;
        std::size_t token = 0;
    };
    std::optional<ValueStart> StartInText() const;
    /// The value at `start` was refused: when for a skipped name it uses or a function it
    /// calls, that name's place is kept with the text.
    void RememberRefusal(const ValueStart& start, const DeclarationRefusal& refusal);
    /// On a later pass, the refusal the value at `start` meets again when nothing read before
    /// the skipped name could end otherwise; its plain text up to its end is then passed over
    /// at once.
    std::optional<DeclarationRefusal> RefusalAgain(const ValueStart& start);

    /// How deep blocks, parentheses and includes may nest.
    static constexpr int kMaxNesting = 128;
    static constexpr std::size_t kMaxIncludeDepth = 16;

private:
    struct OpenFile;
    struct OpenConditional {
        SourcePosition where;
        std::size_t fileDepth;
    };
    struct SkippedDeclaration {
        std::string name;
        SourcePosition where;
        bool textureLike;
    };

    /// The next token of the innermost open file, counted against the budget.
    PovToken Lex();
    PovToken NextFromFiles();
    /// Keeps count of the blocks a taken token opens and closes, and leaves an included file
    /// at its end.
    void Consumed(const PovToken& token);
    bool AtValueLevel() const;
    int Depth() const { return static_cast<int>(m_openBraces.size()); }

    void HandleDirective(const PovToken& directive);
    void Default(const PovToken& directive);
    /// Puts what #default set at the start of the block just opened, as POV-Ray starts each
    /// texture, pigment, normal and finish from the default one.
    void FoldDefaults();
    /// Before the "}" of a texture that started from the default: the default parts it did
    /// not set.
    void FoldDefaultsAtEnd();
    void Inject(std::vector<PovToken> tokens);
    /// Puts `tokens` before what follows, where they were read.
    void InjectAsRead(std::vector<PovToken> tokens);
    /// A declared pigment, normal or finish standing in a texture that started from the
    /// default replaces that part of it.
    void DeclaredPart(const PovToken& word);
    /// Leaves the macros, loops and clauses opened since `keep` files were open.
    void DropFrames(std::size_t keep);
    void Include(const PovToken& directive);
    std::string FindInclude(const std::string& name, const PovToken& directive) const;
    /// These return why the branch to take could not be decided, after passing over the
    /// whole #if; nothing when it was.
    std::optional<std::string> If(const PovToken& directive);
    std::optional<std::string> Ifdef(const PovToken& directive);
    std::optional<std::string> FollowBranches(const PovToken& directive);
    void PushConditional(const PovToken& directive);
    void Else(const PovToken& directive);
    void EndDirective(const PovToken& directive);
    void Macro(const PovToken& directive);
    /// Carries out a #while: its text is read again after each pass whose condition holds.
    void While(const PovToken& directive);
    /// Carries out a #for as the #while it stands for, its counter stepped after each pass.
    void For(const PovToken& directive);
    /// Goes on in `loop`'s text while `condition` holds.
    void StartLoop(std::shared_ptr<MacroDefinition> loop, std::vector<PovToken> condition,
                   SourcePosition at);
    /// At the end of a pass of a #while: tests its condition again, and leaves it when false.
    void LoopAgain(const PovToken& marker);
    /// A loop stopped short (too many passes, a condition that cannot be evaluated): the value
    /// it stands in is refused, or what it declares.
    void AbandonLoop(const MacroDefinition& body, const PovToken& marker, const std::string& why);
    /// Carries out a #switch: the text of the clause its value chooses, up to its #break.
    void Switch(const PovToken& directive);
    /// Reads `tokens` (a parenthesized list) as numbers; nothing when one cannot be evaluated.
    std::optional<std::vector<double>> Evaluated(const std::vector<PovToken>& tokens);
    /// Goes on in `tokens` before what follows in the file: a macro's, a loop's or a clause's.
    void EnterFrame(std::shared_ptr<const MacroDefinition> tokens, SourcePosition at);
    /// Reads the arguments of a call of `name` and goes on in the macro's text, with its
    /// parameters declared as locals.
    void CallMacro(const PovToken& name, std::shared_ptr<const MacroDefinition> definition);
    void SkipUnevaluated(const PovToken& directive, const std::string& reason);
    /// After an array's name: its index, put back as a name that stands for the element.
    void TakeElement(const PovToken& array, const std::vector<Symbol>& elements);
    /// Opens and closes the blocks the first branch of a passed-over #if opens and closes.
    void KeepBlocksOfFirstBranch(const std::vector<PovToken>& passed);
    void OtherDirective(const PovToken& directive);
    /// Passes over raw text up to the #end that closes `opener` (or, with `stopAtBranch`, an
    /// #else or #elseif at its level), which it returns. Declarations passed over are listed in
    /// `declared` when given, the tokens passed over put in `passed`.
    PovToken SkipRegion(const PovToken& opener, bool stopAtBranch,
                        std::vector<SkippedDeclaration>* declared,
                        std::vector<PovToken>* passed = nullptr);
    PovToken RawForSkip(const PovToken& opener);
    std::optional<bool> Condition(std::string& reason);
    void Poison(const std::string& name, SourcePosition where, const std::string& reason,
                bool textureLike);
    [[noreturn]] static void Fail(SourcePosition where, const std::string& message);

    SourceFiles& m_files;
    ImportBudget& m_budget;
    SymbolTable& m_symbols;
    std::vector<std::string>& m_fileNames;
    DeclarationHost& m_host;
    Search m_search;
    std::size_t m_lexed = 0;
    /// The state of each stream seed() started.
    std::vector<std::uint32_t> m_randomStreams;
    /// The rand() calls read and those evaluated, and where the first passed over stood.
    std::size_t m_randomsRead = 0;
    std::size_t m_randomsDrawn = 0;
    std::optional<SourcePosition> m_randomPassed;
    std::vector<OpenFile> m_open;
    std::optional<PovToken> m_peeked;
    ExpressionReader m_expressions;
    std::vector<OpenConditional> m_conditionals;
    /// The brace depth of each value being read: a directive at that depth ends the value.
    std::vector<int> m_valueBases;
    /// The files open when each value began: a macro or loop opened since is carried out.
    std::vector<std::size_t> m_valueFiles;
    /// The elements of arrays used so far, by the names TakeElement gave them.
    std::unordered_map<std::string, Symbol> m_elements;
    std::vector<SourcePosition> m_openBraces;
    int m_nesting = 0;
    double m_version = 3.7;
    /// Whether nothing has been read of the file opened yet, and the #version it starts with.
    bool m_atFileStart = false;
    std::optional<double> m_startVersion;
    std::optional<SourcePosition> m_default;
    DefaultTexture m_defaults;
    SourcePosition m_defaultAt;
    /// Tokens read before the file's next ones: the defaults folded into a block.
    std::deque<PovToken> m_injected;
    /// Each open "{": the keyword before it (empty when none), and in a texture that starts
    /// from the default one, which of its parts have been set.
    struct OpenBlock {
        std::string keyword;
        bool fromDefault = false;
        bool pigment = false, normal = false, finish = false;
    };
    std::vector<OpenBlock> m_openBlocks;
    std::string m_lastWord;
    std::optional<Placed<std::string>> m_stop;
    /// Where the tokens taken for the value being declared go; null while a directive runs.
    Captured* m_capture = nullptr;
    /// How many of the open files are macros being carried out.
    int m_macroCalls = 0;
    /// How many #while loops are being carried out.
    int m_loops = 0;
    /// The rest of a refused value is being passed over.
    bool m_skipping = false;
};
