#pragma once

#include "core/povtext/language/povtoken.h"
#include "core/povtext/reading/symboltable.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

/// The token stream the expression and block readers take their tokens from, with the
/// identifiers declared so far.
class TokenFeed {
public:
    virtual ~TokenFeed() = default;

    /// The next token. Directives inside the value being read are carried out first; a
    /// directive at the value's own level is handed back, since it ends the value.
    virtual const PovToken& Peek() = 0;
    virtual PovToken Take() = 0;
    /// The next token as written, without carrying out a directive.
    virtual const PovToken& PeekRaw() = 0;

    virtual const Symbol* Lookup(const std::string& name) const = 0;
    /// What `name` was declared as in the text itself, for defined(): nothing a library
    /// gives in its place.
    virtual const Symbol* LookupDeclared(const std::string& name) const { return Lookup(name); }
    /// The language version set by #version (3.7 until one is given).
    virtual double LanguageVersion() const = 0;
    /// The name of the file being read first, for input_file_name.
    virtual std::string InputFileName() const = 0;
    /// "file:line" of a position.
    virtual std::string Describe(SourcePosition where) const = 0;

    /// Counts one more level of nesting; refuses the file past the limit.
    virtual void Descend(SourcePosition where) = 0;
    virtual void Ascend() = 0;
    /// Counts `bytes` of values made or copied; refuses the import past its limit.
    virtual void CountMade(std::size_t bytes, SourcePosition where) = 0;

    /// Starts a stream of random numbers as POV-Ray's seed() does, and gives its number.
    virtual double Seed(double value) = 0;
    /// The next number of the stream numbered `stream`; refuses the value when there is no
    /// such stream, or when a rand() before was passed over, so that its numbers are not
    /// POV-Ray's.
    virtual double Random(double stream, SourcePosition where) = 0;
    /// Where the next token taken goes in the text being kept for a value; npos when none is.
    virtual std::size_t TakenMark() const = 0;
    /// Writes the tokens taken for the value from `mark` on as `number`: a value that the
    /// text would not give again (a random number) stands as it came out.
    virtual void WriteTakenAs(std::size_t mark, double number) = 0;
    /// Puts `tokens` before the next token, as if read there: what older text leaves to its
    /// version, written out.
    virtual void PutNext(std::vector<PovToken> tokens) = 0;
};

/// Holds one level of nesting for as long as it lives.
class NestingLevel {
public:
    NestingLevel(TokenFeed& feed, SourcePosition where) : m_feed(feed) { feed.Descend(where); }
    ~NestingLevel() { m_feed.Ascend(); }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

private:
    TokenFeed& m_feed;
};
