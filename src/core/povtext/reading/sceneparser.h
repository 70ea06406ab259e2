#pragma once

#include "core/model/scenegamma.h"
#include "core/povtext/language/povlexer.h"
#include "core/povtext/reading/blockreader.h"
#include "core/povtext/reading/defaulttexture.h"
#include "core/povtext/reading/expressionreader.h"
#include "core/povtext/reading/importbudget.h"
#include "core/povtext/reading/sourcefiles.h"
#include "core/povtext/reading/symboltable.h"
#include "core/povtext/reading/tokenfeed.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

/// A declaration read from one of the files given to the parser that is, or was meant to be, a
/// texture, pigment or material. A file that declares none itself gives those of the files it
/// includes, the least deeply included first found.
struct ReadDeclaration {
    std::string name;
    /// How many includes deep it was declared: 0 in a file given.
    std::size_t includeDepth = 0;
    /// Declared in a file chosen to be read that another file includes.
    bool inChosenFile = false;
    SourcePosition where; ///< the #declare or #local
    /// The "//" comment lines directly above the declaration.
    std::vector<std::string> comment;
    std::shared_ptr<const PovValue> value; ///< null when the declaration was refused
    std::string refusal;
    SourcePosition refusalWhere;
    /// A #default read before the declaration that could not be folded into it, which
    /// changes what it means.
    std::optional<SourcePosition> afterDefault;
    /// The value written out again (null when refused).
    std::shared_ptr<const WrittenSource> source;
    /// The scene gamma the file given to Read declares (see DeclaredSceneGamma): by the
    /// #version it starts with or the assumed_gamma of its global_settings, its includes aside.
    std::optional<SceneGamma> sceneGamma;
};

/// Reads POV-Ray scene-language text: a tokenizer and a recursive-descent parser that carries
/// out the directives (#declare, #local, #include, #if/#ifdef/#ifndef/#elseif/#else/#end,
/// #undef, #version; #debug and #warning read and ignored; #macro bodies skipped; an #error
/// refuses what follows it) and
/// evaluates what is declared. Whatever cannot be evaluated refuses only the declarations that
/// depend on it; text that cannot be read at all refuses the file with SourceSyntaxError.
class SceneParser : public TokenFeed {
public:
    struct Options {
        std::vector<std::string> includePaths;
        std::string libraryFolder = kPovRayLibraryFolder;
        /// Identifiers the text does not declare are looked up in kStandardIncludeFiles.
        bool libraryFallback = false;
    };

    /// Counts what it reads against `budget`, or against the default limits when none is given.
    SceneParser(SourceFiles& files, Options options, ImportBudget* budget = nullptr);
    ~SceneParser() override;

    /// Reads one file as the next part of one scene: what earlier files declared stays known.
    /// The text is `text` when given (a pasted text, named `name`), else the file `name`.
    void Read(const std::string& name, const std::optional<std::string>& text = std::nullopt);

    /// The files to be read as given: where one of them includes another, what the included
    /// one declares is kept as if it were read on its own.
    void Choose(const std::vector<std::string>& paths);
    /// Whether the file was read already, given or included.
    bool WasRead(const std::string& path) const;

    const std::vector<ReadDeclaration>& Declarations() const { return m_declarations; }
    const std::vector<std::string>& FileNames() const { return m_fileNames; }
    /// The files given to Read that declare a scene gamma, with the one each declares.
    const std::vector<std::pair<std::string, SceneGamma>>& DeclaredGammas() const {
        return m_declaredGammas;
    }
    /// The identifiers taken from the standard include files, as "White from colors.inc".
    const std::vector<std::string>& FromLibrary() const { return m_fromLibrary; }

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
    class ValueScope;

    void Statements();
    bool IsChosen(const std::string& path) const;
    /// Whether the text being read is that of a chosen file another one includes.
    bool InChosenFile() const;
    const Symbol* LibrarySymbol(const std::string& name) const;
    /// Of the declarations from `first` on, those of the least included files.
    void KeepShallowest(std::size_t first);
    /// How many files deep the text being read is included (macros and loops aside).
    std::size_t IncludeDepth() const;
    /// The next token of the innermost open file, counted against the budget.
    PovToken Lex();
    PovToken NextFromFiles();
    PovToken TakeRaw();
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
    void Declaration(const PovToken& directive, bool local);
    /// Reads the value of the declaration `record` of `name` (after its "=" unless `awaited`),
    /// declares it and keeps the record of a texture, pigment or material.
    void DeclareValue(ReadDeclaration record, const PovToken& name, bool local, bool awaited);
    /// Reads the value that follows the declarations standing where an earlier one's began.
    void AwaitedValue();
    std::shared_ptr<const PovValue> DeclaredValue();
    void SkipRestOfValue();
    /// Leaves the macros, loops and clauses opened since `keep` files were open.
    void DropFrames(std::size_t keep);
    bool LooksLikeTexture(const PovToken& first) const;
    void Include(const PovToken& directive);
    std::string FindInclude(const std::string& name, const PovToken& directive) const;
    /// These return why the branch to take could not be decided, after passing over the
    /// whole #if; nothing when it was.
    std::optional<std::string> If(const PovToken& directive);
    std::optional<std::string> Ifdef(const PovToken& directive);
    std::optional<std::string> FollowBranches(const PovToken& directive);
    /// Carries out the #if, #ifdef and #ifndef that stand where a value starts.
    void ValueConditionals();
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
    [[noreturn]] void Fail(SourcePosition where, const std::string& message) const;

    SourceFiles& m_files;
    Options m_options;
    std::unique_ptr<ImportBudget> m_ownBudget;
    ImportBudget& m_budget;
    std::size_t m_lexed = 0;
    /// Every file read, by its place's index; the standard include files join it when the
    /// text first uses what they declare.
    mutable std::vector<std::string> m_fileNames;
    std::vector<std::string> m_chosen;
    std::vector<std::string> m_readPaths;
    /// The standard include files, read when the text first uses what it does not declare.
    mutable std::unique_ptr<SceneParser> m_library;
    mutable std::vector<std::string> m_fromLibrary;
    /// What the standard include files gave, its places among this reader's files.
    mutable std::unordered_map<std::string, Symbol> m_fromLibraryFiles;
    /// The state of each stream seed() started.
    std::vector<std::uint32_t> m_randomStreams;
    /// The rand() calls read and those evaluated, and where the first passed over stood.
    std::size_t m_randomsRead = 0;
    std::size_t m_randomsDrawn = 0;
    std::optional<SourcePosition> m_randomPassed;
    std::vector<OpenFile> m_open;
    std::optional<PovToken> m_peeked;
    SymbolTable m_symbols;
    ExpressionReader m_expressions;
    BlockReader m_blocks;
    std::vector<OpenConditional> m_conditionals;
    /// The brace depth of each value being read: a directive at that depth ends the value.
    std::vector<int> m_valueBases;
    /// The files open when each value began: a macro or loop opened since is carried out.
    std::vector<std::size_t> m_valueFiles;
    std::vector<SourcePosition> m_openBraces;
    int m_nesting = 0;
    int m_declarationDepth = 0;
    double m_version = 3.7;
    /// What the file given to Read says of its scene gamma: whether nothing has been read of it
    /// yet, the #version it starts with, its assumed_gamma.
    bool m_atFileStart = false;
    std::optional<double> m_startVersion;
    std::optional<double> m_assumedGamma;
    std::vector<std::pair<std::string, SceneGamma>> m_declaredGammas;
    /// The last #default that could not be folded into what follows it.
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
    /// An #error read in the file: declarations after it are refused.
    std::optional<Placed<std::string>> m_stop;
    std::vector<ReadDeclaration> m_declarations;
    /// A declaration whose value began with further declarations, while only declarations
    /// have followed: the value after them is its own.
    struct Awaiting {
        PovToken token;
        bool local = false;
        SourcePosition where;
        std::size_t files = 0;
    };
    std::optional<Awaiting> m_awaiting;
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
    class Capturing;
    std::shared_ptr<const WrittenSource> Written(const Captured& captured) const;
    /// Where the tokens taken for the value being declared go; null while a directive runs.
    Captured* m_capture = nullptr;
    /// How many of the open files are macros being carried out.
    int m_macroCalls = 0;
    /// How many #while loops are being carried out.
    int m_loops = 0;
    /// The rest of a refused value is being passed over.
    bool m_skipping = false;
};
