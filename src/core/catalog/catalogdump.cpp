#include "core/catalog/catalogdump.h"

#include "core/catalog/catalog.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "core/text/jsonwriter.h"

namespace {

void WriteColor(JsonWriter& json, const ColorRGBF& color) {
    json.BeginArray();
    json.Value(color.red);
    json.Value(color.green);
    json.Value(color.blue);
    json.Value(color.filter);
    json.EndArray();
}

void WriteTriple(JsonWriter& json, const char* key, const std::array<float, 3>& v) {
    json.Key(key);
    json.BeginArray();
    for (float x : v)
        json.Value(x);
    json.EndArray();
}

void WriteTransformations(JsonWriter& json, const Transformations& t) {
    json.BeginObject();
    WriteTriple(json, "translate", t.translate);
    WriteTriple(json, "scale", t.scale);
    WriteTriple(json, "rotate", t.rotate);
    json.EndObject();
}

void WriteColorMap(JsonWriter& json, const ColorMap& map) {
    json.BeginObject();
    json.Key("count");
    json.Value(map.count);
    json.Key("entries");
    json.BeginArray();
    for (int i = 0; i < map.count && i < ColorMap::kMaxEntries; ++i) {
        json.BeginObject();
        json.Key("position");
        json.Value(map.positions[static_cast<std::size_t>(i)]);
        json.Key("color");
        WriteColor(json, map.colors[static_cast<std::size_t>(i)]);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

void WriteImage(JsonWriter& json, const ImageMap& image) {
    json.BeginObject();
    json.Key("fileName");
    json.Value(image.fileName);
    json.Key("fileType");
    json.Value(image.fileType);
    json.Key("once");
    json.Value(image.once);
    json.Key("mapType");
    json.Value(image.mapType);
    json.Key("interpolate");
    json.Value(image.interpolate);
    json.Key("bumpSize");
    json.Value(image.bumpSize);
    json.EndObject();
}

void WriteTurbulence(JsonWriter& json, const Turbulence& t) {
    json.BeginObject();
    json.Key("amount");
    json.Value(t.amount);
    json.Key("octaves");
    json.Value(t.octaves);
    json.Key("omega");
    json.Value(t.omega);
    json.Key("lambda");
    json.Value(t.lambda);
    json.EndObject();
}

/// The fields the pigment and the normal share, after their own heads.
void WritePatternTail(JsonWriter& json, const PatternFields& fields) {
    json.Key("color");
    WriteColor(json, fields.color);
    json.Key("phase");
    json.Value(fields.phase);
    json.Key("frequency");
    json.Value(fields.frequency);
    json.Key("colorMap");
    WriteColorMap(json, fields.colorMap);
    json.Key("image");
    WriteImage(json, fields.image);
    json.Key("turbulence");
    WriteTurbulence(json, fields.turbulence);
    json.Key("transformations");
    WriteTransformations(json, fields.transformations);
}

void WritePigment(JsonWriter& json, const Pigment& p) {
    json.BeginObject();
    json.Key("pattern");
    json.Value(p.pattern);
    json.Key("gradient");
    json.BeginArray();
    json.Value(p.gradientX);
    json.Value(p.gradientY);
    json.Value(p.gradientZ);
    json.EndArray();
    WritePatternTail(json, p);
    json.EndObject();
}

void WriteNormal(JsonWriter& json, const Normal& n) {
    json.BeginObject();
    json.Key("amount");
    json.Value(n.amount);
    json.Key("kind");
    json.Value(n.kind);
    json.Key("reserved");
    json.BeginArray();
    for (auto flag : n.reserved)
        json.Value(flag);
    json.EndArray();
    WritePatternTail(json, n);
    json.EndObject();
}

void WriteFinish(JsonWriter& json, const Finish& f) {
    json.BeginObject();
    const std::pair<const char*, int> integers[] = {
        {"ambient", f.ambient},     {"diffuse", f.diffuse},       {"specular", f.specular},
        {"roughness", f.roughness}, {"metallic", f.metallic},     {"phong", f.phong},
        {"phongSize", f.phongSize}, {"reflection", f.reflection}, {"refraction", f.refraction}};
    for (const auto& [key, value] : integers) {
        json.Key(key);
        json.Value(value);
    }
    const std::pair<const char*, float> reals[] = {
        {"brilliance", f.brilliance}, {"ior", f.ior}, {"crand", f.crand}};
    for (const auto& [key, value] : reals) {
        json.Key(key);
        json.Value(value);
    }
    json.EndObject();
}

void WriteCommon(JsonWriter& json, const Texture& texture) {
    json.Key("class");
    json.Value(texture.GetRuntimeClass().name);
    json.Key("name");
    json.Value(texture.GetName());
    json.Key("description");
    json.Value(texture.GetDescription());
    json.Key("thumbnail");
    json.BeginObject();
    json.Key("width");
    json.Value(texture.GetThumbnailWidth());
    json.Key("height");
    json.Value(texture.GetThumbnailHeight());
    json.EndObject();
    json.Key("previewShape");
    json.Value(texture.GetPreviewShape());
}

void WriteSimple(JsonWriter& json, const SimpleTexture& texture) {
    WriteCommon(json, texture);
    json.Key("pigment");
    WritePigment(json, texture.pigment);
    json.Key("finish");
    WriteFinish(json, texture.finish);
    json.Key("normal");
    WriteNormal(json, texture.normal);
    json.Key("transformations");
    WriteTransformations(json, texture.transformations);
}

void WriteLayered(JsonWriter& json, const LayeredTexture& texture) {
    WriteCommon(json, texture);
    json.Key("mode");
    json.Value(texture.GetMode());
    json.Key("layers");
    json.BeginArray();
    for (int i = 0; i < texture.GetLayerCount(); ++i) {
        json.BeginObject();
        WriteSimple(json, *texture.GetLayer(i));
        json.EndObject();
    }
    json.EndArray();
}

void WriteSource(JsonWriter& json, const SourceTexture& texture) {
    WriteCommon(json, texture);
    json.Key("kind");
    json.Value(SourceKindName(texture.GetKind()));
    json.Key("text");
    json.Value(texture.GetText());
    if (texture.IsRefused()) {
        json.Key("refused");
        json.Value(texture.GetRefusal());
    }
}

} // namespace

std::string CatalogToJson(const Catalog& catalog) {
    JsonWriter json;
    json.BeginObject();
    json.Key("textures");
    json.BeginArray();
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const Texture& texture = catalog.GetTexture(i);
        json.BeginObject();
        json.Key("index");
        json.Value(i);
        switch (texture.Kind()) {
        case TextureKind::Simple:
            WriteSimple(json, static_cast<const SimpleTexture&>(texture));
            break;
        case TextureKind::Layered:
            WriteLayered(json, static_cast<const LayeredTexture&>(texture));
            break;
        case TextureKind::Source:
            WriteSource(json, static_cast<const SourceTexture&>(texture));
            break;
        }
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}
