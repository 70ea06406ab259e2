#include "core/model/sourcetexture.h"

#include "core/archive/archive.h"

IMPLEMENT_SERIAL(SourceTexture, 1)

std::string_view SourceKindName(SourceTexture::Kind kind) {
    switch (kind) {
    case SourceTexture::PigmentKind:
        return "pigment";
    case SourceTexture::MaterialKind:
        return "material";
    case SourceTexture::TextureKind:
        break;
    }
    return "texture";
}

std::unique_ptr<Texture> SourceTexture::Clone() const {
    return std::make_unique<SourceTexture>(*this);
}

bool SourceTexture::ScaleThumbnail(int width, int height, bool /*layersToo*/) {
    return m_thumbnail.Resize(width, height);
}

std::string SourceTexture::GetSource(SourceFlags flags) const {
    if (IsRefused())
        return WrapComment("\"" + m_name + "\" is refused: " + m_refusal);
    if (!flags.Has(SourceFlag::Declare))
        return m_text;
    return DeclarationComment() + "#declare " + DeclaredIdentifier(m_name) + " = " + m_text;
}

std::string SourceTexture::GetRenderSource() const {
    if (IsRefused() || m_kind != PigmentKind)
        return GetSource(SourceFlag::Declare);
    return DeclarationComment() + "#declare " + DeclaredIdentifier(m_name) + " = texture { " +
           m_text + " }";
}

void SourceTexture::Serialize(Archive& ar) {
    ar.String(m_name);
    ar.String(m_description);
    std::uint8_t kind = m_kind;
    ar.Byte(kind);
    if (ar.IsLoading()) {
        if (kind > MaterialKind)
            throw ArchiveException(ArchiveError::BadValue);
        m_kind = static_cast<Kind>(kind);
    }
    m_thumbnail.Serialize(ar);
    ar.Byte(m_previewShape);
    ar.String(m_text);
}
