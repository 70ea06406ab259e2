#pragma once

#include "core/povtext/language/sourceerror.h"
#include "core/povtext/reading/povvalues.h"
#include "core/povtext/reading/tokenfeed.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

/// A value an expression gives: a number (float, vector, colour) or a string. Strings keep
/// their backslash escapes as written.
using ExpressionValue = std::variant<PovNumber, std::string>;

/// Reads and evaluates POV-Ray expressions: floats, vectors with promotion, colours in every
/// form ("rgb 0.5", "rgbft <...>", "color red 1 green 0.5", "Red filter 0.3"), strings and
/// the usual functions. What cannot be evaluated (an undeclared identifier, a macro call,
/// rand) refuses the declaration being read.
class ExpressionReader {
public:
    explicit ExpressionReader(TokenFeed& feed) : m_feed(feed) {}

    ExpressionValue Value();
    PovNumber Number();
    double Float();
    /// A vector of three, a float promoted to all three.
    Vector3 Vector();
    /// A colour with its optional "color" keyword and the channel keywords after it.
    PovColor Color();
    /// "<a, b, ...>" of plain floats, as a matrix is written; any count.
    std::vector<double> AngledFloats();
    /// Sets the channels named after a colour ("filter 0.5 transmit 0.2").
    void ColorChannels(PovColor& color);
    std::string String();
    /// True for "red", "green", "blue", "filter" and "transmit".
    static bool IsChannel(const PovToken& token);

    /// True when `token` can start a float, vector or colour expression.
    bool StartsNumber(const PovToken& token) const;
    /// True when `token` can start a colour: a number or a colour keyword.
    bool StartsColor(const PovToken& token) const;

    /// A number promoted to a colour: a float fills all five channels, a vector the first ones.
    static PovColor ToColor(const PovNumber& number);

    [[noreturn]] void Refuse(SourcePosition where, const std::string& reason) const;
    /// Takes the symbol `text` or refuses the declaration, naming what stood there instead.
    void Expect(const char* text);

    /// The refusal of a value that uses `word`, which stands for the skipped `symbol`.
    DeclarationRefusal SkippedUse(const PovToken& word, const Symbol& symbol) const;
    /// Refuses a call of the function `word` declared as `symbol`, when the next token opens
    /// its arguments: only POV-Ray works out what a user function gives.
    void RefuseFunctionCall(const PovToken& word, const Symbol& symbol);
    DeclarationRefusal FunctionCall(const PovToken& word, const Symbol& symbol) const;
    static bool IsFunction(const Symbol& symbol);
    /// True when the keyword `word` gives a number in an expression without drawing, choosing
    /// or testing anything: a constant, or a function of its arguments alone.
    static bool IsPlainWord(const std::string& word);

    /// Draws the number of a rand() call that stands next in text passed over, as POV-Ray
    /// would draw it there; false when none stands next.
    bool DrawPassedRandom();

private:
    ExpressionValue Conditional();
    /// A branch of "a ? b : c"; in one not taken, skipped names and function calls give 0.
    ExpressionValue Branch(bool taken);
    std::optional<ExpressionValue> UntakenCall(const PovToken& word, const Symbol& symbol);
    ExpressionValue Or();
    ExpressionValue And();
    ExpressionValue Relation();
    ExpressionValue Sum();
    ExpressionValue Product();
    ExpressionValue Unary();
    ExpressionValue Postfix();
    ExpressionValue Primary();
    ExpressionValue VectorLiteral(const PovToken& open);
    /// Passes the separator after a vector component; false when the vector ends there.
    bool NextComponent();
    ExpressionValue Word(const PovToken& word);
    ExpressionValue Identifier(const PovToken& word);
    ExpressionValue ColorPrefix(const PovToken& word);
    ExpressionValue CallFunction(const PovToken& name);
    std::vector<ExpressionValue> Arguments(const PovToken& name);

    PovNumber AsNumber(const ExpressionValue& value, SourcePosition where) const;
    double AsFloat(const ExpressionValue& value, SourcePosition where) const;
    std::string AsString(const ExpressionValue& value, SourcePosition where) const;
    double Checked(double value, SourcePosition where) const;

    TokenFeed& m_feed;
    /// Inside a vector's angle brackets (and not in parentheses within it), '>' closes the
    /// vector rather than comparing.
    bool m_inAngles = false;
    /// How many branches not taken are being read.
    int m_untaken = 0;
};

/// What the token stands for, for messages: "'}'", "the end of the file", "scale".
std::string Described(const PovToken& token);
/// Why `token` cannot stand in `block` ("a finish"), in POV-Ray's terms: a keyword that is not
/// read there, or what stands where a keyword was expected.
std::string NotReadIn(const PovToken& token, std::string_view block);
