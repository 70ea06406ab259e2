#pragma once

#include <QDialog>
#include <memory>
#include <string>

class AppServices;
class PictureFrame;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SceneRender;

/// "Modify Custom Shape": edits a preview shape's POV-Ray source, name and description, and
/// test-renders the source with the texture being edited, optionally in a visible terminal
/// (Debug Mode). Test renders run in the background; the picture comes when they end.
class ShapeEditorDialog : public QDialog {
    Q_OBJECT
public:
    ShapeEditorDialog(AppServices& services, QWidget* parent = nullptr);
    ~ShapeEditorDialog() override;

    /// Fills the dialog with a shape and the name of the texture it renders.
    void SetShape(const std::string& source, const std::string& name,
                  const std::string& description);
    /// The texture test renders wear: its declaration and name.
    void SetTexture(const std::string& declaration, const std::string& textureName) {
        m_textureSource = declaration;
        m_textureName = textureName;
    }

    /// What the dialog holds, read from the controls on OK and by Render.
    const std::string& Source() const { return m_source; }
    const std::string& Name() const { return m_name; }
    const std::string& Description() const { return m_description; }
    const std::string& TextureName() const { return m_textureName; }

    void accept() override;

    /// Test-renders the source as it stands in the dialog, in the background.
    void Render();
    /// True while a test render runs.
    bool IsRendering() const { return m_running != nullptr; }

    QPlainTextEdit* SourceEdit() const { return m_sourceEdit; }
    QLineEdit* NameEdit() const { return m_nameEdit; }
    QLineEdit* DescriptionEdit() const { return m_descriptionEdit; }
    QPushButton* RenderButton() const { return m_render; }
    QCheckBox* AntialiasingBox() const { return m_antialiasing; }
    QCheckBox* DebugModeBox() const { return m_debugMode; }
    PictureFrame* Frame() const { return m_frame; }

signals:
    /// A test render ended, whichever way.
    void renderFinished();

private:
    void ReadControls();
    void RenderEnded();

    AppServices& m_services;
    std::string m_source;
    std::string m_name;
    std::string m_description;
    std::string m_textureName;
    std::string m_textureSource;
    std::unique_ptr<SceneRender> m_running;
    QPlainTextEdit* m_sourceEdit = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_descriptionEdit = nullptr;
    QPushButton* m_render = nullptr;
    QCheckBox* m_antialiasing = nullptr;
    QCheckBox* m_debugMode = nullptr;
    PictureFrame* m_frame = nullptr;
};
