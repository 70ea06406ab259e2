#include "core/shapes/surroundings.h"

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "core/povtext/language/povlexer.h"
#include "core/povtext/language/sourceerror.h"
#include "core/shapes/builtinshapes.h"

#include <algorithm>

namespace {

constexpr double kStrongReflection = 0.5;
constexpr double kDefaultDiffuse = 0.6;

bool Reflects(double reflection, double diffuse) {
    return reflection >= kStrongReflection && reflection > diffuse;
}

/// The strongest plain number of the value after `reflection`: a number, a colour vector, or
/// the minimum and maximum of a reflection block (what follows a keyword in it is passed over).
double ReflectionAfter(PovLexer& lexer) {
    PovToken token = lexer.Next();
    while (token.kind == PovToken::Word &&
           (token.text == "color" || token.text == "colour" || token.text.starts_with("rgb") ||
            token.text.starts_with("srgb")))
        token = lexer.Next();
    double strongest = 0.0;
    if (token.kind == PovToken::Number)
        return token.number;
    const bool block = token.IsSymbol("{");
    if (!block && !token.IsSymbol("<"))
        return strongest;
    const char* close = block ? "}" : ">";
    bool afterKeyword = false;
    for (token = lexer.Next(); token.kind != PovToken::End && !token.IsSymbol(close);
         token = lexer.Next()) {
        if (token.kind == PovToken::Number && !afterKeyword)
            strongest = std::max(strongest, token.number);
        afterKeyword = token.kind == PovToken::Word && block;
        if (token.IsSymbol("<") || token.IsSymbol("{"))
            break; // nested values are more than this look can weigh
    }
    return strongest;
}

bool SourceMostlyReflects(const std::string& text) {
    double reflection = 0.0;
    double diffuse = -1.0;
    try {
        PovLexer lexer(text, 0);
        for (PovToken token = lexer.Next(); token.kind != PovToken::End; token = lexer.Next()) {
            if (token.IsWord("reflection")) {
                reflection = std::max(reflection, ReflectionAfter(lexer));
            } else if (token.IsWord("diffuse")) {
                PovToken value = lexer.Next();
                if (value.IsWord("albedo"))
                    value = lexer.Next();
                if (value.kind == PovToken::Number)
                    diffuse = std::max(diffuse, value.number);
            }
        }
    } catch (const SourceSyntaxError&) {
        return false;
    }
    return Reflects(reflection, diffuse < 0 ? kDefaultDiffuse : diffuse);
}

bool SimpleMostlyReflects(const SimpleTexture& texture) {
    return Reflects(texture.finish.reflection / 100.0, texture.finish.diffuse / 100.0);
}

} // namespace

bool MostlyReflects(const Texture& texture) {
    switch (texture.Kind()) {
    case TextureKind::Simple:
        return SimpleMostlyReflects(static_cast<const SimpleTexture&>(texture));
    case TextureKind::Layered: {
        // What shows of it is what its layers reflect, seen through the clear ones.
        const auto& layered = static_cast<const LayeredTexture&>(texture);
        bool reflects = false;
        for (int i = 0; i < layered.GetLayerCount(); ++i) {
            const SimpleTexture& layer = *layered.GetLayer(i);
            if (SimpleMostlyReflects(layer))
                reflects = true;
            else if (!layer.LetsLightThrough())
                return false;
        }
        return reflects;
    }
    case TextureKind::Source:
        return SourceMostlyReflects(static_cast<const SourceTexture&>(texture).GetText());
    }
    return false;
}

std::uint8_t FittingPreviewShape(const Texture& texture) {
    if (texture.GetPreviewShape() == 0 && (texture.LetsLightThrough() || MostlyReflects(texture)))
        return kSeeThroughShape;
    return texture.GetPreviewShape();
}
