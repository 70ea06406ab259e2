#include "materialsingleobject.h"

#include "archive/archive.h"

IMPLEMENT_SERIAL(CMaterialSingleObject, 1)

std::unique_ptr<CMaterialObject> CMaterialSingleObject::Clone() const {
    return std::make_unique<CMaterialSingleObject>(*this);
}

bool CMaterialSingleObject::ScaleThumbnail(int width, int height, bool /*layersToo*/) {
    return m_thumbnail.Resize(width, height);
}

std::string CMaterialSingleObject::GetSource(unsigned flags) const {
    std::string text;
    if (flags & SRC_DECLARE)
        text += DeclarationComment() + "#declare " + DeclaredIdentifier(m_name) + " = texture\r\n{\r\n";
    text += pigment.GetSource();
    if (!(flags & SRC_NO_NORMAL))
        text += normal.GetSource();
    if (!(flags & SRC_NO_FINISH))
        text += finish.GetSource();
    // A plain solid colour without a normal has nothing for texture-level transformations to move.
    if (pigment.pattern != CMaterialMapping::SolidColor || normal.kind != CMaterialNormal::None)
        text += transformations.GetSource(2);
    if (flags & SRC_DECLARE)
        text += "}";
    return text;
}

void CMaterialSingleObject::Serialize(CArchive& ar) {
    ar.String(m_name);
    ar.String(m_description);
    m_thumbnail.Serialize(ar);
    ar.Byte(m_previewShape);
    pigment.Serialize(ar);
    finish.Serialize(ar);
    normal.Serialize(ar);
    transformations.Serialize(ar);
}
