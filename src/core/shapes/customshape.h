#pragma once

#include "core/shapes/previewshape.h"

#include <string>
#include <string_view>
#include <utility>

/// A preview shape whose scene is a POV-Ray source kept as text. The source names the texture
/// as %%TEXTURE_NAME%% and includes the texture's file "temptx$$.!!!". A new one is the clear
/// sphere with one light source.
class CustomShape : public PreviewShape {
    DECLARE_SERIAL(CustomShape)
public:
    CustomShape();

    const std::string& GetSource() const { return m_source; }
    void SetSource(std::string source) { m_source = std::move(source); }

    /// The source with every %%TEXTURE_NAME%% replaced by the texture's declared identifier.
    std::string GetSceneSource(std::string_view textureName) const override;
    /// True when the source names the texture as %%TEXTURE_NAME%%.
    bool UsesTexture() const;
    /// True when the source uses %%TEXTURE_NAME%% but does not name "temptx$$.!!!" (exact case).
    bool LacksInclude() const override;

    /// Stored form: the name, the description, then the source.
    void Serialize(Archive& ar, std::uint16_t schema) override;

private:
    std::string m_source;
};
