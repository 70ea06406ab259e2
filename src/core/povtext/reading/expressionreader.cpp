#include "core/povtext/reading/expressionreader.h"

#include "core/model/numberformat.h"
#include "core/povtext/language/language.h"
#include "core/povtext/language/sourceerror.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace {

enum class Op { Add, Subtract, Multiply, Divide };

/// The component `i` of a number, with a float promoted to every component and a short
/// vector padded with zeros.
int ChannelIndex(const std::string& word) {
    if (word == "red")
        return 0;
    if (word == "green")
        return 1;
    if (word == "blue")
        return 2;
    if (word == "filter")
        return 3;
    if (word == "transmit")
        return 4;
    return -1;
}

bool IsChannelKeyword(const PovToken& token) {
    return token.kind == PovToken::Word && ChannelIndex(token.text) >= 0;
}

/// The component a dot operator names ("x", "red", "t" ...), or -1.
/// Keywords that stand for a fixed number.
std::optional<PovNumber> Constant(const std::string& word) {
    if (word == "x")
        return PovNumber::OfVector({1, 0, 0});
    if (word == "y")
        return PovNumber::OfVector({0, 1, 0});
    if (word == "z")
        return PovNumber::OfVector({0, 0, 1});
    if (word == "t")
        return PovNumber::OfVector({0, 0, 0, 1});
    if (word == "u")
        return PovNumber::OfVector({1, 0});
    if (word == "v")
        return PovNumber::OfVector({0, 1});
    if (word == "pi")
        return PovNumber::OfFloat(std::numbers::pi);
    if (word == "true" || word == "yes" || word == "on")
        return PovNumber::OfFloat(1.0);
    if (word == "false" || word == "no" || word == "off")
        return PovNumber::OfFloat(0.0);
    // A scene read for its declarations is read as a still picture, not an animation.
    if (word == "clock" || word == "clock_on" || word == "clock_delta" || word == "initial_clock" ||
        word == "final_clock" || word == "frame_number")
        return PovNumber::OfFloat(0.0);
    if (word == "initial_frame" || word == "final_frame")
        return PovNumber::OfFloat(1.0);
    return std::nullopt;
}

bool IsFunctionName(const std::string& word) {
    static const char* const names[] = {
        "abs",
        "acos",
        "acosh",
        "asin",
        "asinh",
        "atan",
        "atan2",
        "atanh",
        "ceil",
        "cos",
        "cosh",
        "degrees",
        "div",
        "exp",
        "floor",
        "int",
        "ln",
        "log",
        "max",
        "min",
        "mod",
        "pow",
        "radians",
        "select",
        "sin",
        "sinh",
        "sqrt",
        "tan",
        "tanh",
        "vdot",
        "vlength",
        "bitwise_and",
        "bitwise_or",
        "bitwise_xor",
        "strcmp",
        "strlen",
        "asc",
        "val",
        "vaxis_rotate",
        "vcross",
        "vnormalize",
        "vrotate",
        "concat",
        "chr",
        "str",
        "strlwr",
        "strupr",
        "substr",
        "defined",
        "rand",
        "seed",
        "vturbulence",
        "file_exists",
        "datetime",
        "min_extent",
        "max_extent",
        "trace",
        "inside",
        "dimension_size",
        "dimensions",
        "vstr",
    };
    return std::find(std::begin(names), std::end(names), word) != std::end(names);
}

bool ReturnsString(const std::string& word) {
    return word == "concat" || word == "chr" || word == "str" || word == "strlwr" ||
           word == "strupr" || word == "substr" || word == "vstr" || word == "datetime";
}

PovNumber Combine(const PovNumber& a, const PovNumber& b, Op op) {
    PovNumber result;
    result.kind = std::max(a.kind, b.kind);
    result.size = result.kind == PovNumber::Color ? 5 : std::max(a.size, b.size);
    const int count = result.kind == PovNumber::Float ? 5 : result.size;
    for (int i = 0; i < count; ++i) {
        const double x = Component(a, i), y = Component(b, i);
        double r = 0.0;
        switch (op) {
        case Op::Add:
            r = x + y;
            break;
        case Op::Subtract:
            r = x - y;
            break;
        case Op::Multiply:
            r = x * y;
            break;
        case Op::Divide:
            r = x / y;
            break;
        }
        result.v[static_cast<std::size_t>(i)] = r;
    }
    return result;
}

double SrgbToLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

/// A bare number for messages and str(): no more than needed, never in the user's locale.
std::string NumberText(double value, int decimals) {
    return FormatFixed(value, std::clamp(decimals, 0, 16));
}

} // namespace

std::string Described(const PovToken& token) {
    switch (token.kind) {
    case PovToken::End:
        return "the end of the file";
    case PovToken::FileEnd:
        return "the end of the included file";
    case PovToken::Number:
        return token.text.size() > 40 ? token.text.substr(0, 40) + "..." : token.text;
    case PovToken::String:
        return "a string";
    case PovToken::Directive:
        return "#" + token.text;
    case PovToken::Symbol:
        return "'" + token.text + "'";
    case PovToken::Word:
        break;
    }
    return token.text;
}

std::string NotReadIn(const PovToken& token, std::string_view block) {
    if (token.kind == PovToken::Word)
        return "the keyword " + token.text + " is not read in " + std::string(block);
    const std::string found =
        token.kind == PovToken::Number ? "the number " + Described(token) : Described(token);
    return "expected a keyword in " + std::string(block) + " but found " + found;
}

void ExpressionReader::Refuse(SourcePosition where, const std::string& reason) const {
    throw DeclarationRefusal(where, reason);
}

void ExpressionReader::Expect(const char* text) {
    const PovToken& token = m_feed.Peek();
    if (!token.IsSymbol(text))
        Refuse(token.at, std::string("expected '") + text + "' but found " + Described(token));
    m_feed.Take();
}

double ExpressionReader::Checked(double value, SourcePosition where) const {
    if (!std::isfinite(value))
        Refuse(where, "the value is not a finite number");
    return value;
}

PovNumber ExpressionReader::AsNumber(const ExpressionValue& value, SourcePosition where) const {
    if (const auto* number = std::get_if<PovNumber>(&value))
        return *number;
    Refuse(where, "a string stands where a number belongs");
}

double ExpressionReader::AsFloat(const ExpressionValue& value, SourcePosition where) const {
    const PovNumber number = AsNumber(value, where);
    if (number.kind != PovNumber::Float)
        Refuse(where, "a vector or colour stands where a single number belongs");
    return number.v[0];
}

std::string ExpressionReader::AsString(const ExpressionValue& value, SourcePosition where) const {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    Refuse(where, "a number stands where a string belongs");
}

ExpressionValue ExpressionReader::Value() {
    NestingLevel level(m_feed, m_feed.Peek().at);
    return Conditional();
}

PovNumber ExpressionReader::Number() {
    const SourcePosition where = m_feed.Peek().at;
    return AsNumber(Value(), where);
}

double ExpressionReader::Float() {
    const SourcePosition where = m_feed.Peek().at;
    return AsFloat(Value(), where);
}

Vector3 ExpressionReader::Vector() {
    const PovNumber n = Number();
    return {Component(n, 0), Component(n, 1), Component(n, 2)};
}

std::string ExpressionReader::String() {
    const SourcePosition where = m_feed.Peek().at;
    return AsString(Value(), where);
}

PovColor ExpressionReader::ToColor(const PovNumber& number) {
    PovColor color{};
    for (int i = 0; i < 5; ++i)
        color[static_cast<std::size_t>(i)] = Component(number, i);
    return color;
}

PovColor ExpressionReader::Color() {
    const PovToken& first = m_feed.Peek();
    if (first.IsWord("color") || first.IsWord("colour"))
        m_feed.Take();
    PovColor color{};
    if (!IsChannelKeyword(m_feed.Peek()))
        color = ToColor(Number());
    ColorChannels(color);
    return color;
}

void ExpressionReader::ColorChannels(PovColor& color) {
    while (IsChannelKeyword(m_feed.Peek())) {
        const PovToken channel = m_feed.Take();
        color[static_cast<std::size_t>(ChannelIndex(channel.text))] = Float();
    }
}

bool ExpressionReader::IsChannel(const PovToken& token) {
    return IsChannelKeyword(token);
}

bool ExpressionReader::StartsNumber(const PovToken& token) const {
    switch (token.kind) {
    case PovToken::Number:
        return true;
    case PovToken::Symbol:
        return token.text == "<" || token.text == "(" || token.text == "-" || token.text == "+" ||
               token.text == "!";
    case PovToken::Word:
        break;
    default:
        return false;
    }
    const std::string& word = token.text;
    if (word.starts_with("rgb") || word.starts_with("srgb") || word == "color" ||
        word == "colour" || Constant(word) || word == "version" ||
        (IsFunctionName(word) && !ReturnsString(word)))
        return true;
    if (const Symbol* symbol = m_feed.Lookup(word))
        return !symbol->value || std::holds_alternative<PovNumber>(*symbol->value);
    return !IsPovRayReservedWord(word);
}

bool ExpressionReader::StartsColor(const PovToken& token) const {
    return StartsNumber(token) || IsChannelKeyword(token);
}

ExpressionValue ExpressionReader::Conditional() {
    ExpressionValue condition = Or();
    if (!m_feed.Peek().IsSymbol("?"))
        return condition;
    const PovToken question = m_feed.Take();
    const double test = AsFloat(condition, question.at);
    const bool wasInAngles = m_inAngles;
    m_inAngles = false;
    // POV-Ray works out both branches; one not taken may use what only POV-Ray knows.
    const bool taken = std::abs(test) > 1e-10;
    ExpressionValue whenTrue = Branch(taken);
    Expect(":");
    ExpressionValue whenFalse = Branch(!taken);
    m_inAngles = wasInAngles;
    return taken ? whenTrue : whenFalse;
}

ExpressionValue ExpressionReader::Branch(bool taken) {
    const int untaken = m_untaken;
    m_untaken += taken ? 0 : 1;
    struct Restore {
        int& depth;
        int saved;
        ~Restore() { depth = saved; }
    } restore{m_untaken, untaken};
    return Conditional();
}

ExpressionValue ExpressionReader::Or() {
    ExpressionValue left = And();
    while (m_feed.Peek().IsSymbol("|")) {
        const PovToken op = m_feed.Take();
        const double a = AsFloat(left, op.at);
        const double b = AsFloat(And(), op.at);
        left = PovNumber::OfFloat(std::abs(a) > 1e-10 || std::abs(b) > 1e-10 ? 1.0 : 0.0);
    }
    return left;
}

ExpressionValue ExpressionReader::And() {
    ExpressionValue left = Relation();
    while (m_feed.Peek().IsSymbol("&")) {
        const PovToken op = m_feed.Take();
        const double a = AsFloat(left, op.at);
        const double b = AsFloat(Relation(), op.at);
        left = PovNumber::OfFloat(std::abs(a) > 1e-10 && std::abs(b) > 1e-10 ? 1.0 : 0.0);
    }
    return left;
}

ExpressionValue ExpressionReader::Relation() {
    ExpressionValue left = Sum();
    while (true) {
        const PovToken& next = m_feed.Peek();
        if (next.kind != PovToken::Symbol)
            return left;
        const std::string op = next.text;
        if (op != "<" && op != "<=" && op != "=" && op != "!=" && op != ">=" &&
            !(op == ">" && !m_inAngles))
            return left;
        const PovToken taken = m_feed.Take();
        const ExpressionValue right = Sum();
        if (std::holds_alternative<std::string>(left) ||
            std::holds_alternative<std::string>(right)) {
            const std::string a = AsString(left, taken.at), b = AsString(right, taken.at);
            const int order = a.compare(b);
            const bool result = op == "<"    ? order < 0
                                : op == "<=" ? order <= 0
                                : op == "="  ? order == 0
                                : op == "!=" ? order != 0
                                : op == ">=" ? order >= 0
                                             : order > 0;
            left = PovNumber::OfFloat(result ? 1.0 : 0.0);
            continue;
        }
        const double a = AsFloat(left, taken.at), b = AsFloat(right, taken.at);
        const bool result = op == "<"    ? a < b
                            : op == "<=" ? a <= b
                            : op == "="  ? a == b
                            : op == "!=" ? a != b
                            : op == ">=" ? a >= b
                                         : a > b;
        left = PovNumber::OfFloat(result ? 1.0 : 0.0);
    }
}

ExpressionValue ExpressionReader::Sum() {
    ExpressionValue left = Product();
    while (m_feed.Peek().IsSymbol("+") || m_feed.Peek().IsSymbol("-")) {
        const PovToken op = m_feed.Take();
        const PovNumber a = AsNumber(left, op.at);
        const PovNumber b = AsNumber(Product(), op.at);
        left = Combine(a, b, op.text == "+" ? Op::Add : Op::Subtract);
    }
    return left;
}

ExpressionValue ExpressionReader::Product() {
    ExpressionValue left = Unary();
    while (m_feed.Peek().IsSymbol("*") || m_feed.Peek().IsSymbol("/")) {
        const PovToken op = m_feed.Take();
        const PovNumber a = AsNumber(left, op.at);
        const PovNumber b = AsNumber(Unary(), op.at);
        if (op.text == "/") {
            for (int i = 0; i < (b.kind == PovNumber::Float ? 1 : b.size); ++i)
                if (b.v[static_cast<std::size_t>(i)] == 0.0)
                    Refuse(op.at, "division by zero");
        }
        left = Combine(a, b, op.text == "*" ? Op::Multiply : Op::Divide);
    }
    return left;
}

ExpressionValue ExpressionReader::Unary() {
    const PovToken& next = m_feed.Peek();
    if (next.IsSymbol("-") || next.IsSymbol("+") || next.IsSymbol("!")) {
        const PovToken op = m_feed.Take();
        NestingLevel level(m_feed, op.at);
        PovNumber operand = AsNumber(Unary(), op.at);
        if (op.text == "-") {
            for (double& v : operand.v)
                v = -v;
        } else if (op.text == "!") {
            operand = PovNumber::OfFloat(std::abs(AsFloat(operand, op.at)) > 1e-10 ? 0.0 : 1.0);
        }
        return operand;
    }
    return Postfix();
}

ExpressionValue ExpressionReader::Postfix() {
    ExpressionValue value = Primary();
    while (m_feed.Peek().IsSymbol(".")) {
        const PovToken dot = m_feed.Take();
        const PovToken name = m_feed.Take();
        const PovNumber number = AsNumber(value, dot.at);
        if (number.kind == PovNumber::Float)
            Refuse(dot.at, "a float has no components");
        if (name.kind == PovToken::Word && (name.text == "gray" || name.text == "grey")) {
            value =
                PovNumber::OfFloat(0.297 * number.v[0] + 0.589 * number.v[1] + 0.114 * number.v[2]);
            continue;
        }
        const int index = name.kind == PovToken::Word ? DotComponent(name.text) : -1;
        if (index < 0)
            Refuse(name.at, "no component is named " + Described(name));
        value = PovNumber::OfFloat(Component(number, index));
    }
    return value;
}

ExpressionValue ExpressionReader::Primary() {
    const PovToken& next = m_feed.Peek();
    if (next.IsWord("color") || next.IsWord("colour"))
        return PovNumber::OfColor(Color());
    const PovToken token = m_feed.Take();
    switch (token.kind) {
    case PovToken::Number:
        return PovNumber::OfFloat(token.number);
    case PovToken::String:
        return token.text;
    case PovToken::Word:
        return Word(token);
    case PovToken::Symbol:
        if (token.text == "(") {
            NestingLevel level(m_feed, token.at);
            const bool wasInAngles = m_inAngles;
            m_inAngles = false;
            ExpressionValue inner = Conditional();
            m_inAngles = wasInAngles;
            Expect(")");
            return inner;
        }
        if (token.text == "<")
            return VectorLiteral(token);
        break;
    default:
        break;
    }
    Refuse(token.at, "expected a value but found " + Described(token));
}

std::vector<double> ExpressionReader::AngledFloats() {
    const PovToken& open = m_feed.Peek();
    NestingLevel level(m_feed, open.at);
    Expect("<");
    const bool wasInAngles = m_inAngles;
    m_inAngles = true;
    std::vector<double> values;
    while (true) {
        const SourcePosition where = m_feed.Peek().at;
        values.push_back(AsFloat(Conditional(), where));
        if (!NextComponent())
            break;
        if (values.size() > 64)
            break;
    }
    m_inAngles = wasInAngles;
    Expect(">");
    return values;
}

bool ExpressionReader::NextComponent() {
    // POV-Ray takes components without commas between them ("<0.05 0.05 1>") and a comma
    // before the closing '>' ("<0, 192, 0,>").
    if (m_feed.Peek().IsSymbol(",")) {
        m_feed.Take();
        return !m_feed.Peek().IsSymbol(">");
    }
    return !m_feed.Peek().IsSymbol(">") && StartsNumber(m_feed.Peek());
}

ExpressionValue ExpressionReader::VectorLiteral(const PovToken& open) {
    NestingLevel level(m_feed, open.at);
    const bool wasInAngles = m_inAngles;
    m_inAngles = true;
    PovNumber vector;
    vector.kind = PovNumber::Vector;
    vector.size = 0;
    while (true) {
        if (vector.size == 5)
            Refuse(open.at, "a vector has at most five components");
        const SourcePosition where = m_feed.Peek().at;
        vector.v[static_cast<std::size_t>(vector.size++)] = AsFloat(Conditional(), where);
        if (!NextComponent())
            break;
    }
    m_inAngles = wasInAngles;
    Expect(">");
    if (vector.size < 2)
        Refuse(open.at, "a vector needs at least two components");
    return vector;
}

ExpressionValue ExpressionReader::Word(const PovToken& word) {
    // Every word given a meaning below is one of the language's.
    if (!PovLanguage::Find(word.text))
        return Identifier(word);
    if (const auto constant = Constant(word.text))
        return *constant;
    if (word.text == "version")
        return PovNumber::OfFloat(m_feed.LanguageVersion());
    if (word.text == "input_file_name")
        return m_feed.InputFileName();
    if (word.text == "image_width" || word.text == "image_height" || word.text == "now")
        Refuse(word.at, word.text + " is only known when POV-Ray renders");
    if (word.text.starts_with("rgb") || word.text.starts_with("srgb"))
        return ColorPrefix(word);
    if (IsFunctionName(word.text))
        return CallFunction(word);
    return Identifier(word);
}

ExpressionValue ExpressionReader::Identifier(const PovToken& word) {
    const Symbol* symbol = m_feed.Lookup(word.text);
    if (!symbol) {
        if (IsPovRayReservedWord(word.text))
            Refuse(word.at, "the keyword " + word.text + " is not read in a value");
        Refuse(word.at, word.text + " is not declared");
    }
    if (symbol->macro)
        Refuse(word.at, "the macro " + word.text + " (" + m_feed.Describe(symbol->where) +
                            ") is called; macros with optional parameters are not evaluated");
    if (!symbol->value && m_untaken > 0)
        return PovNumber::OfFloat(0.0);
    if (!symbol->value)
        throw SkippedUse(word, *symbol);
    if (const auto* number = std::get_if<PovNumber>(symbol->value.get()))
        return *number;
    if (const auto* text = std::get_if<std::string>(symbol->value.get())) {
        m_feed.CountMade(text->size(), word.at);
        return *text;
    }
    if (auto untaken = UntakenCall(word, *symbol))
        return *untaken;
    RefuseFunctionCall(word, *symbol);
    Refuse(word.at, word.text + " is a " + KindName(*symbol->value) + ", not a number");
}

bool ExpressionReader::IsFunction(const Symbol& symbol) {
    const auto* opaque = symbol.value ? std::get_if<PovOpaque>(symbol.value.get()) : nullptr;
    return opaque && opaque->kind == "function";
}

DeclarationRefusal ExpressionReader::FunctionCall(const PovToken& word,
                                                  const Symbol& symbol) const {
    return {word.at, "it calls the function " + word.text + " (" + m_feed.Describe(symbol.where) +
                         "), whose values only POV-Ray works out while it renders"};
}

void ExpressionReader::RefuseFunctionCall(const PovToken& word, const Symbol& symbol) {
    if (IsFunction(symbol) && m_feed.Peek().IsSymbol("("))
        throw FunctionCall(word, symbol);
}

std::optional<ExpressionValue> ExpressionReader::UntakenCall(const PovToken& word,
                                                             const Symbol& symbol) {
    if (m_untaken == 0 || !IsFunction(symbol) || !m_feed.Peek().IsSymbol("("))
        return std::nullopt;
    Arguments(word);
    return PovNumber::OfFloat(0.0);
}

DeclarationRefusal ExpressionReader::SkippedUse(const PovToken& word, const Symbol& symbol) const {
    return {word.at,
            "uses " + word.text + " (" + m_feed.Describe(symbol.where) +
                "), which was skipped: " + symbol.refusal,
            symbol.refusalWhere, symbol.refusal};
}

bool ExpressionReader::IsPlainWord(const std::string& word) {
    if (Constant(word))
        return true;
    return IsFunctionName(word) &&
           !PovLanguage::IsOneOf(word, {"rand", "seed", "select", "defined"});
}

ExpressionValue ExpressionReader::ColorPrefix(const PovToken& word) {
    std::string kind = word.text;
    const bool srgb = kind.starts_with("s");
    if (srgb)
        kind.erase(0, 1);
    if (kind != "rgb" && kind != "rgbf" && kind != "rgbt" && kind != "rgbft")
        return Identifier(word);
    PovColor color = ModelColor(kind, AsNumber(Unary(), word.at));
    if (srgb)
        for (int i = 0; i < 3; ++i)
            color[static_cast<std::size_t>(i)] = SrgbToLinear(color[static_cast<std::size_t>(i)]);
    return PovNumber::OfColor(color);
}

std::vector<ExpressionValue> ExpressionReader::Arguments(const PovToken& name) {
    NestingLevel level(m_feed, name.at);
    Expect("(");
    const bool wasInAngles = m_inAngles;
    m_inAngles = false;
    std::vector<ExpressionValue> arguments;
    if (!m_feed.Peek().IsSymbol(")")) {
        while (true) {
            arguments.push_back(Conditional());
            if (!m_feed.Peek().IsSymbol(","))
                break;
            m_feed.Take();
        }
    }
    m_inAngles = wasInAngles;
    Expect(")");
    return arguments;
}

bool ExpressionReader::DrawPassedRandom() {
    if (!m_feed.Peek().IsWord("rand"))
        return false;
    CallFunction(m_feed.Take());
    return true;
}

ExpressionValue ExpressionReader::CallFunction(const PovToken& name) {
    const std::string& f = name.text;
    const SourcePosition at = name.at;
    if (f == "defined") {
        Expect("(");
        const PovToken identifier = m_feed.Take();
        Expect(")");
        const Symbol* symbol = m_feed.LookupDeclared(identifier.text);
        if (symbol && !symbol->value && !symbol->macro)
            throw DeclarationRefusal(at,
                                     "asks whether " + identifier.text + " is declared, but " +
                                         identifier.text + " was skipped: " + symbol->refusal,
                                     symbol->refusalWhere, symbol->refusal);
        return PovNumber::OfFloat(symbol ? 1.0 : 0.0);
    }
    if (f == "rand" || f == "seed") {
        // The name is taken: the call's text starts before the mark.
        const std::size_t mark = m_feed.TakenMark();
        const std::vector<ExpressionValue> args = Arguments(name);
        if (args.size() != 1)
            Refuse(at, f + " takes 1 argument");
        const double argument = Checked(AsFloat(args[0], at), at);
        if (f == "seed")
            return PovNumber::OfFloat(m_feed.Seed(argument));
        const double value = m_feed.Random(argument, at);
        m_feed.WriteTakenAs(mark == std::string::npos ? mark : mark - 1, value);
        return PovNumber::OfFloat(value);
    }
    if (f == "vturbulence" || f == "file_exists" || f == "datetime" || f == "min_extent" ||
        f == "max_extent" || f == "trace" || f == "inside" || f == "dimension_size" ||
        f == "dimensions" || f == "vstr")
        Refuse(at, "the function " + f + " is not evaluated here");

    const std::vector<ExpressionValue> args = Arguments(name);
    auto count = [&](std::size_t low, std::size_t high) {
        if (args.size() < low || args.size() > high)
            Refuse(at, f + " takes " + std::to_string(low) +
                           (low == high ? "" : " to " + std::to_string(high)) + " arguments");
    };
    auto number = [&](std::size_t i) { return Checked(AsFloat(args[i], at), at); };
    auto vector = [&](std::size_t i) {
        const PovNumber n = AsNumber(args[i], at);
        return Vector3{Component(n, 0), Component(n, 1), Component(n, 2)};
    };
    auto text = [&](std::size_t i) { return AsString(args[i], at); };
    auto result = [&](double value) { return PovNumber::OfFloat(Checked(value, at)); };
    auto domain = [&](bool ok) {
        if (!ok)
            Refuse(at, f + " is given a value outside its domain");
    };

    static const std::unordered_map<std::string, double (*)(double)> oneArgument = {
        {"abs", [](double a) { return std::abs(a); }},
        {"acos", [](double a) { return std::acos(a); }},
        {"acosh", [](double a) { return std::acosh(a); }},
        {"asin", [](double a) { return std::asin(a); }},
        {"asinh", [](double a) { return std::asinh(a); }},
        {"atan", [](double a) { return std::atan(a); }},
        {"atanh", [](double a) { return std::atanh(a); }},
        {"ceil", [](double a) { return std::ceil(a); }},
        {"cos", [](double a) { return std::cos(a); }},
        {"cosh", [](double a) { return std::cosh(a); }},
        {"degrees", [](double a) { return a * 180.0 / std::numbers::pi; }},
        {"exp", [](double a) { return std::exp(a); }},
        {"floor", [](double a) { return std::floor(a); }},
        {"int", [](double a) { return std::trunc(a); }},
        {"ln", [](double a) { return std::log(a); }},
        {"log", [](double a) { return std::log10(a); }},
        {"radians", [](double a) { return a * std::numbers::pi / 180.0; }},
        {"sin", [](double a) { return std::sin(a); }},
        {"sinh", [](double a) { return std::sinh(a); }},
        {"sqrt", [](double a) { return std::sqrt(a); }},
        {"tan", [](double a) { return std::tan(a); }},
        {"tanh", [](double a) { return std::tanh(a); }},
    };
    if (const auto found = oneArgument.find(f); found != oneArgument.end()) {
        count(1, 1);
        const double a = number(0);
        domain(!((f == "ln" || f == "log") && a <= 0.0) && !(f == "sqrt" && a < 0.0) &&
               !((f == "acos" || f == "asin") && std::abs(a) > 1.0));
        return result(found->second(a));
    }
    if (f == "atan2" || f == "div" || f == "mod" || f == "pow") {
        count(2, 2);
        const double a = number(0), b = number(1);
        if (f == "atan2")
            return result(std::atan2(a, b));
        domain(f == "pow" || b != 0.0);
        if (f == "div")
            return result(std::trunc(a / b));
        if (f == "mod")
            return result(std::fmod(a, b));
        return result(std::pow(a, b));
    }
    if (f == "max" || f == "min") {
        count(1, 1000);
        double value = number(0);
        for (std::size_t i = 1; i < args.size(); ++i)
            value = f == "max" ? std::max(value, number(i)) : std::min(value, number(i));
        return result(value);
    }
    if (f == "select") {
        count(3, 4);
        const double a = number(0);
        if (args.size() == 3)
            return a < 0.0 ? args[1] : args[2];
        return a < 0.0 ? args[1] : a == 0.0 ? args[2] : args[3];
    }
    if (f == "bitwise_and" || f == "bitwise_or" || f == "bitwise_xor") {
        count(2, 1000);
        auto whole = [&](std::size_t i) {
            const double a = number(i);
            domain(std::abs(a) < 9e15);
            return static_cast<long long>(a);
        };
        long long value = whole(0);
        for (std::size_t i = 1; i < args.size(); ++i)
            value = f == "bitwise_and"  ? (value & whole(i))
                    : f == "bitwise_or" ? (value | whole(i))
                                        : (value ^ whole(i));
        return result(static_cast<double>(value));
    }
    if (f == "vdot" || f == "vlength" || f == "vcross" || f == "vnormalize" || f == "vrotate" ||
        f == "vaxis_rotate") {
        if (f == "vlength" || f == "vnormalize")
            count(1, 1);
        else
            count(2, f == "vaxis_rotate" ? 3 : 2);
        const Vector3 a = vector(0);
        const double length = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
        if (f == "vlength")
            return result(length);
        if (f == "vnormalize") {
            domain(length > 0.0);
            return PovNumber::OfVector({a[0] / length, a[1] / length, a[2] / length});
        }
        const Vector3 b = vector(1);
        if (f == "vdot")
            return result(a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
        if (f == "vcross")
            return PovNumber::OfVector(
                {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]});
        if (f == "vrotate") {
            const Vector3 r = Affine::Rotation(b).Apply(a);
            return PovNumber::OfVector({r[0], r[1], r[2]});
        }
        // Rodrigues' rotation about the axis b by the angle in degrees, turning as POV-Ray's
        // rotate does about the main axes.
        const double axisLength = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
        domain(axisLength > 0.0);
        const Vector3 k{b[0] / axisLength, b[1] / axisLength, b[2] / axisLength};
        const double angle = number(2) * std::numbers::pi / 180.0;
        const double c = std::cos(angle), s = std::sin(angle);
        const double dot = k[0] * a[0] + k[1] * a[1] + k[2] * a[2];
        const Vector3 cross{k[1] * a[2] - k[2] * a[1], k[2] * a[0] - k[0] * a[2],
                            k[0] * a[1] - k[1] * a[0]};
        Vector3 r{};
        for (int i = 0; i < 3; ++i)
            r[static_cast<std::size_t>(i)] = a[static_cast<std::size_t>(i)] * c +
                                             cross[static_cast<std::size_t>(i)] * s +
                                             k[static_cast<std::size_t>(i)] * dot * (1 - c);
        return PovNumber::OfVector({r[0], r[1], r[2]});
    }
    if (f == "strlen") {
        count(1, 1);
        return result(static_cast<double>(text(0).size()));
    }
    if (f == "strcmp") {
        count(2, 2);
        const int order = text(0).compare(text(1));
        return result(order < 0 ? -1.0 : order > 0 ? 1.0 : 0.0);
    }
    if (f == "asc") {
        count(1, 1);
        const std::string s = text(0);
        return result(s.empty() ? 0.0 : static_cast<unsigned char>(s[0]));
    }
    if (f == "val") {
        count(1, 1);
        const std::string s = text(0);
        double value = 0.0;
        std::from_chars(s.data(), s.data() + s.size(), value);
        return result(value);
    }
    constexpr std::size_t kMaxString = 1u << 16;
    auto checkedText = [&](std::string s) -> ExpressionValue {
        if (s.size() > kMaxString)
            Refuse(at, "the string grows beyond 65536 characters");
        m_feed.CountMade(s.size(), at);
        return s;
    };
    if (f == "concat") {
        count(1, 1000);
        std::string joined;
        for (std::size_t i = 0; i < args.size(); ++i) {
            joined += text(i);
            if (joined.size() > kMaxString)
                break;
        }
        return checkedText(std::move(joined));
    }
    if (f == "chr") {
        count(1, 1);
        const double code = number(0);
        domain(code >= 1 && code < 128);
        return std::string(1, static_cast<char>(code));
    }
    if (f == "str") {
        count(3, 3);
        const double value = number(0);
        const int width = static_cast<int>(number(1));
        const int decimals = static_cast<int>(number(2));
        std::string digits = NumberText(value, decimals < 0 ? 6 : decimals);
        const std::size_t pad = static_cast<std::size_t>(std::clamp(std::abs(width), 0, 64));
        while (digits.size() < pad)
            digits.insert(digits.begin(), width < 0 ? '0' : ' ');
        return checkedText(std::move(digits));
    }
    if (f == "strlwr" || f == "strupr") {
        count(1, 1);
        std::string s = text(0);
        for (char& c : s)
            if (f == "strlwr" && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            else if (f == "strupr" && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return s;
    }
    if (f == "substr") {
        count(3, 3);
        const std::string s = text(0);
        const double start = number(1), length = number(2);
        domain(start >= 1 && length >= 0 && start - 1 + length <= static_cast<double>(s.size()));
        return s.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(length));
    }
    Refuse(at, "the function " + f + " is not evaluated here");
}
