#include "ui/editors/textureeditorset.h"

#include "ui/editors/layeredtexturedialog.h"
#include "ui/editors/sourcetexturedialog.h"
#include "ui/editors/textureeditsheet.h"

bool TextureEditorSet::EditSimple(SimpleTexture& texture, const QString& title, QWidget* parent) {
    std::unique_ptr<TextureEditSheet> sheet =
        MakeTextureEditSheet(m_services, texture, title, parent);
    if (sheet->exec() != QDialog::Accepted)
        return false;
    texture = sheet->Working();
    return true;
}

bool TextureEditorSet::EditLayered(LayeredTexture& texture, QWidget* parent) {
    LayeredTextureDialog dialog(m_services, texture, parent);
    m_layersLeft.clear();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    texture = dialog.Working();
    m_layersLeft = dialog.LayersAwaitingThumbnails();
    return true;
}

bool TextureEditorSet::EditSource(SourceTexture& texture, QWidget* parent) {
    SourceTextureDialog dialog(m_services, texture, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    texture = dialog.Working();
    return true;
}
