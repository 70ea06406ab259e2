#pragma once

#include "ui/catalog/textureeditors.h"

class AppServices;

/// The program's texture editors: the texture edit sheet for simple textures.
class TextureEditorSet : public TextureEditors {
public:
    explicit TextureEditorSet(AppServices& services) : m_services(services) {}

    /// Runs the edit sheet on a copy of `texture`; on OK the texture takes the edited copy.
    bool EditSimple(SimpleTexture& texture, const QString& title, QWidget* parent) override;
    /// Layered textures have no editor yet: nothing opens and the answer is Cancel.
    bool EditLayered(LayeredTexture& texture, QWidget* parent) override;

private:
    AppServices& m_services;
};
