#pragma once

#include "ui/framework/textureeditors.h"

class AppServices;

/// The program's texture editors: the texture edit sheet for simple textures, the layered
/// texture dialog and the source texture dialog.
class TextureEditorSet : public TextureEditors {
public:
    explicit TextureEditorSet(AppServices& services) : m_services(services) {}

    /// Runs the edit sheet on a copy of `texture`; on OK the texture takes the edited copy.
    bool EditSimple(SimpleTexture& texture, const QString& title, QWidget* parent) override;
    /// Runs the layered texture dialog on a copy of `texture`; on OK the texture takes it.
    bool EditLayered(LayeredTexture& texture, QWidget* parent) override;
    /// Runs the source texture dialog on a copy of `texture`; on OK the texture takes it.
    bool EditSource(SourceTexture& texture, QWidget* parent) override;
    std::vector<int> LayersLeftToRender() const override { return m_layersLeft; }

private:
    AppServices& m_services;
    std::vector<int> m_layersLeft;
};
