#include "customshape.h"

#include "archive/archive.h"
#include "model/materialobject.h"

IMPLEMENT_SERIAL(CCustomShape, 1)

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

CCustomShape::CCustomShape() : m_source(kDefaultSource) {
    SetName("Sphere");
    SetDescription("Clear sphere with one light source");
}

std::string CCustomShape::GetSceneSource(std::string_view textureName) const {
    return ReplaceAll(m_source, kPlaceholder, DeclaredIdentifier(textureName));
}

bool CCustomShape::LacksInclude() const {
    return m_source.find(kPlaceholder) != std::string::npos &&
           m_source.find(kIncludeFile) == std::string::npos;
}

void CCustomShape::Serialize(CArchive& ar) {
    CPreviewShape::Serialize(ar);
    ar.String(m_source);
}
