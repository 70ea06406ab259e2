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

    /// Name, description and the numbers go into the working texture as they are typed; this
    /// checks the numbers in reading order: rotate X-Z, scale X-Z, translate X-Z.
    bool ReadFields() override;
    void ShowFields() override;
    /// "&View Source...": Return in the name shows the source rather than ending the sheet.
    QPushButton* DefaultButton() const override;

    QLineEdit* NameEdit() const { return m_name; }
    QPlainTextEdit* DescriptionEdit() const { return m_description; }
    TransformEdits* Transforms() const { return m_transforms; }
    QCheckBox* UpdateThumbnailCheck() const { return m_updateThumbnail; }
    QPushButton* ViewSourceButton() const { return m_viewSource; }

private:
    /// The working texture's description with the line ends the edit shows.
    QString ShownDescription() const;

    QLineEdit* m_name;
    QPlainTextEdit* m_description;
    TransformEdits* m_transforms;
    QCheckBox* m_updateThumbnail;
    QPushButton* m_viewSource;
};

/// Opens the View Source window on the whole working texture ("#declare" included).
void ShowTextureSource(const SimpleTexture& texture, QWidget* parent);
