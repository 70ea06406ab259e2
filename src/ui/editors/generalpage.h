#pragma once

#include "ui/editors/texturepage.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TransformEdits;

/// The General page of the texture edit sheet: the texture's name, description and the
/// translate, scale and rotate of the whole texture.
class GeneralPage : public TexturePage {
    Q_OBJECT
public:
    GeneralPage(AppServices& services, SimpleTexture& texture, QWidget* parent = nullptr);

    /// Reading order: description, name, rotate X-Z, scale X-Z, translate X-Z, update thumbnail.
    bool ReadFields() override;
    void ShowFields() override;

    QLineEdit* NameEdit() const { return m_name; }
    QPlainTextEdit* DescriptionEdit() const { return m_description; }
    TransformEdits* Transforms() const { return m_transforms; }
    QCheckBox* UpdateThumbnailCheck() const { return m_updateThumbnail; }
    QPushButton* ViewSourceButton() const { return m_viewSource; }

private:
    void OnUpdateThumbnail();

    QLineEdit* m_name;
    QPlainTextEdit* m_description;
    TransformEdits* m_transforms;
    QCheckBox* m_updateThumbnail;
    QPushButton* m_viewSource;
    bool m_reading = false;
};

/// Opens the View Source window on the whole working texture ("#declare" included).
void ShowTextureSource(const SimpleTexture& texture, QWidget* parent);
