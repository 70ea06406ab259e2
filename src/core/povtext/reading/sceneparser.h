#pragma once

#include "core/model/scenegamma.h"
#include "core/povtext/language/povlexer.h"
#include "core/povtext/reading/blockreader.h"
#include "core/povtext/reading/directivefeed.h"
#include "core/povtext/reading/expressionreader.h"
#include "core/povtext/reading/importbudget.h"
#include "core/povtext/reading/sourcefiles.h"
#include "core/povtext/reading/symboltable.h"

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

/// Reads POV-Ray scene-language text for its declarations: its DirectiveFeed hands it the
/// tokens with the directives carried out, and it evaluates what #declare and #local declare.
/// Whatever cannot be evaluated refuses only the declarations that depend on it; text that
/// cannot be read at all refuses the file with SourceSyntaxError.
class SceneParser : private DeclarationHost {
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
    /// What `name` stands for: declared so far, or taken from the library.
    const Symbol* Lookup(const std::string& name) const { return m_feed.Lookup(name); }
    /// "file:line" of a position.
    std::string Describe(SourcePosition where) const { return m_feed.Describe(where); }

    /// How deep blocks, parentheses and includes may nest.
    static constexpr int kMaxNesting = DirectiveFeed::kMaxNesting;
    static constexpr std::size_t kMaxIncludeDepth = DirectiveFeed::kMaxIncludeDepth;

private:
    // DeclarationHost
    bool Declare(const PovToken& directive) override;
    std::shared_ptr<const PovValue> Value() override;
    const Symbol* LibrarySymbol(const std::string& name) const override;
    bool Included(const std::string& path) override;
    bool Declaring() const override { return m_declarationDepth > 0; }
    void PassedOver(const std::string& name, SourcePosition where, const std::string& reason,
                    SourcePosition at) override;
    void Stopped(const std::string& name, SourcePosition where, const std::string& reason,
                 SourcePosition at) override;

    void Statements();
    bool IsChosen(const std::string& path) const;
    /// Of the declarations from `first` on, those of the least included files.
    void KeepShallowest(std::size_t first);
    void Declaration(const PovToken& directive, bool local);
    /// Reads the value of the declaration `record` of `name` (after its "=" unless `awaited`),
    /// declares it and keeps the record of a texture, pigment or material.
    void DeclareValue(ReadDeclaration record, const PovToken& name, bool local, bool awaited);
    /// Reads the value that follows the declarations standing where an earlier one's began.
    void AwaitedValue();
    std::shared_ptr<const PovValue> DeclaredValue();
    /// A one-dimensional array given its elements, which are kept for the symbol declared.
    std::shared_ptr<const PovValue> ReadArray(const PovToken& array);
    [[noreturn]] static void Fail(SourcePosition where, const std::string& message);

    SourceFiles& m_files;
    Options m_options;
    std::unique_ptr<ImportBudget> m_ownBudget;
    ImportBudget& m_budget;
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
    SymbolTable m_symbols;
    DirectiveFeed m_feed;
    ExpressionReader& m_expressions;
    BlockReader m_blocks;
    int m_declarationDepth = 0;
    /// The assumed_gamma of the global_settings of the file given to Read.
    std::optional<double> m_assumedGamma;
    std::vector<std::pair<std::string, SceneGamma>> m_declaredGammas;
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
    /// The array being read (or just refused) was given textures.
    bool m_texturesInArray = false;
    std::shared_ptr<const std::vector<Symbol>> m_readElements;
};
