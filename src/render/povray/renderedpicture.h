#pragma once

#include "core/bitmap/bitmap.h"
#include "core/model/scenegamma.h"

#include <optional>
#include <string>

class Texture;

/// A texture as a render takes it (its POV-Ray text, preview shape, name and declared scene
/// gamma, whatever becomes
/// of the texture meanwhile) and the picture rendered of it.
class RenderedPicture {
public:
    explicit RenderedPicture(const Texture& texture);

    /// Whether `texture` as it is now has the text and the shape rendered, so the picture
    /// shows it.
    bool Renders(const Texture& texture) const;

    const std::string& Name() const { return m_name; }
    const std::string& Source() const { return m_source; }
    /// Why the texture may not be rendered; empty when it may.
    const std::string& Refusal() const { return m_refusal; }
    int Shape() const { return m_shape; }
    bool AsMaterial() const { return m_material; }
    /// The scene gamma its file declares; unset: the settings'.
    std::optional<SceneGamma> DeclaredGamma() const { return m_gamma; }

    /// The picture, once rendered.
    Bitmap& Picture() { return m_picture; }

private:
    std::string m_name;
    std::string m_source;
    std::string m_refusal;
    int m_shape;
    bool m_material;
    std::optional<SceneGamma> m_gamma;
    Bitmap m_picture;
};
