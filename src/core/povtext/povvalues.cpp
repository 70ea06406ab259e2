#include "core/povtext/povvalues.h"

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
