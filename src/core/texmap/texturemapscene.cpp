#include "core/texmap/texturemapscene.h"

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"

namespace {

const char* const kScene = "#include \"temptx$$.!!!\"\n"
                           "\n"
                           "camera {\n"
                           "    location  <0,  0, -10.5>\n"
                           "    look_at   <0,  0,   1>\n"
                           "    up        <0,  1,   0>\n"
                           "    right     <1,  0,   0>\n"
                           "}\n"
                           "\n"
                           "plane { z, -1\n"
                           "  texture {%%TEXTURE_NAME%%}\n"
                           "}\n"
                           "\n"
                           "light_source {<-12, 27, -25> colour rgb<1.0,1.0,1.0>}";

void Flatten(Finish& finish, int brightness) {
    finish = Finish();
    finish.ambient = brightness;
    finish.diffuse = 0;
    finish.reflection = 0;
    finish.phong = 0;
    finish.specular = 0;
    finish.refraction = 0;
}

} // namespace

std::string TextureMapScene(std::string_view textureName) {
    std::string scene = kScene;
    const std::string placeholder = "%%TEXTURE_NAME%%";
    if (const std::size_t at = scene.find(placeholder); at != std::string::npos)
        scene.replace(at, placeholder.size(), DeclaredIdentifier(textureName));
    return scene;
}

void ApplyFlatFinish(Texture& texture, int brightness) {
    switch (texture.Kind()) {
    case TextureKind::Simple:
        Flatten(static_cast<SimpleTexture&>(texture).finish, brightness);
        break;
    case TextureKind::Layered: {
        auto& layered = static_cast<LayeredTexture&>(texture);
        for (int i = 0; i < layered.GetLayerCount(); ++i)
            Flatten(layered.GetLayer(i)->finish, brightness);
        break;
    }
    case TextureKind::Source: // keeps its own finish
        break;
    }
}
