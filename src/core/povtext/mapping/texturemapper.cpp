#include "core/povtext/mapping/texturemapper.h"

#include "core/model/layeredtexture.h"
#include "core/model/numberformat.h"
#include "core/model/simpletexture.h"
#include "core/povtext/language/language.h"
#include "core/povtext/mapping/colormapfit.h"
#include "core/povtext/mapping/transformfit.h"

#include <algorithm>
#include <cmath>

namespace {

/// Thrown by Cannot when not approximating.
struct Refusal {
    MappingNote note;
};

/// A number as the messages show it: up to four decimals, no trailing zeros.
std::string Shown(double value) {
    std::string text = FormatFixed(value, 4);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string ShownVector(const Vector3& v) {
    // Appended rather than "<" + ...: GCC 12 sees a false overlap in the insert at the front.
    std::string text = "<";
    text.append(Shown(v[0])).append(", ").append(Shown(v[1])).append(", ").append(Shown(v[2]));
    return text + ">";
}

std::optional<std::uint8_t> ModelPattern(const std::string& name) {
    static const std::pair<const char*, std::uint8_t> patterns[] = {
        {"agate", Pigment::Agate},     {"bozo", Pigment::Bozo},
        {"bumps", Pigment::Bozo},      {"gradient", Pigment::Gradient},
        {"granite", Pigment::Granite}, {"leopard", Pigment::Leopard},
        {"marble", Pigment::Marble},   {"onion", Pigment::Onion},
        {"radial", Pigment::Radial},   {"spotted", Pigment::Spotted},
        {"wood", Pigment::Wood},
    };
    for (const auto& [word, kind] : patterns)
        if (name == word)
            return kind;
    return std::nullopt;
}

/// The model's pattern nearest to one it does not have.
std::pair<std::uint8_t, const char*> NearestPattern(const std::string& name) {
    static const std::pair<const char*, std::pair<std::uint8_t, const char*>> nearest[] = {
        {"crackle", {Pigment::Granite, "granite"}}, {"cells", {Pigment::Spotted, "spotted"}},
        {"facets", {Pigment::Granite, "granite"}},  {"wrinkles", {Pigment::Granite, "granite"}},
        {"dents", {Pigment::Bozo, "bozo"}},         {"ripples", {Pigment::Onion, "onion"}},
        {"waves", {Pigment::Onion, "onion"}},       {"quilted", {Pigment::Leopard, "leopard"}},
        {"spherical", {Pigment::Onion, "onion"}},   {"boxed", {Pigment::Onion, "onion"}},
        {"cylindrical", {Pigment::Wood, "wood"}},   {"planar", {Pigment::Gradient, "gradient y"}},
        {"spiral1", {Pigment::Radial, "radial"}},   {"spiral2", {Pigment::Radial, "radial"}},
    };
    for (const auto& [word, kind] : nearest)
        if (name == word)
            return kind;
    return {Pigment::Granite, "granite"};
}

std::optional<std::uint8_t> ModelNormal(const std::string& name) {
    static const std::pair<const char*, std::uint8_t> kinds[] = {
        {"bumps", Normal::Bumps}, {"dents", Normal::Dents},       {"ripples", Normal::Ripples},
        {"waves", Normal::Waves}, {"wrinkles", Normal::Wrinkles},
    };
    for (const auto& [word, kind] : kinds)
        if (name == word)
            return kind;
    return std::nullopt;
}

bool IsBlockPattern(const std::string& name) {
    return PovLanguage::Is(name, PovLanguage::kBlockPattern);
}

/// The wave POV-Ray gives a pattern that names none.
const char* DefaultWave(const std::string& name) {
    return name == "marble" || name == "wood" ? "triangle_wave" : "ramp_wave";
}

float ToFloat(double value) {
    return static_cast<float>(value);
}

Transformations ToModel(const TranslateRotateScale& parts) {
    Transformations t;
    for (int i = 0; i < 3; ++i) {
        t.translate[static_cast<std::size_t>(i)] =
            ToFloat(parts.translate[static_cast<std::size_t>(i)]);
        t.rotate[static_cast<std::size_t>(i)] = ToFloat(parts.rotate[static_cast<std::size_t>(i)]);
        t.scale[static_cast<std::size_t>(i)] = ToFloat(parts.scale[static_cast<std::size_t>(i)]);
    }
    return t;
}

} // namespace

void TextureMapper::Cannot(const std::string& what, SourcePosition where,
                           const std::string& approximation) {
    if (!m_approximate)
        throw Refusal{{what + " cannot be held", where}};
    m_notes.push_back({approximation, where});
}

void TextureMapper::MapUnheld(const std::vector<Unheld>& unheld) {
    for (const Unheld& item : unheld)
        Cannot(item.what, item.where, item.what + " left out");
}

void TextureMapper::InHundredths(double value, const std::string& what, SourcePosition where) {
    // The model keeps hundredths: anything finer is no longer what POV-Ray reads.
    constexpr double kSlack = 1e-9;
    const double rounded = std::round(value * 100.0) / 100.0;
    if (std::abs(value - rounded) > kSlack * std::max(1.0, std::abs(value)))
        Cannot(what + " " + Shown(value) + " (finer than 0.01)", where,
               what + " " + Shown(value) + " rounded to " + Shown(rounded));
}

int TextureMapper::Hundredths(double value, int top, const std::string& what,
                              SourcePosition where) {
    const double rounded = std::round(value * 100.0);
    if (rounded >= 0.0 && rounded <= top) {
        InHundredths(value, what, where);
        return static_cast<int>(rounded);
    }
    const int clamped = rounded < 0.0 ? 0 : top;
    Cannot(what + " " + Shown(value), where,
           what + " " + Shown(value) + " clamped to " + Shown(clamped / 100.0));
    return clamped;
}

int TextureMapper::GreyHundredths(const Placed<PovColor>& color, const std::string& what) {
    const PovColor& c = color.value;
    const auto r = std::round(c[0] * 100.0), g = std::round(c[1] * 100.0),
               b = std::round(c[2] * 100.0);
    double level = c[0];
    if (r != g || g != b) {
        level = (c[0] + c[1] + c[2]) / 3.0;
        Cannot(what + " in colour " + ShownVector({c[0], c[1], c[2]}), color.where,
               what + " colour " + ShownVector({c[0], c[1], c[2]}) + " taken as its mean " +
                   Shown(level));
    }
    return Hundredths(level, 65535, what, color.where);
}

ColorRGBF TextureMapper::MapColor(const PovColor& color, SourcePosition where) {
    double filter = color[3];
    if (std::round(color[4] * 255.0) != 0.0) {
        Cannot("transmit " + Shown(color[4]), where, "transmit taken as filter");
        filter = std::min(1.0, filter + color[4]);
    }
    bool clamped = false;
    auto channel = [&](double value) {
        const double rounded = std::round(value * 255.0);
        if (rounded < 0.0 || rounded > 255.0) {
            clamped = true;
            return static_cast<std::uint8_t>(rounded < 0.0 ? 0 : 255);
        }
        return static_cast<std::uint8_t>(rounded);
    };
    ColorRGBF held{channel(color[0]), channel(color[1]), channel(color[2]), channel(filter)};
    if (clamped)
        Cannot("a colour channel outside 0 to 1", where, "colour channels outside 0 to 1 clamped");
    return held;
}

MappedTexture TextureMapper::Map(const PovValue& value, const std::string& name,
                                 std::optional<SourcePosition> afterDefault) {
    m_notes.clear();
    MappedTexture mapped;
    try {
        if (afterDefault)
            Cannot("the #default before it", *afterDefault, "the #default before it left out");
        if (const auto* pigment = std::get_if<PovPigment>(&value)) {
            PovLayer layer;
            layer.pigment = *pigment;
            mapped.texture = std::make_unique<SimpleTexture>(MapLayer(layer));
        } else if (const auto* texture = std::get_if<PovTexture>(&value)) {
            mapped.texture = MapTexture(*texture, name);
        } else {
            throw Refusal{{"a " + KindName(value) + " is not a texture", {}}};
        }
        mapped.texture->SetName(name);
    } catch (const Refusal& refusal) {
        mapped.refusal = refusal.note;
        mapped.texture.reset();
    }
    // The same step taken in several places is listed once, at the first.
    for (const MappingNote& note : m_notes) {
        const bool seen = std::any_of(mapped.approximations.begin(), mapped.approximations.end(),
                                      [&](const MappingNote& n) { return n.text == note.text; });
        if (!seen)
            mapped.approximations.push_back(note);
    }
    return mapped;
}

std::unique_ptr<Texture> TextureMapper::MapTexture(const PovTexture& texture,
                                                   const std::string& name) {
    const SourcePosition where =
        texture.layers.empty() ? SourcePosition{} : texture.layers.front().pigment.pattern.where;
    if (texture.material)
        Cannot("a material", texture.interiorIor ? texture.interiorIor->where : where,
               "the material taken as its texture");
    MapUnheld(texture.unheld);
    std::vector<SimpleTexture> layers;
    for (const PovLayer& layer : texture.layers)
        layers.push_back(MapLayer(layer));
    if (texture.interiorIor && !layers.empty()) {
        const double ior = texture.interiorIor->value;
        Cannot("an interior", texture.interiorIor->where,
               "the interior's ior " + Shown(ior) + " taken as the finish's refraction");
        layers.back().finish.refraction = 1;
        layers.back().finish.ior = ToFloat(ior);
    }
    if (layers.size() == 1 && !texture.tiles)
        return std::make_unique<SimpleTexture>(std::move(layers.front()));
    auto layered = std::make_unique<LayeredTexture>();
    layered->SetMode(texture.tiles ? LayeredTexture::Tiles : LayeredTexture::Layers);
    for (std::size_t i = 0; i < layers.size(); ++i) {
        layers[i].SetName(name + " layer " + std::to_string(i + 1));
        layered->AddLayer(layers[i]);
    }
    return layered;
}

SimpleTexture TextureMapper::MapLayer(const PovLayer& layer) {
    SimpleTexture texture;
    MapUnheld(layer.unheld);
    MapPigment(layer.pigment, texture.pigment);
    if (layer.normal)
        MapNormal(*layer.normal, texture.normal);
    MapFinish(layer.finish, texture.finish);
    MapTransformations(layer, texture);
    return texture;
}

void TextureMapper::MapTransformations(const PovLayer& layer, SimpleTexture& texture) {
    static const TransformList none;
    const TransformationsToFit written{
        layer.pigment.pattern.transforms, layer.normal ? layer.normal->pattern.transforms : none,
        layer.transforms, texture.pigment.pattern != Pigment::SolidColor,
        texture.normal.kind != Normal::None};
    auto fitted = FitTransformations(written);
    if (!fitted) {
        SourcePosition where =
            layer.transforms.empty() ? SourcePosition{} : layer.transforms.front().where;
        if (!layer.pigment.pattern.transforms.empty())
            where = layer.pigment.pattern.transforms.front().where;
        Cannot("transformations in this order", where,
               "transformations reordered to translate, rotate and scale");
        fitted = NearestTransformations(written);
    }
    texture.pigment.transformations = ToModel(fitted->pigment);
    texture.normal.transformations = ToModel(fitted->normal);
    texture.transformations = ToModel(fitted->texture);
}

void TextureMapper::MapPigment(const PovPigment& source, Pigment& pigment) {
    const PovPattern& pattern = source.pattern;
    MapUnheld(pattern.unheld);
    const std::string& name = pattern.name;
    if (name.empty()) {
        pigment.pattern = Pigment::SolidColor;
        pigment.color = MapColor(source.color.value, source.color.where);
        return;
    }
    if (IsBlockPattern(name)) {
        Cannot("the pattern " + name, pattern.where, name + " taken as the average of its colours");
        pigment.pattern = Pigment::SolidColor;
        pigment.color = MapColor(AverageColor(source), pattern.where);
        return;
    }
    if (name == "image_map") {
        pigment.pattern = Pigment::ImageMap;
        MapImage(*pattern.image, std::nullopt, pigment.image);
        MapPatternFields(pattern, &pigment, nullptr);
        return;
    }
    if (const auto kind = ModelPattern(name)) {
        pigment.pattern = *kind;
    } else {
        const auto [nearestKind, nearestName] = NearestPattern(name);
        Cannot("the pattern " + name, pattern.where, name + " taken as " + nearestName);
        pigment.pattern = nearestKind;
        if (name == "planar")
            pigment.gradientX = 0, pigment.gradientY = 1, pigment.gradientZ = 0;
    }
    if (name == "gradient") {
        const Vector3& g = pattern.gradient;
        double common = 0.0;
        bool axes = true;
        for (double component : g) {
            if (component == 0.0)
                continue;
            if (common == 0.0)
                common = component;
            axes = axes && component == common && component > 0.0;
        }
        if (!axes || common == 0.0)
            Cannot("gradient " + ShownVector(g), pattern.where,
                   "gradient " + ShownVector(g) + " taken along its axes");
        pigment.gradientX = g[0] != 0.0;
        pigment.gradientY = g[1] != 0.0;
        pigment.gradientZ = g[2] != 0.0;
        if (!pigment.gradientX && !pigment.gradientY && !pigment.gradientZ)
            pigment.gradientX = 1;
    }
    if (pattern.wave && pattern.wave->value != DefaultWave(name))
        Cannot(pattern.wave->value, pattern.wave->where, pattern.wave->value + " left out");
    MapColorMap(source, pigment.colorMap);
    MapPatternFields(pattern, &pigment, nullptr);
}

void TextureMapper::MapColorMap(const PovPigment& source, ColorMap& map) {
    std::vector<HeldMapEntry> held;
    // The positions as read, which a map kept entry for entry holds to the hundredth.
    std::vector<Placed<double>> finer;
    SourcePosition where = source.pattern.where;
    if (!source.pigmentMap.empty()) {
        for (const PigmentMapEntry& entry : source.pigmentMap) {
            PovColor color = entry.pigment->color.value;
            if (!entry.pigment->pattern.name.empty()) {
                Cannot("a pigment map entry that is not a plain colour", entry.where,
                       "pigment map entries taken as their average colours");
                color = AverageColor(*entry.pigment);
            }
            finer.push_back({entry.position, entry.where});
            held.push_back({ToFloat(std::round(entry.position * 100.0) / 100.0),
                            MapColor(color, entry.where)});
        }
    } else {
        const PovColorMap colors =
            source.colorMap ? *source.colorMap : BuiltinColorMap(source.pattern.name);
        for (const ColorMapEntry& entry : colors.entries) {
            const SourcePosition at = entry.where.IsKnown() ? entry.where : where;
            finer.push_back({entry.position, at});
            held.push_back(
                {ToFloat(std::round(entry.position * 100.0) / 100.0), MapColor(entry.color, at)});
        }
        if (!colors.entries.empty() && colors.entries.front().where.IsKnown())
            where = colors.entries.front().where;
    }
    if (held.size() > static_cast<std::size_t>(ColorMap::kMaxEntries) &&
        !DropRedundantEntries(held, ColorMap::kMaxEntries)) {
        const std::string count = std::to_string(held.size());
        Cannot("a colour map of " + count + " entries", where,
               "a colour map of " + count + " entries resampled to 20");
        ResampleEntries(held, ColorMap::kMaxEntries);
    } else {
        for (const Placed<double>& position : finer)
            InHundredths(position.value, "the colour map position", position.where);
    }
    map.count = static_cast<int>(held.size());
    for (std::size_t i = 0; i < held.size(); ++i) {
        map.positions[i] = held[i].position;
        map.colors[i] = held[i].color;
    }
}

void TextureMapper::MapPatternFields(const PovPattern& source, Pigment* pigment, Normal* normal) {
    PatternFields& fields = pigment ? static_cast<PatternFields&>(*pigment) : *normal;
    Turbulence& turbulence = fields.turbulence;
    const bool agate = pigment && pigment->pattern == Pigment::Agate && source.name == "agate";
    std::optional<Placed<double>> amount;
    if (agate) {
        if (source.turbulence)
            Cannot("turbulence on agate", source.turbulence->where, "turbulence on agate left out");
        if (source.agateTurbulence)
            amount = *source.agateTurbulence;
    } else if (source.turbulence) {
        const Vector3& v = source.turbulence->value;
        amount = Placed<double>{v[0], source.turbulence->where};
        if (v[0] != v[1] || v[1] != v[2]) {
            const double mean = (std::abs(v[0]) + std::abs(v[1]) + std::abs(v[2])) / 3.0;
            Cannot("turbulence " + ShownVector(v), source.turbulence->where,
                   "turbulence " + ShownVector(v) + " taken as " + Shown(mean));
            amount->value = mean;
        }
    }
    if (amount)
        turbulence.amount =
            static_cast<std::uint8_t>(Hundredths(amount->value, 255, "turbulence", amount->where));
    if (source.octaves) {
        const double octaves = std::trunc(source.octaves->value);
        if (octaves < 0 || octaves > 255)
            Cannot("octaves " + Shown(octaves), source.octaves->where,
                   "octaves " + Shown(octaves) + " clamped");
        turbulence.octaves = static_cast<std::uint8_t>(std::clamp(octaves, 0.0, 255.0));
    }
    if (source.omega)
        turbulence.omega = static_cast<std::uint8_t>(
            Hundredths(source.omega->value, 255, "omega", source.omega->where));
    if (source.lambda)
        turbulence.lambda = ToFloat(source.lambda->value);
    if (pigment && pigment->pattern == Pigment::ImageMap)
        return; // phase and frequency change colour maps only
    // A phase moves the pattern through a cycle of 1, so any phase has one from 0 to 1.
    double phase = source.phase.value;
    if (std::round(phase * 100.0) < 0.0 || std::round(phase * 100.0) > 255.0) {
        phase = std::fmod(phase, 1.0);
        if (phase < 0.0)
            phase += 1.0;
    }
    fields.phase = static_cast<std::uint8_t>(std::clamp(std::round(phase * 100.0), 0.0, 255.0));
    const double frequency = source.frequency.value;
    const double whole = std::clamp(std::round(frequency), -32768.0, 32767.0);
    if (whole != frequency)
        Cannot("frequency " + Shown(frequency), source.frequency.where,
               "frequency " + Shown(frequency) + " rounded to " + Shown(whole));
    fields.frequency = static_cast<int>(whole);
}

void TextureMapper::MapImage(const PovImage& image, std::optional<double> bumpSize,
                             ImageMap& target) {
    static const std::pair<const char*, std::uint8_t> types[] = {{"gif", ImageMap::kGif},
                                                                 {"tga", ImageMap::kTarga},
                                                                 {"png", ImageMap::kPng},
                                                                 {"jpeg", ImageMap::kJpeg}};
    std::optional<std::uint8_t> type;
    for (const auto& [word, value] : types)
        if (image.type == word)
            type = value;
    if (image.type.empty())
        type = ImageMap::FileTypeForName(image.fileName);
    if (!type)
        throw Refusal{{"an image of type " + (image.type.empty() ? "unknown" : image.type) +
                           " cannot be held",
                       image.where}};
    if (!IsWritableImageFileName(image.fileName))
        throw Refusal{
            {"the image file name \"" + image.fileName + "\" cannot be held", image.where}};
    target.fileType = *type;
    target.fileName = image.fileName;
    target.once = image.once ? 1 : 0;
    target.mapType = static_cast<std::uint8_t>(image.mapType);
    target.interpolate = static_cast<std::uint8_t>(image.interpolate);
    if (bumpSize)
        target.bumpSize = ToFloat(*bumpSize);
}

void TextureMapper::MapNormal(const PovNormal& source, Normal& normal) {
    const PovPattern& pattern = source.pattern;
    MapUnheld(pattern.unheld);
    if (pattern.name.empty()) {
        normal.kind = Normal::None;
        return;
    }
    double amount = source.amount.value;
    if (amount < 0.0) {
        Cannot("a negative normal strength", source.amount.where,
               "normal strength " + Shown(amount) + " taken as " + Shown(-amount));
        amount = -amount;
    }
    if (pattern.name == "bump_map") {
        normal.kind = Normal::BumpMap;
        MapImage(*pattern.image,
                 pattern.image->bumpSize ? pattern.image->bumpSize->value : source.amount.value,
                 normal.image);
    } else {
        if (const auto kind = ModelNormal(pattern.name)) {
            normal.kind = *kind;
        } else {
            Cannot("the normal pattern " + pattern.name, pattern.where,
                   "normal " + pattern.name + " taken as bumps");
            normal.kind = Normal::Bumps;
        }
        normal.amount = static_cast<std::uint8_t>(
            Hundredths(amount, 255, "normal strength", source.amount.where));
    }
    if (pattern.wave && pattern.wave->value != "ramp_wave")
        Cannot(pattern.wave->value, pattern.wave->where, pattern.wave->value + " left out");
    MapPatternFields(pattern, nullptr, &normal);
}

void TextureMapper::MapFinish(const PovFinish& source, Finish& finish) {
    MapUnheld(source.unheld);
    finish.ambient = GreyHundredths(source.ambient, "ambient");
    finish.diffuse = Hundredths(source.diffuse.value, 65535, "diffuse", source.diffuse.where);
    finish.brilliance = ToFloat(source.brilliance.value);
    finish.specular = Hundredths(source.specular.value, 65535, "specular", source.specular.where);
    finish.phong = Hundredths(source.phong.value, 65535, "phong", source.phong.where);
    const bool highlights = finish.specular != 0 || finish.phong != 0;

    finish.roughness = std::max(
        1, static_cast<int>(std::clamp(std::round(source.roughness.value * 100.0), 0.0, 65535.0)));
    if (finish.specular != 0) {
        const double roughness = source.roughness.value;
        if (roughness > 0.0 && std::round(roughness * 100.0) == 0.0) {
            Cannot("roughness " + Shown(roughness) + " (finer than 0.01)", source.roughness.where,
                   "roughness " + Shown(roughness) + " raised to 0.01");
            finish.roughness = 1;
        } else {
            finish.roughness = Hundredths(roughness, 65535, "roughness", source.roughness.where);
        }
    }

    const double metallic = source.metallic.value;
    if (highlights && metallic != 0.0 && metallic != 1.0)
        Cannot("metallic " + Shown(metallic), source.metallic.where,
               "metallic " + Shown(metallic) +
                   (metallic >= 0.5 ? " taken as on" : " taken as off"));
    finish.metallic = metallic >= 0.5 ? 1 : 0;

    const double phongSize = source.phongSize.value;
    const double wholeSize = std::clamp(std::round(phongSize), 0.0, 65535.0);
    if (finish.phong != 0 && wholeSize != phongSize)
        Cannot("phong_size " + Shown(phongSize), source.phongSize.where,
               "phong_size " + Shown(phongSize) + " rounded to " + Shown(wholeSize));
    finish.phongSize = static_cast<int>(wholeSize);

    finish.reflection = GreyHundredths(source.reflection, "reflection");

    const double refraction = source.refraction.value;
    if (refraction != 0.0 && refraction != 1.0)
        Cannot("refraction " + Shown(refraction), source.refraction.where,
               "refraction " + Shown(refraction) +
                   (refraction >= 0.5 ? " taken as on" : " taken as off"));
    finish.refraction = refraction >= 0.5 ? 1 : 0;
    finish.ior = ToFloat(source.ior.value);
    finish.crand = ToFloat(source.crand.value);
}
