#pragma once

#include "ui/editors/texturepage.h"

class NameFields;
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

    /// Name, description and the numbers go into the working texture as they are typed; this
    /// checks the numbers in reading order: rotate X-Z, scale X-Z, translate X-Z.
    bool ReadFields() override;
    void ShowFields() override;
    /// "&View Source...": Return in the name shows the source rather than ending the sheet.
    QPushButton* DefaultButton() const override;

    QLineEdit* NameEdit() const;
    QPlainTextEdit* DescriptionEdit() const;
    TransformEdits* Transforms() const { return m_transforms; }
    QCheckBox* UpdateThumbnailCheck() const { return m_updateThumbnail; }
    QPushButton* ViewSourceButton() const { return m_viewSource; }

private:
    NameFields* m_names;
    TransformEdits* m_transforms;
    QCheckBox* m_updateThumbnail;
    QPushButton* m_viewSource;
};

/// Opens the View Source window on the whole working texture ("#declare" included).
void ShowTextureSource(const SimpleTexture& texture, QWidget* parent);
