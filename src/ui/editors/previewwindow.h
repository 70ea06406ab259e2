#pragma once

#include "ui/editors/previewlink.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <memory>

class AppServices;
class CustomShape;
class PictureFrame;
class PictureRender;
class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class Texture;

/// "Preview": the window beside the texture edit sheet and the layered texture dialog that
/// shows the texture being edited rendered on a preview shape. Choosing a shape in its list
/// changes the texture's preview shape at once (in the editor's working copy). Render renders
/// on request; with Auto on (the first choice, until the user turns it off) the window renders
/// by itself shortly after each change and when it shows or is resized, a newer change
/// stopping a render still running, keeps the last picture with a busy mark until the new one
/// arrives, and shows a failure's POV-Ray lines in the window. The window can be resized; the
/// picture grows with it and is rendered at the screen's device pixels.
class PreviewWindow : public QDialog, public PreviewLink {
    Q_OBJECT
public:
    /// How long the window waits after a change before it renders.
    static constexpr int kAutoDelayMs = 250;

    /// A window for `texture`, the editor's working copy, which must outlive the window.
    PreviewWindow(AppServices& services, Texture& texture, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    void TextureChanged() override;
    void HideForDialog() override;
    void ShowAfterDialog() override;

    /// Refills the shape list, selects the texture's shape and shows its description. The list
    /// holds the defined shapes (and the texture's shape, defined or not), then "New Custom
    /// Shape…"; each entry keeps its shape's index.
    void RefreshShapes();
    /// The Antialiasing check box shows the setting again.
    void ShowAntialiasingSetting();

    /// Renders the texture into the picture (the Render button).
    void Render();
    /// Edits the selected shape in the shape editor and saves "shapes.dat" (the Modify button).
    void Modify();
    /// Defines a shape in the first free place in the shape editor; kept with OK, it becomes the
    /// texture's shape and "shapes.dat" is saved (the "New Custom Shape…" entry).
    void NewShape();

    /// True while a render started by this window runs.
    bool IsRendering() const { return m_render != nullptr; }
    /// How many renders this window has started (automatic ones included).
    int RendersStarted() const { return m_rendersStarted; }
    /// True while a change waits for its automatic render.
    bool IsRenderDue() const { return m_autoTimer.isActive(); }

    QPushButton* RenderButton() const { return m_renderButton; }
    QCheckBox* AntialiasingBox() const { return m_antialiasing; }
    QCheckBox* AutoBox() const { return m_auto; }
    QListWidget* ShapeListWidget() const { return m_list; }
    /// The last entry of the shape list.
    QListWidgetItem* NewShapeItem() const { return m_newShape; }
    /// The index of the shape an entry of the list stands for; -1 for "New Custom Shape…".
    static int ShapeIndex(const QListWidgetItem* item);
    QPushButton* ModifyButton() const { return m_modify; }
    QLabel* DescriptionLabel() const { return m_description; }
    /// The lines of the last automatic render's failure, hidden while there are none.
    QLabel* ProblemLabel() const { return m_problem; }
    PictureFrame* Frame() const { return m_frame; }

signals:
    /// A render of this window has ended, whichever way.
    void renderFinished();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Kind { None, Manual, Automatic };
    enum class Edit { Cancelled, Kept, Changed };

    QListWidgetItem* SelectedItem() const;
    /// Shows `shape` in the shape editor and takes what it holds on OK.
    Edit EditShape(CustomShape& shape, const QString& title);
    void SaveShapes();

    void ShapeSelected(int row);
    void ShowDescription();
    void AutoToggled(bool checked);
    void StartRender(Kind kind);
    void RenderEnded();
    void StopAutomatic();
    /// Marks the picture while a newer one is on its way.
    void ShowBusy();
    void ShowProblem(const QString& text);

    AppServices& m_services;
    Texture& m_texture;
    QPushButton* m_renderButton = nullptr;
    QCheckBox* m_antialiasing = nullptr;
    QCheckBox* m_auto = nullptr;
    QListWidget* m_list = nullptr;
    QListWidgetItem* m_newShape = nullptr;
    QPushButton* m_modify = nullptr;
    QLabel* m_description = nullptr;
    QLabel* m_problem = nullptr;
    PictureFrame* m_frame = nullptr;

    QTimer m_autoTimer;
    std::unique_ptr<PictureRender> m_render;
    QStringList m_notices; ///< warnings about the scene of the render running
    Kind m_running = Kind::None;
    /// What to start once the running render has ended.
    Kind m_next = Kind::None;
    bool m_hiddenForDialog = false;
    bool m_changedWhileHidden = false;
    bool m_shownBefore = false;
    bool m_filling = false;
    bool m_handBackActivation = false;
    int m_rendersStarted = 0;
};
