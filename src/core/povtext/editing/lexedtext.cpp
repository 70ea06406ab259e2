#include "core/povtext/editing/lexedtext.h"

#include "core/povtext/language/povlexer.h"
#include "core/povtext/language/sourceerror.h"
#include "core/povtext/reading/expressionreader.h"
#include "core/povtext/reading/povvalues.h"

#include <stdexcept>

namespace {

/// A run of tokens read as a value on its own: no identifier has a value and no random
/// numbers are drawn.
class SpanFeed : public TokenFeed {
public:
    SpanFeed(const LexedText& lexed, std::size_t first, std::size_t last)
        : m_lexed(lexed), m_at(first), m_last(last) {
        m_end.kind = PovToken::End;
    }

    bool AtEnd() const { return m_at >= m_last; }

    const PovToken& Peek() override { return AtEnd() ? m_end : m_lexed.tokens[m_at].token; }
    PovToken Take() override { return AtEnd() ? m_end : m_lexed.tokens[m_at++].token; }
    const PovToken& PeekRaw() override { return Peek(); }
    const Symbol* Lookup(const std::string&) const override { return nullptr; }
    double LanguageVersion() const override { return 3.7; }
    std::string InputFileName() const override { return {}; }
    std::string Describe(SourcePosition where) const override {
        return "line " + std::to_string(where.line);
    }
    void Descend(SourcePosition where) override {
        if (++m_depth > kMaxDepth)
            throw DeclarationRefusal(where, "too deep");
    }
    void Ascend() override { --m_depth; }
    void CountMade(std::size_t, SourcePosition) override {}
    double Seed(double) override { throw DeclarationRefusal({}, "no random numbers here"); }
    double Random(double, SourcePosition where) override {
        throw DeclarationRefusal(where, "no random numbers here");
    }
    std::size_t TakenMark() const override { return std::string::npos; }
    void WriteTakenAs(std::size_t, double) override {}
    // Read as POV-Ray 3.7 text, which leaves nothing to its version.
    void PutNext(std::vector<PovToken>) override {
        throw DeclarationRefusal({}, "nothing is put into a span read on its own");
    }

private:
    static constexpr int kMaxDepth = 64;
    const LexedText& m_lexed;
    std::size_t m_at;
    std::size_t m_last;
    int m_depth = 0;
    PovToken m_end;
};

} // namespace

LexedText::LexedText(std::string_view source) : text(source) {
    tokens.reserve(text.size() / 4 + 1); // about the tokens POV-Ray text has
    PovLexer lexer(text, 0);
    try {
        while (true) {
            PovToken token = lexer.Next();
            const bool end = token.kind == PovToken::End;
            tokens.push_back({std::move(token), {lexer.TokenStart(), lexer.TokenEnd()}});
            if (end)
                return;
        }
    } catch (const SourceSyntaxError& refusal) {
        error = refusal.what();
    }
    PovToken end;
    end.kind = PovToken::End;
    tokens.push_back({std::move(end), {text.size(), text.size()}});
}

std::optional<std::vector<double>> LexedText::Plain(std::size_t first, std::size_t last) const {
    // A number, or "<" numbers ">", each perhaps with a minus: most values are written so.
    std::vector<double> numbers;
    const auto number = [&](std::size_t& i) {
        const bool minus = At(i).token.IsSymbol("-");
        i += minus ? 1 : 0;
        if (At(i).token.kind != PovToken::Number)
            return false;
        numbers.push_back(minus ? -At(i).token.number : At(i).token.number);
        ++i;
        return true;
    };
    std::size_t i = first;
    if (At(i).token.IsSymbol("<")) {
        ++i;
        while (number(i) && numbers.size() <= 5 && At(i).token.IsSymbol(","))
            ++i;
        if (!At(i).token.IsSymbol(">") || numbers.size() < 2 || numbers.size() > 5)
            return std::nullopt;
        ++i;
    } else if (!number(i)) {
        return std::nullopt;
    }
    if (i != last)
        return std::nullopt;
    return numbers;
}

std::vector<double> LexedText::Evaluate(std::size_t first, std::size_t last,
                                        PovLanguage::PovValue kind,
                                        std::string_view keyword) const {
    if (keyword != "matrix") {
        const PovToken& model = At(first).token;
        const bool colorModel = kind == PovLanguage::PovValue::Color &&
                                PovLanguage::IsOneOf(model.text, {"rgb", "rgbf", "rgbt", "rgbft"});
        if (kind != PovLanguage::PovValue::Color || colorModel) {
            std::optional<std::vector<double>> plain = Plain(first + (colorModel ? 1 : 0), last);
            if (plain && colorModel) {
                PovNumber operand;
                operand.kind = plain->size() == 1 ? PovNumber::Float : PovNumber::Vector;
                operand.size = static_cast<int>(plain->size());
                std::copy(plain->begin(), plain->end(), operand.v.begin());
                const PovColor color = ModelColor(model.text, operand);
                return {color.begin(), color.end()};
            }
            if (plain && kind != PovLanguage::PovValue::Color)
                return *plain;
        }
    }
    SpanFeed feed(*this, first, last);
    ExpressionReader reader(feed);
    std::vector<double> numbers;
    try {
        if (keyword == "matrix") {
            numbers = reader.AngledFloats();
        } else if (kind == PovLanguage::PovValue::Color && At(first).token.kind == PovToken::Word) {
            const PovColor color = reader.Color();
            numbers.assign(color.begin(), color.end());
        } else {
            const PovNumber number = reader.Number();
            numbers.assign(number.v.begin(), number.v.begin() + number.size);
        }
    } catch (const std::runtime_error&) {
        return {};
    }
    if (!feed.AtEnd())
        return {};
    for (double& n : numbers)
        n += 0.0; // -0 shown as 0
    return numbers;
}
