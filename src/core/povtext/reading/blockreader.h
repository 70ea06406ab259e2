#pragma once

#include "core/povtext/language/language.h"
#include "core/povtext/reading/expressionreader.h"
#include "core/povtext/reading/povvalues.h"
#include "core/povtext/reading/tokenfeed.h"

#include <optional>

/// Reads the blocks of the scene language that a texture is made of: texture (layers, tiles),
/// material, pigment (patterns, colour and pigment maps, image maps), normal, finish, interior,
/// colour maps and transformations. Every modifier POV-Ray would take is read; those the
/// texture model has no place for are kept as Unheld for the mapping to judge. A keyword the
/// reader does not know refuses the declaration.
class BlockReader {
public:
    BlockReader(TokenFeed& feed, ExpressionReader& expressions)
        : m_feed(feed), m_expressions(expressions) {}

    /// "texture { ... }" after the keyword: adds its layers to `texture`.
    void Texture(PovTexture& texture, const PovToken& keyword);
    /// "material { ... }" after the keyword.
    PovTexture Material(const PovToken& keyword);
    /// "pigment { ... }" after the keyword, starting from `pigment` (POV-Ray changes a pigment
    /// given before rather than starting afresh).
    void Pigment(PovPigment& pigment, const PovToken& keyword);
    void Normal(PovNormal& normal, const PovToken& keyword);
    void Finish(PovFinish& finish, const PovToken& keyword);
    PovInterior Interior(const PovToken& keyword);
    PovColorMap ColorMap(const PovToken& keyword);
    TransformList Transform(const PovToken& keyword);
    /// Reads a transformation when `keyword` is one (translate, rotate, scale, matrix,
    /// transform) and adds it to `steps`; false otherwise, with nothing read.
    bool TransformStepInto(TransformList& steps);
    /// Passes over a balanced "{ ... }" after a keyword whose content is not read.
    void SkipBlock(const PovToken& keyword);
    /// Passes over what follows up to `closer` at this level, which it leaves to be taken:
    /// what the reader does not evaluate, kept in the text taken.
    void SkipTo(const char* closer, const PovToken& from);

    /// Layered textures are held to this many layers.
    static constexpr std::size_t kMaxLayers = 256;
    /// Colour maps hold at most this many entries, as in POV-Ray.
    static constexpr std::size_t kMaxMapEntries = 256;
    /// Pigments counted through nested pigment maps, to keep a doubling chain bounded.
    static constexpr int kMaxPigmentWeight = 4096;

private:
    void PigmentBody(PovPigment& pigment, const char* closer);
    void NormalBody(PovNormal& normal, const char* closer);
    void FinishBody(PovFinish& finish);
    void TextureBody(PovTexture& block);
    bool PatternModifier(PovPattern& pattern);
    /// Before `closer` ends a pattern's block in text of a version before 3.5 that uses noise
    /// without naming its generator: puts in "noise_generator 1", which that version means.
    bool OlderNoisePut(PovPattern& pattern, const char* closer);
    bool PatternKeyword(PovPattern& pattern, const PovToken& word, bool normal);
    PovImage Image(const PovToken& keyword, std::vector<Unheld>& dropped);
    void ColorMapEntry(PovColorMap& map);
    void PigmentMap(PovPigment& pigment, const PovToken& keyword);
    void BlockPatternList(PovPigment& pigment);
    void Reflection(PovFinish& finish, const PovToken& keyword);

    void Open(const PovToken& keyword);
    /// Refuses a word a block does not take: an identifier nobody declared, or a keyword.
    [[noreturn]] void UnknownWord(const PovToken& word, const char* block) const;
    /// The value of a declared identifier standing at the start of a block, or null when the
    /// next token is no declared identifier. A skipped declaration refuses this one too.
    const PovValue* DeclaredValue(const PovToken& token) const;
    /// The value of type T declared as the identifier `token`, taken; null when the token is
    /// no declared identifier; a value of another kind refuses ("X is a finish, not `kind`").
    template <typename T> const T* TakeDeclared(const PovToken& token, const char* kind);
    /// Takes the token that closes a block when it comes next.
    bool Closes(const char* closer);
    Placed<double> PlacedFloat();
    /// Reads a keyword that may stand in `place` but has no reading of its own here, with its
    /// argument of the kind the language table gives, and keeps it as Unheld.
    bool DroppedModifier(std::vector<Unheld>& unheld, PovLanguage::Place place);
    /// Takes a "uv_mapping" before the declared value a texture, pigment or normal starts
    /// from, where POV-Ray takes it too.
    std::optional<SourcePosition> LeadingUvMapping();

    TokenFeed& m_feed;
    ExpressionReader& m_expressions;
};
