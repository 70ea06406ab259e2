#pragma once

#include "core/model/layeredtexture.h"

#include <QDialog>
#include <memory>
#include <vector>

class AppServices;
class PictureRender;
class NameFields;
class PreviewWindow;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class SimpleTexture;

/// "Layered Texture": edits a working copy of a layered texture, its name, description and
/// layers. Layers are made and changed in the texture edit sheet, each with a 100 x 100
/// thumbnail when "Update Thumbnail" is on; they can be reordered, removed, copied to the copy
/// buffer and pasted from it. The Preview window beside the dialog renders the whole texture.
/// Layer thumbnails are rendered in the background: the layer is there at once and takes its
/// picture when it comes.
class LayeredTextureDialog : public QDialog {
    Q_OBJECT
public:
    /// Layer thumbnails made here, and the size of textures this dialog puts in the copy buffer.
    static constexpr int kLayerThumbnailSize = 100;
    static constexpr int kCopyThumbnailSize = 120;

    LayeredTextureDialog(AppServices& services, const LayeredTexture& texture,
                         QWidget* parent = nullptr);
    ~LayeredTextureDialog() override;

    /// The working copy, with the dialog's name and description once OK was pressed.
    LayeredTexture& Working() { return m_working; }
    /// The layers whose thumbnails are still on their way (their renders end with the dialog,
    /// so whoever takes the working copy renders them).
    std::vector<int> LayersAwaitingThumbnails() const;

    void New();
    void Modify();
    void Remove();
    void MoveUp();
    void MoveDown();
    void Copy();
    void Paste();

    void done(int result) override;

    QListWidget* List() const { return m_list; }
    QPushButton* Button(const QString& objectName) const;
    QLineEdit* NameEdit() const;
    QPlainTextEdit* DescriptionEdit() const;
    QCheckBox* UpdateThumbnailCheck() const { return m_updateThumbnail; }
    QGroupBox* ThumbnailFrame() const { return m_thumbnailFrame; }
    PreviewWindow* Preview() const { return m_preview; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void WriteFields();
    void ApplyEnabling();
    void AfterEdit();
    void ShowPreview();
    /// Renders the thumbnail of the layer at `row` in the background.
    void RenderLayerThumbnail(int row);
    void LayerRendered(PictureRender* render);
    void AppendLayer(const SimpleTexture& layer);
    void SwapWith(int offset);
    int Selected() const;

    AppServices& m_services;
    LayeredTexture m_working;
    PreviewWindow* m_preview = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_modify = nullptr;
    QPushButton* m_moveUp = nullptr;
    QPushButton* m_moveDown = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_paste = nullptr;
    QPushButton* m_viewSource = nullptr;
    QPushButton* m_ok = nullptr;
    NameFields* m_names = nullptr;
    QCheckBox* m_updateThumbnail = nullptr;
    QGroupBox* m_thumbnailFrame = nullptr;
    QWidget* m_thumbnail = nullptr;
    /// Layer thumbnails on their way, with the layer each is for.
    struct LayerRender {
        const SimpleTexture* layer;
        std::unique_ptr<PictureRender> render;
    };
    std::vector<LayerRender> m_renders;
};
