#include "core/shapes/customshape.h"

#include "core/archive/archive.h"
#include "core/model/texture.h"

IMPLEMENT_SERIAL(CustomShape, 1, 1)

namespace {

constexpr std::string_view kPlaceholder = "%%TEXTURE_NAME%%";
constexpr std::string_view kIncludeFile = "temptx$$.!!!";

constexpr char kDefaultSource[] = "// The following include file is REQUIRED\r\n"
                                  "#include \"temptx$$.!!!\"\r\n"
                                  "\r\n"
                                  "camera {\r\n"
                                  "    location  <0,  0, -10.5>\r\n"
                                  "    look_at   <0,  0,   0>\r\n"
                                  "    up        <0,  1,   0>\r\n"
                                  "    right     <1,  0,   0>\r\n"
                                  "    rotate    <30, -30, 0>\r\n"
                                  "}\r\n"
                                  "\r\n"
                                  "sphere { <0, 0, 0>, 4\r\n"
                                  "  texture {%%TEXTURE_NAME%%}\r\n"
                                  "}\r\n"
                                  "\r\n"
                                  "light_source {<-12, 27, -25> colour rgb<1.0,1.0,1.0>}";

} // namespace

CustomShape::CustomShape() : m_source(kDefaultSource) {
    SetName("Sphere");
    SetDescription("Clear sphere with one light source");
}

std::string CustomShape::GetSceneSource(std::string_view textureName) const {
    return ReplaceAll(m_source, kPlaceholder, DeclaredIdentifier(textureName));
}

bool CustomShape::UsesTexture() const {
    return m_source.find(kPlaceholder) != std::string::npos;
}

bool CustomShape::LacksInclude() const {
    return UsesTexture() && m_source.find(kIncludeFile) == std::string::npos;
}

void CustomShape::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    PreviewShape::Serialize(ar, PreviewShape::classRecord.schema);
    ar.String(m_source);
}
