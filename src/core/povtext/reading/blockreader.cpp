#include "core/povtext/reading/blockreader.h"

#include "core/povtext/language/language.h"
#include "core/povtext/language/sourceerror.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <utility>

namespace {

/// Patterns that take no argument of their own; those the model has come through as they are,
/// the others reach the mapping by name.
bool IsPlainPattern(std::string_view word) {
    return PovLanguage::IsOneOf(word, {"agate",       "bozo",    "bumps",   "cells",    "crackle",
                                       "dents",       "granite", "leopard", "marble",   "onion",
                                       "planar",      "quilted", "radial",  "ripples",  "spherical",
                                       "spotted",     "waves",   "wood",    "wrinkles", "boxed",
                                       "cylindrical", "facets"});
}

bool IsUnreadPattern(std::string_view word) {
    return PovLanguage::Is(word, PovLanguage::kUnreadPattern);
}

bool IsBlockPattern(std::string_view word) {
    return PovLanguage::Is(word, PovLanguage::kBlockPattern);
}

bool IsWave(std::string_view word) {
    return PovLanguage::Is(word, PovLanguage::kWave);
}

bool IsImageType(std::string_view word) {
    return PovLanguage::Is(word, PovLanguage::kImageType);
}

} // namespace

void BlockReader::UnknownWord(const PovToken& word, const char* block) const {
    if (word.kind == PovToken::Word && !IsPovRayReservedWord(word.text))
        m_expressions.Refuse(word.at, word.text + " is not declared");
    m_expressions.Refuse(word.at, NotReadIn(word, block));
}

void BlockReader::Open(const PovToken& keyword) {
    const PovToken& next = m_feed.Peek();
    if (!next.IsSymbol("{"))
        m_expressions.Refuse(next.at, "expected '{' after " + keyword.text + " but found " +
                                          Described(next));
    m_feed.Take();
}

const PovValue* BlockReader::DeclaredValue(const PovToken& token) const {
    if (token.kind != PovToken::Word)
        return nullptr;
    const Symbol* symbol = m_feed.Lookup(token.text);
    if (!symbol)
        return nullptr;
    if (symbol->macro)
        m_expressions.Refuse(token.at,
                             "the macro " + token.text + " (" + m_feed.Describe(symbol->where) +
                                 ") is called; macros with optional parameters are not evaluated");
    if (!symbol->value)
        throw m_expressions.SkippedUse(token, *symbol);
    return symbol->value.get();
}

template <typename T> const T* BlockReader::TakeDeclared(const PovToken& token, const char* kind) {
    const PovValue* value = DeclaredValue(token);
    if (!value)
        return nullptr;
    const T* declared = std::get_if<T>(value);
    if (!declared)
        m_expressions.Refuse(token.at, token.text + " is a " + KindName(*value) + ", not " + kind);
    // Every caller copies what it takes.
    m_feed.CountMade(MemoryOf(*value), token.at);
    m_feed.Take();
    return declared;
}

bool BlockReader::Closes(const char* closer) {
    if (!m_feed.Peek().IsSymbol(closer))
        return false;
    m_feed.Take();
    return true;
}

Placed<double> BlockReader::PlacedFloat() {
    Placed<double> placed;
    placed.where = m_feed.Peek().at;
    placed.value = m_expressions.Float();
    return placed;
}

void BlockReader::SkipTo(const char* closer, const PovToken& from) {
    for (int depth = 0;;) {
        const PovToken& next = m_feed.Peek();
        if (depth == 0 && next.IsSymbol(closer))
            return;
        if (next.kind == PovToken::End || next.kind == PovToken::Directive ||
            next.kind == PovToken::FileEnd)
            m_expressions.Refuse(from.at, std::string("expected '") + closer + "' after " +
                                              from.text + " but found " + Described(next));
        if (m_expressions.DrawPassedRandom())
            continue;
        const PovToken token = m_feed.Take();
        if (token.IsSymbol("{") || token.IsSymbol("[") || token.IsSymbol("("))
            ++depth;
        else if (token.IsSymbol("}") || token.IsSymbol("]") || token.IsSymbol(")"))
            --depth;
        if (depth < 0)
            m_expressions.Refuse(token.at, "this '" + token.text + "' closes no block");
    }
}

void BlockReader::SkipBlock(const PovToken& keyword) {
    Open(keyword);
    int depth = 1;
    while (depth > 0) {
        if (m_expressions.DrawPassedRandom())
            continue;
        const PovToken token = m_feed.Take();
        if (token.IsSymbol("{"))
            ++depth;
        else if (token.IsSymbol("}"))
            --depth;
        else if (token.kind == PovToken::End || token.kind == PovToken::Directive)
            m_expressions.Refuse(keyword.at, "the block of " + keyword.text + " is not closed");
    }
}

bool BlockReader::DroppedModifier(std::vector<Unheld>& unheld, PovLanguage::Place place) {
    const PovToken word = m_feed.Peek();
    if (word.kind != PovToken::Word)
        return false;
    const std::string& w = word.text;
    const PovLanguage::PovKeyword* row = PovLanguage::Find(w);
    // Patterns, transformations, colours and expressions have readings of their own.
    if (!row || (row->places & place) == 0 || (row->places & PovLanguage::kColor) != 0 ||
        row->Is(PovLanguage::kPattern) || row->Is(PovLanguage::kTransformation) ||
        row->Is(PovLanguage::kExpression) || row->Is(PovLanguage::kImageType))
        return false;
    using PovLanguage::PovValue;
    const PovValue kind = row->value;
    if (kind == PovValue::None || kind == PovValue::String || kind == PovValue::Pattern)
        return false;
    m_feed.Take();
    double value = 0.0;
    switch (kind) {
    case PovValue::Flag:
        // An optional on or off may follow.
        value = m_expressions.StartsNumber(m_feed.Peek()) ? m_expressions.Float() : 1.0;
        if (value == 0.0)
            return true;
        break;
    case PovValue::Float:
    case PovValue::Choice:
        value = m_expressions.Float();
        break;
    case PovValue::Vector:
        m_expressions.Vector();
        break;
    case PovValue::Color: {
        const PovColor color = m_expressions.Color();
        value = color[0] + color[1] + color[2];
        break;
    }
    default:
        SkipBlock(word);
        break;
    }
    // POV-Ray's defaults need no place in the model.
    const bool isDefault = (w == "noise_generator" && value == 2.0) ||
                           (w == "emission" && value == 0.0) || w == "quick_color" ||
                           w == "quick_colour";
    if (!isDefault)
        unheld.push_back({w, word.at});
    return true;
}

void BlockReader::Texture(PovTexture& texture, const PovToken& keyword) {
    Open(keyword);
    NestingLevel level(m_feed, keyword.at);
    PovTexture block;
    TextureBody(block);
    if (block.tiles && !texture.layers.empty())
        m_expressions.Refuse(keyword.at, "a tiles texture stands among layers");
    if (texture.tiles)
        m_expressions.Refuse(keyword.at, "a layer stands over a tiles texture");
    texture.layers.insert(texture.layers.end(), std::make_move_iterator(block.layers.begin()),
                          std::make_move_iterator(block.layers.end()));
    texture.tiles = block.tiles;
    texture.unheld.insert(texture.unheld.end(), block.unheld.begin(), block.unheld.end());
    if (texture.layers.size() > kMaxLayers)
        m_expressions.Refuse(keyword.at, "the texture has more than 256 layers");
}

std::optional<SourcePosition> BlockReader::LeadingUvMapping() {
    if (!m_feed.Peek().IsWord("uv_mapping"))
        return std::nullopt;
    return m_feed.Take().at;
}

void BlockReader::TextureBody(PovTexture& block) {
    const auto uvMapping = LeadingUvMapping();
    const PovToken first = m_feed.Peek();
    const PovValue* declared = DeclaredValue(first);
    // A declared pigment, normal or finish is read in the loop below.
    const bool part = declared && (std::holds_alternative<PovPigment>(*declared) ||
                                   std::holds_alternative<PovNormal>(*declared) ||
                                   std::holds_alternative<PovFinish>(*declared));
    if (const auto* texture = part ? nullptr : TakeDeclared<PovTexture>(first, "a texture")) {
        if (texture->material)
            m_expressions.Refuse(first.at, first.text + " is a material, not a texture");
        block = *texture;
    } else {
        m_feed.CountMade(sizeof(PovLayer), first.at);
        block.layers.emplace_back();
    }
    if (uvMapping)
        block.unheld.push_back({"uv_mapping", *uvMapping});
    // POV-Ray gives a pigment, normal or finish after a layered texture to its top layer.
    auto topLayer = [&](const PovToken& at) -> PovLayer& {
        if (block.tiles)
            m_expressions.Refuse(at.at, at.text + " changes a tiles texture");
        return block.layers.back();
    };
    while (!Closes("}")) {
        const PovToken next = m_feed.Peek();
        if (next.kind != PovToken::Word)
            m_expressions.Refuse(next.at,
                                 "expected '}' to close the texture but found " + Described(next));
        const std::string& w = next.text;
        if (w == "pigment") {
            m_feed.Take();
            PovLayer& layer = topLayer(next);
            layer.Bake();
            Pigment(layer.pigment, next);
        } else if (w == "normal") {
            m_feed.Take();
            PovLayer& layer = topLayer(next);
            layer.Bake();
            if (!layer.normal)
                layer.normal.emplace();
            Normal(*layer.normal, next);
        } else if (w == "finish") {
            m_feed.Take();
            Finish(topLayer(next).finish, next);
        } else if (w == "tiles") {
            m_feed.Take();
            Open(next);
            NestingLevel level(m_feed, next.at);
            PovTexture tile1, tile2;
            while (m_feed.Peek().IsWord("texture")) {
                const PovToken texture = m_feed.Take();
                Texture(tile1, texture);
            }
            if (!m_feed.Peek().IsWord("tile2"))
                m_expressions.Refuse(m_feed.Peek().at,
                                     "expected tile2 but found " + Described(m_feed.Peek()));
            m_feed.Take();
            while (m_feed.Peek().IsWord("texture")) {
                const PovToken texture = m_feed.Take();
                Texture(tile2, texture);
            }
            if (!Closes("}"))
                m_expressions.Refuse(m_feed.Peek().at, "expected '}' to close tiles but found " +
                                                           Described(m_feed.Peek()));
            if (tile1.layers.empty() || tile2.layers.empty())
                m_expressions.Refuse(next.at, "tiles needs a texture before and after tile2");
            // Kept as text: the model's tiles are of one layer each.
            if (tile1.layers.size() != 1 || tile2.layers.size() != 1 || tile1.tiles || tile2.tiles)
                block.unheld.push_back({"tiles of layered textures", next.at});
            block.layers = {tile1.layers.front(), tile2.layers.front()};
            block.tiles = true;
            block.unheld.insert(block.unheld.end(), tile1.unheld.begin(), tile1.unheld.end());
            block.unheld.insert(block.unheld.end(), tile2.unheld.begin(), tile2.unheld.end());
        } else if (TransformList steps; TransformStepInto(steps)) {
            if (block.tiles)
                block.unheld.push_back({"transformations of a tiles texture", next.at});
            for (PovLayer& layer : block.layers)
                layer.transforms.insert(layer.transforms.end(), steps.begin(), steps.end());
        } else if (w == "texture_map" || w == "material_map" || IsPlainPattern(w) ||
                   IsBlockPattern(w) || IsUnreadPattern(w) || w == "gradient" || w == "spiral1" ||
                   w == "spiral2") {
            // Kept as it is written, for a source texture.
            block.unheld.push_back({"a patterned texture (" + w + ")", next.at});
            SkipTo("}", next);
        } else if (const PovValue* part = DeclaredValue(next);
                   part && (std::holds_alternative<PovPigment>(*part) ||
                            std::holds_alternative<PovNormal>(*part) ||
                            std::holds_alternative<PovFinish>(*part))) {
            // A declared pigment, normal or finish stands for itself in a texture.
            m_feed.Take();
            PovLayer& layer = topLayer(next);
            if (const auto* pigment = std::get_if<PovPigment>(part)) {
                layer.Bake();
                layer.pigment = *pigment;
            } else if (const auto* normal = std::get_if<PovNormal>(part)) {
                layer.Bake();
                layer.normal = *normal;
            } else {
                layer.finish = std::get<PovFinish>(*part);
            }
        } else if (!DroppedModifier(block.unheld, PovLanguage::kTexture)) {
            UnknownWord(next, "a texture");
        }
    }
}

PovTexture BlockReader::Material(const PovToken& keyword) {
    Open(keyword);
    NestingLevel level(m_feed, keyword.at);
    PovTexture material;
    const PovToken first = m_feed.Peek();
    if (const auto* declared = TakeDeclared<PovTexture>(first, "a material")) {
        if (!declared->material)
            m_expressions.Refuse(first.at, first.text + " is a texture, not a material");
        material = *declared;
    }
    material.material = true;
    while (!Closes("}")) {
        const PovToken next = m_feed.Peek();
        if (next.IsWord("texture")) {
            m_feed.Take();
            Texture(material, next);
        } else if (next.IsWord("interior")) {
            m_feed.Take();
            const PovInterior interior = Interior(next);
            if (interior.ior)
                material.interiorIor = interior.ior;
            material.unheld.insert(material.unheld.end(), interior.unheld.begin(),
                                   interior.unheld.end());
        } else if (TransformList steps; TransformStepInto(steps)) {
            for (PovLayer& layer : material.layers)
                layer.transforms.insert(layer.transforms.end(), steps.begin(), steps.end());
        } else {
            m_expressions.Refuse(next.at, "expected texture, interior or '}' in a material but "
                                          "found " +
                                              Described(next));
        }
    }
    return material;
}

void BlockReader::Pigment(PovPigment& pigment, const PovToken& keyword) {
    Open(keyword);
    NestingLevel level(m_feed, keyword.at);
    PigmentBody(pigment, "}");
}

void BlockReader::PigmentBody(PovPigment& pigment, const char* closer) {
    const auto uvMapping = LeadingUvMapping();
    // A declared colour starts a colour; a declared pigment is taken whole.
    if (const PovValue* value = DeclaredValue(m_feed.Peek());
        value && !std::holds_alternative<PovNumber>(*value))
        pigment = *TakeDeclared<PovPigment>(m_feed.Peek(), "a pigment");
    if (uvMapping)
        pigment.pattern.unheld.push_back({"uv_mapping", *uvMapping});
    while (OlderNoisePut(pigment.pattern, closer) || !Closes(closer)) {
        const PovToken next = m_feed.Peek();
        if (next.kind == PovToken::Word) {
            const std::string& w = next.text;
            if (IsUnreadPattern(w)) {
                // Kept as it is written, for a source texture.
                pigment.pattern.unheld.push_back({"the pattern " + w, next.at});
                SkipTo(closer, next);
                continue;
            }
            if (PatternKeyword(pigment.pattern, next, false)) {
                if (IsBlockPattern(w))
                    BlockPatternList(pigment);
                continue;
            }
            if (w == "color_map" || w == "colour_map") {
                m_feed.Take();
                pigment.colorMap = ColorMap(next);
                continue;
            }
            if (w == "pigment_map") {
                m_feed.Take();
                PigmentMap(pigment, next);
                continue;
            }
            if (w == "image_map") {
                m_feed.Take();
                pigment.pattern.name = "image_map";
                pigment.pattern.where = next.at;
                pigment.pattern.image = Image(next, pigment.pattern.unheld);
                continue;
            }
            if (PatternModifier(pigment.pattern) ||
                DroppedModifier(pigment.pattern.unheld, PovLanguage::kPigment))
                continue;
        }
        if (m_expressions.StartsColor(next)) {
            pigment.pattern.name.clear();
            pigment.color.where = next.at;
            pigment.color.value = m_expressions.Color();
            continue;
        }
        if (next.kind == PovToken::Word)
            UnknownWord(next, "a pigment");
        m_expressions.Refuse(next.at, std::string("expected '") + closer +
                                          "' to close the pigment but found " + Described(next));
    }
}

bool BlockReader::PatternKeyword(PovPattern& pattern, const PovToken& word, bool normal) {
    const std::string& w = word.text;
    if (IsUnreadPattern(w))
        m_expressions.Refuse(word.at, "the pattern " + w + " is not read");
    if (normal && IsBlockPattern(w))
        m_expressions.Refuse(word.at, "a normal made of other normals (" + w + ") cannot be held");
    if (!IsPlainPattern(w) && !IsBlockPattern(w) && w != "gradient" && w != "spiral1" &&
        w != "spiral2")
        return false;
    m_feed.Take();
    pattern.name = w;
    pattern.where = word.at;
    if (w == "gradient")
        pattern.gradient = m_expressions.Vector();
    else if (w == "spiral1" || w == "spiral2")
        m_expressions.Float();
    return true;
}

bool BlockReader::OlderNoisePut(PovPattern& pattern, const char* closer) {
    // Before 3.5 POV-Ray had only the noise that 3.5 and later call noise_generator 1.
    static constexpr double kFirstNewNoise = 3.5;
    if (pattern.noiseGenerator || m_feed.LanguageVersion() >= kFirstNewNoise ||
        !m_feed.Peek().IsSymbol(closer))
        return false;
    const bool noisy = (pattern.turbulence && !pattern.name.empty()) ||
                       PovLanguage::IsOneOf(pattern.name, {"agate", "bozo", "bumps", "dents",
                                                           "granite", "spotted", "wrinkles"});
    if (!noisy)
        return false;
    pattern.noiseGenerator = true;
    pattern.noisePutIn = true;
    const SourcePosition at = m_feed.Peek().at;
    pattern.unheld.push_back({"noise_generator 1 (the noise of text before #version 3.5)", at});
    m_feed.PutNext({MadeToken(PovToken::Word, "noise_generator", at),
                    MadeToken(PovToken::Number, "1", at, 1.0)});
    return true;
}

bool BlockReader::PatternModifier(PovPattern& pattern) {
    const PovToken word = m_feed.Peek();
    if (word.kind != PovToken::Word)
        return false;
    const std::string& w = word.text;
    if (w == "noise_generator" && std::exchange(pattern.noisePutIn, false)) {
        m_feed.Take();
        m_expressions.Float();
        return true;
    }
    if (w == "noise_generator")
        pattern.noiseGenerator = true;
    if (w == "turbulence") {
        m_feed.Take();
        pattern.turbulence = Placed<Vector3>{m_expressions.Vector(), word.at};
    } else if (w == "octaves") {
        m_feed.Take();
        pattern.octaves = PlacedFloat();
    } else if (w == "omega") {
        m_feed.Take();
        pattern.omega = PlacedFloat();
    } else if (w == "lambda") {
        m_feed.Take();
        pattern.lambda = PlacedFloat();
    } else if (w == "phase") {
        m_feed.Take();
        pattern.phase = PlacedFloat();
    } else if (w == "frequency") {
        m_feed.Take();
        pattern.frequency = PlacedFloat();
    } else if (w == "agate_turb") {
        m_feed.Take();
        pattern.agateTurbulence = PlacedFloat();
    } else if (IsWave(w)) {
        m_feed.Take();
        if (w == "poly_wave" && m_expressions.StartsNumber(m_feed.Peek()))
            m_expressions.Float();
        pattern.wave = Placed<std::string>{w, word.at};
    } else if (!TransformStepInto(pattern.transforms)) {
        return false;
    }
    return true;
}

void BlockReader::BlockPatternList(PovPigment& pigment) {
    int index = 0;
    while (true) {
        const PovToken next = m_feed.Peek();
        if (next.IsSymbol(",")) {
            m_feed.Take();
            continue;
        }
        if (next.IsWord("pigment")) {
            m_feed.Take();
            auto item = std::make_shared<PovPigment>();
            Pigment(*item, next);
            pigment.weight += item->weight;
            pigment.pigmentMap.push_back({static_cast<double>(index++), std::move(item), next.at});
        } else if (m_expressions.StartsColor(next) && !next.IsSymbol("-")) {
            pigment.colorList.push_back({m_expressions.Color(), next.at});
            ++index;
        } else {
            break;
        }
        if (pigment.weight > kMaxPigmentWeight)
            m_expressions.Refuse(next.at, "pigments nest too deeply");
    }
}

void BlockReader::PigmentMap(PovPigment& pigment, const PovToken& keyword) {
    Open(keyword);
    NestingLevel level(m_feed, keyword.at);
    pigment.pigmentMap.clear();
    pigment.weight = 1;
    while (!Closes("}")) {
        const PovToken next = m_feed.Peek();
        if (!next.IsSymbol("["))
            m_expressions.Refuse(next.at,
                                 "expected '[' in the pigment map but found " + Described(next));
        m_feed.Take();
        PigmentMapEntry entry;
        entry.where = next.at;
        entry.position = m_expressions.Float();
        if (m_feed.Peek().IsSymbol(","))
            m_feed.Take();
        auto item = std::make_shared<PovPigment>();
        PigmentBody(*item, "]");
        pigment.weight += item->weight;
        if (pigment.weight > kMaxPigmentWeight)
            m_expressions.Refuse(next.at, "pigment maps nest too deeply");
        if (pigment.pigmentMap.size() >= kMaxMapEntries)
            m_expressions.Refuse(next.at, "the pigment map has more than 256 entries");
        entry.pigment = std::move(item);
        pigment.pigmentMap.push_back(std::move(entry));
    }
}

PovImage BlockReader::Image(const PovToken& keyword, std::vector<Unheld>& dropped) {
    Open(keyword);
    PovImage image;
    image.where = keyword.at;
    if (m_feed.Peek().kind == PovToken::Word && IsImageType(m_feed.Peek().text)) {
        image.where = m_feed.Peek().at;
        image.type = m_feed.Take().text;
    }
    image.fileName = m_expressions.String();
    while (!Closes("}")) {
        const PovToken next = m_feed.Peek();
        const std::string& w = next.text;
        if (next.IsWord("once")) {
            m_feed.Take();
            image.once = true;
        } else if (next.IsWord("map_type") || next.IsWord("interpolate")) {
            m_feed.Take();
            const double value = m_expressions.Float();
            if (value < 0 || value > 255)
                m_expressions.Refuse(next.at, w + " must lie between 0 and 255");
            (w == "map_type" ? image.mapType : image.interpolate) = static_cast<int>(value);
        } else if (next.IsWord("bump_size")) {
            m_feed.Take();
            image.bumpSize = PlacedFloat();
        } else if (next.IsWord("filter") || next.IsWord("transmit")) {
            m_feed.Take();
            if (m_feed.Peek().IsWord("all")) {
                m_feed.Take();
                m_expressions.Float();
            } else {
                m_expressions.Float();
                m_expressions.Expect(",");
                m_expressions.Float();
            }
            dropped.push_back({w + " in an image map", next.at});
        } else if (!DroppedModifier(dropped, PovLanguage::kImageMap)) {
            m_expressions.Refuse(next.at, NotReadIn(next, "an image map"));
        }
    }
    return image;
}

void BlockReader::Normal(PovNormal& normal, const PovToken& keyword) {
    Open(keyword);
    NestingLevel level(m_feed, keyword.at);
    NormalBody(normal, "}");
}

void BlockReader::NormalBody(PovNormal& normal, const char* closer) {
    const auto uvMapping = LeadingUvMapping();
    if (const auto* declared = TakeDeclared<PovNormal>(m_feed.Peek(), "a normal"))
        normal = *declared;
    if (uvMapping)
        normal.pattern.unheld.push_back({"uv_mapping", *uvMapping});
    while (OlderNoisePut(normal.pattern, closer) || !Closes(closer)) {
        const PovToken next = m_feed.Peek();
        if (next.kind != PovToken::Word)
            m_expressions.Refuse(next.at, std::string("expected '") + closer +
                                              "' to close the normal but found " + Described(next));
        const std::string& w = next.text;
        if (IsUnreadPattern(w) || IsBlockPattern(w)) {
            normal.pattern.unheld.push_back({IsBlockPattern(w)
                                                 ? "a normal made of other normals (" + w + ")"
                                                 : "the pattern " + w,
                                             next.at});
            SkipTo(closer, next);
            continue;
        }
        if (PatternKeyword(normal.pattern, next, true)) {
            if (m_feed.Peek().IsSymbol(","))
                m_feed.Take();
            if (m_expressions.StartsNumber(m_feed.Peek()))
                normal.amount = PlacedFloat();
            else
                normal.amount = {0.5, next.at};
        } else if (w == "bump_map") {
            m_feed.Take();
            normal.pattern.name = "bump_map";
            normal.pattern.where = next.at;
            normal.pattern.image = Image(next, normal.pattern.unheld);
        } else if (w == "bump_size") {
            m_feed.Take();
            normal.amount = PlacedFloat();
        } else if (!PatternModifier(normal.pattern) &&
                   !DroppedModifier(normal.pattern.unheld, PovLanguage::kNormal)) {
            UnknownWord(next, "a normal");
        }
    }
}

void BlockReader::Finish(PovFinish& finish, const PovToken& keyword) {
    Open(keyword);
    NestingLevel level(m_feed, keyword.at);
    FinishBody(finish);
}

void BlockReader::FinishBody(PovFinish& finish) {
    if (const auto* declared = TakeDeclared<PovFinish>(m_feed.Peek(), "a finish"))
        finish = *declared;
    while (!Closes("}")) {
        const PovToken next = m_feed.Peek();
        if (next.kind != PovToken::Word)
            m_expressions.Refuse(next.at,
                                 "expected '}' to close the finish but found " + Described(next));
        const std::string& w = next.text;
        auto albedo = [&] {
            if (m_feed.Peek().IsWord("albedo")) {
                finish.unheld.push_back({"albedo", m_feed.Take().at});
            }
        };
        if (w == "ambient") {
            m_feed.Take();
            finish.ambient = {m_expressions.Color(), next.at};
        } else if (w == "diffuse") {
            m_feed.Take();
            albedo();
            finish.diffuse = PlacedFloat();
            if (m_feed.Peek().IsSymbol(",")) {
                finish.unheld.push_back({"a diffuse value for the back side", m_feed.Take().at});
                m_expressions.Float();
            }
        } else if (w == "specular" || w == "phong") {
            m_feed.Take();
            albedo();
            (w == "specular" ? finish.specular : finish.phong) = PlacedFloat();
        } else if (w == "brilliance" || w == "roughness" || w == "phong_size" || w == "crand" ||
                   w == "ior" || w == "refraction") {
            m_feed.Take();
            const Placed<double> value = PlacedFloat();
            (w == "brilliance"   ? finish.brilliance
             : w == "roughness"  ? finish.roughness
             : w == "phong_size" ? finish.phongSize
             : w == "crand"      ? finish.crand
             : w == "ior"        ? finish.ior
                                 : finish.refraction) = value;
        } else if (w == "metallic") {
            m_feed.Take();
            finish.metallic = m_expressions.StartsNumber(m_feed.Peek())
                                  ? PlacedFloat()
                                  : Placed<double>{1.0, next.at};
        } else if (w == "reflection") {
            m_feed.Take();
            Reflection(finish, next);
        } else if (!DroppedModifier(finish.unheld, PovLanguage::kFinish)) {
            UnknownWord(next, "a finish");
        }
    }
}

void BlockReader::Reflection(PovFinish& finish, const PovToken& keyword) {
    if (!m_feed.Peek().IsSymbol("{")) {
        finish.reflection = {m_expressions.Color(), keyword.at};
        return;
    }
    Open(keyword);
    finish.reflection = {m_expressions.Color(), keyword.at};
    // The largest reflection follows the smallest, with or without a comma between them.
    const PovToken between = m_feed.Peek();
    if (between.IsSymbol(",") || m_expressions.StartsColor(between)) {
        if (between.IsSymbol(","))
            m_feed.Take();
        m_expressions.Color();
        finish.unheld.push_back({"a reflection that changes with the angle", between.at});
    }
    while (!Closes("}")) {
        const PovToken next = m_feed.Peek();
        if (next.IsWord("fresnel") || next.IsWord("metallic")) {
            m_feed.Take();
            const double on =
                m_expressions.StartsNumber(m_feed.Peek()) ? m_expressions.Float() : 1.0;
            if (on != 0.0)
                finish.unheld.push_back({next.text + " reflection", next.at});
        } else if (!DroppedModifier(finish.unheld, PovLanguage::kReflection)) {
            m_expressions.Refuse(next.at, NotReadIn(next, "a reflection"));
        }
    }
}

PovInterior BlockReader::Interior(const PovToken& keyword) {
    Open(keyword);
    NestingLevel level(m_feed, keyword.at);
    PovInterior interior;
    if (const auto* declared = TakeDeclared<PovInterior>(m_feed.Peek(), "an interior"))
        interior = *declared;
    while (!Closes("}")) {
        const PovToken next = m_feed.Peek();
        if (next.IsWord("ior")) {
            m_feed.Take();
            interior.ior = PlacedFloat();
        } else if (!DroppedModifier(interior.unheld, PovLanguage::kInterior)) {
            m_expressions.Refuse(next.at, NotReadIn(next, "an interior"));
        }
    }
    return interior;
}

PovColorMap BlockReader::ColorMap(const PovToken& keyword) {
    Open(keyword);
    NestingLevel level(m_feed, keyword.at);
    PovColorMap map;
    if (const auto* declared = TakeDeclared<PovColorMap>(m_feed.Peek(), "a colour map"))
        map = *declared;
    while (!Closes("}")) {
        const PovToken next = m_feed.Peek();
        if (!next.IsSymbol("["))
            m_expressions.Refuse(next.at,
                                 "expected '[' in the colour map but found " + Described(next));
        ColorMapEntry(map);
    }
    return map;
}

void BlockReader::ColorMapEntry(PovColorMap& map) {
    const PovToken open = m_feed.Take();
    if (map.entries.size() >= kMaxMapEntries)
        m_expressions.Refuse(open.at, "the colour map has more than 256 entries");
    const double position = m_expressions.Float();
    if (m_feed.Peek().IsSymbol(","))
        m_feed.Take();
    const PovToken start = m_feed.Peek();
    if (start.IsWord("color") || start.IsWord("colour") || ExpressionReader::IsChannel(start)) {
        map.entries.push_back({position, m_expressions.Color(), open.at});
    } else {
        const PovNumber first = m_expressions.Number();
        const PovToken& after = m_feed.Peek();
        if (first.kind == PovNumber::Float && !after.IsSymbol("]") &&
            !ExpressionReader::IsChannel(after)) {
            // The old form [from, to colour colour] holds two entries.
            const PovColor from = m_expressions.Color();
            const PovColor to = m_expressions.Color();
            map.entries.push_back({position, from, open.at});
            map.entries.push_back({first.v[0], to, open.at});
        } else {
            PovColor color = ExpressionReader::ToColor(first);
            m_expressions.ColorChannels(color);
            map.entries.push_back({position, color, open.at});
        }
    }
    m_expressions.Expect("]");
}

TransformList BlockReader::Transform(const PovToken& keyword) {
    TransformList steps;
    bool inverse = false;
    const PovToken next = m_feed.Peek();
    if (next.IsSymbol("{")) {
        Open(keyword);
        NestingLevel level(m_feed, keyword.at);
        while (!Closes("}")) {
            const PovToken item = m_feed.Peek();
            if (item.IsWord("inverse")) {
                m_feed.Take();
                inverse = true;
            } else if (const auto* declared = TakeDeclared<TransformList>(item, "a transform")) {
                steps.insert(steps.end(), declared->begin(), declared->end());
            } else if (!TransformStepInto(steps)) {
                m_expressions.Refuse(item.at, NotReadIn(item, "a transform"));
            }
        }
    } else {
        const auto* declared = TakeDeclared<TransformList>(next, "a transform");
        if (!declared)
            m_expressions.Refuse(next.at, "expected a transform after " + keyword.text +
                                              " but found " + Described(next));
        steps = *declared;
    }
    if (!inverse)
        return steps;
    const auto reversed = CombinedMap(steps).Inverse();
    if (!reversed)
        m_expressions.Refuse(keyword.at, "the transform cannot be inverted");
    TransformStep step;
    step.kind = TransformStep::General;
    step.map = *reversed;
    step.where = keyword.at;
    return {step};
}

bool BlockReader::TransformStepInto(TransformList& steps) {
    const PovToken word = m_feed.Peek();
    if (word.kind != PovToken::Word)
        return false;
    TransformStep step;
    step.where = word.at;
    if (word.text == "translate" || word.text == "rotate" || word.text == "scale") {
        m_feed.Take();
        step.kind = word.text == "translate" ? TransformStep::Translate
                    : word.text == "rotate"  ? TransformStep::Rotate
                                             : TransformStep::Scale;
        step.v = m_expressions.Vector();
        steps.push_back(step);
        return true;
    }
    if (word.text == "matrix") {
        m_feed.Take();
        const std::vector<double> values = m_expressions.AngledFloats();
        if (values.size() != 12)
            m_expressions.Refuse(word.at, "a matrix needs twelve values");
        std::array<double, 12> m{};
        std::copy(values.begin(), values.end(), m.begin());
        step.kind = TransformStep::General;
        step.map = Affine::FromPovMatrix(m);
        steps.push_back(step);
        return true;
    }
    if (word.text == "transform") {
        m_feed.Take();
        const TransformList more = Transform(word);
        steps.insert(steps.end(), more.begin(), more.end());
        return true;
    }
    return false;
}
