#pragma once

#include "core/model/texture.h"

#include <string>
#include <string_view>

/// A texture kept as POV-Ray text: a texture, pigment or material exactly as written after
/// "#declare NAME =", rendered by POV-Ray as it stands.
class SourceTexture : public Texture {
    DECLARE_SERIAL(SourceTexture)
public:
    enum Kind : std::uint8_t { TextureKind = 0, PigmentKind = 1, MaterialKind = 2 };

    SourceTexture() : Texture(::TextureKind::Source) {}
    SourceTexture(const SourceTexture&) = default;
    SourceTexture& operator=(const SourceTexture&) = default;

    /// The text gives a colour some filter or transmit, or turns refraction on (a value that
    /// is not a plain number counts as doing so).
    bool LetsLightThrough() const override;
    std::unique_ptr<Texture> Clone() const override;
    bool ScaleThumbnail(int width, int height, bool layersToo) override;
    /// "#declare NAME = " and the text (with SourceFlag::Declare), or the text alone; a refused
    /// text is never given out, only a comment saying why.
    std::string GetSource(SourceFlags flags) const override;
    /// The declaration POV-Ray renders on a shape's `texture { NAME }`: the texture itself, a
    /// pigment in a texture, a material as it is (the scene then takes it as a material).
    std::string GetRenderSource() const override;
    bool RendersAsMaterial() const override { return m_kind == MaterialKind; }
    std::string GetRefusal() const override { return m_refusal; }
    /// Stored form: name, description, byte kind, thumbnail, preview shape, text.
    void Serialize(Archive& ar, std::uint16_t schema) override;

    Kind GetKind() const { return m_kind; }
    void SetKind(Kind kind) { m_kind = kind; }
    const std::string& GetText() const { return m_text; }
    void SetText(std::string text) { m_text = std::move(text); }

    /// Why the text may not be rendered or exported; empty when it may. Never stored.
    void SetRefusal(std::string reason) { m_refusal = std::move(reason); }
    bool IsRefused() const { return !m_refusal.empty(); }

private:
    Kind m_kind = TextureKind;
    std::string m_text = "texture { }";
    std::string m_refusal;
};

/// "texture", "pigment" or "material".
std::string_view SourceKindName(SourceTexture::Kind kind);
