#include "core/povtext/reading/povvalues.h"

#include <unordered_map>

PovNumber PovNumber::OfFloat(double value) {
    PovNumber number;
    number.v = {value, value, value, value, value};
    return number;
}

PovNumber PovNumber::OfVector(std::initializer_list<double> values) {
    PovNumber number;
    number.kind = Vector;
    number.size = static_cast<int>(values.size());
    std::size_t i = 0;
    for (double value : values)
        number.v[i++] = value;
    return number;
}

PovNumber PovNumber::OfColor(const PovColor& color) {
    PovNumber number;
    number.kind = Color;
    number.size = 5;
    number.v = color;
    return number;
}

Affine TransformStep::ToAffine() const {
    switch (kind) {
    case Translate:
        return Affine::Translation(v);
    case Rotate:
        return Affine::Rotation(v);
    case Scale:
        return Affine::Scaling(v);
    case General:
        break;
    }
    return map;
}

Affine CombinedMap(const TransformList& steps) {
    Affine map;
    for (const TransformStep& step : steps)
        map = map.Then(step.ToAffine());
    return map;
}

void PovLayer::Bake() {
    if (transforms.empty())
        return;
    pigment.pattern.transforms.insert(pigment.pattern.transforms.end(), transforms.begin(),
                                      transforms.end());
    if (normal)
        normal->pattern.transforms.insert(normal->pattern.transforms.end(), transforms.begin(),
                                          transforms.end());
    transforms.clear();
}

std::string KindName(const PovValue& value) {
    struct Namer {
        std::string operator()(const PovNumber& n) const {
            return n.kind == PovNumber::Float   ? "float"
                   : n.kind == PovNumber::Color ? "colour"
                                                : "vector";
        }
        std::string operator()(const std::string&) const { return "string"; }
        std::string operator()(const PovPigment&) const { return "pigment"; }
        std::string operator()(const PovNormal&) const { return "normal"; }
        std::string operator()(const PovFinish&) const { return "finish"; }
        std::string operator()(const PovColorMap&) const { return "colour map"; }
        std::string operator()(const PovTexture& t) const {
            return t.material ? "material" : "texture";
        }
        std::string operator()(const PovInterior&) const { return "interior"; }
        std::string operator()(const TransformList&) const { return "transform"; }
        std::string operator()(const PovOpaque& o) const { return o.kind; }
    };
    return std::visit(Namer{}, value);
}

namespace {

std::size_t MemoryOf(const std::vector<Unheld>& unheld) {
    std::size_t bytes = unheld.size() * sizeof(Unheld);
    for (const Unheld& item : unheld)
        bytes += item.what.size();
    return bytes;
}

std::size_t MemoryOf(const PovPattern& pattern) {
    return pattern.name.size() + pattern.transforms.size() * sizeof(TransformStep) +
           (pattern.image ? pattern.image->fileName.size() : 0) + MemoryOf(pattern.unheld);
}

std::size_t MemoryOf(const PovPigment& pigment) {
    // Pigments in a pigment map are shared, not copied.
    return sizeof(PovPigment) + MemoryOf(pigment.pattern) +
           (pigment.colorMap ? pigment.colorMap->entries.size() * sizeof(ColorMapEntry) : 0) +
           pigment.pigmentMap.size() * sizeof(PigmentMapEntry) +
           pigment.colorList.size() * sizeof(Placed<PovColor>);
}

} // namespace

std::size_t MemoryOf(const PovLayer& layer) {
    return sizeof(PovLayer) + MemoryOf(layer.pigment) - sizeof(PovPigment) +
           (layer.normal ? MemoryOf(layer.normal->pattern) : 0) + MemoryOf(layer.finish.unheld) +
           layer.transforms.size() * sizeof(TransformStep) + MemoryOf(layer.unheld);
}

std::size_t MemoryOf(const PovValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return text->size();
    if (const auto* pigment = std::get_if<PovPigment>(&value))
        return MemoryOf(*pigment);
    if (const auto* map = std::get_if<PovColorMap>(&value))
        return map->entries.size() * sizeof(ColorMapEntry);
    if (const auto* steps = std::get_if<TransformList>(&value))
        return steps->size() * sizeof(TransformStep);
    if (const auto* texture = std::get_if<PovTexture>(&value)) {
        std::size_t bytes = MemoryOf(texture->unheld);
        for (const PovLayer& layer : texture->layers)
            bytes += MemoryOf(layer);
        return bytes;
    }
    return sizeof(PovValue);
}

PovColor ModelColor(std::string_view model, const PovNumber& operand) {
    PovColor color{};
    auto at = [&](int i) { return Component(operand, i); };
    color[0] = at(0);
    color[1] = at(1);
    color[2] = at(2);
    if (model == "rgbf") {
        color[3] = at(3);
    } else if (model == "rgbt") {
        color[4] = at(3);
    } else if (model == "rgbft") {
        color[3] = at(3);
        color[4] = at(4);
    }
    return color;
}

double Component(const PovNumber& n, int i) {
    if (n.kind == PovNumber::Float)
        return n.v[0];
    return i < n.size ? n.v[static_cast<std::size_t>(i)] : 0.0;
}

int DotComponent(const std::string& name) {
    static const std::unordered_map<std::string, int> components = {
        {"x", 0}, {"u", 0},    {"red", 0}, {"y", 1},      {"v", 1},        {"green", 1},
        {"z", 2}, {"blue", 2}, {"t", 3},   {"filter", 3}, {"transmit", 4},
    };
    const auto found = components.find(name);
    return found == components.end() ? -1 : found->second;
}
