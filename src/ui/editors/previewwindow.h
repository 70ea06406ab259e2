#pragma once

#include "ui/editors/previewlink.h"

#include <QDialog>
#include <QElapsedTimer>
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
class WarmPovRay;

/// "Preview": the window beside the texture edit sheet and the layered texture dialog that
/// shows the texture being edited rendered on a preview shape. Choosing a shape in its list
/// changes the texture's preview shape at once (in the editor's working copy). Render renders
/// on request; with Auto on (the first choice, until the user turns it off) the window renders
/// by itself at once after a change and when it shows or is resized; changes that come while
/// a picture renders are rendered together once it is there (a render that has run for a while
/// is stopped instead). It keeps the last picture with a busy mark until the new one arrives,
/// and shows a failure's POV-Ray lines in the window. While the window shows, its pictures are
/// rendered as the frames of a POV-Ray run kept going (see WarmPovRay) where POV-Ray allows.
/// The window can be resized; the picture grows with it and is rendered at the screen's device
/// pixels.
class PreviewWindow : public QDialog, public PreviewLink {
    Q_OBJECT
public:
    /// How long an automatic render may have run for a newer change to stop it rather than
    /// wait for it.
    static constexpr int kGiveWayMs = 1000;

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
    /// How many renders this window has started (automatic ones included; a render run once
    /// more on its own after its frame of the warm run failed counts once).
    int RendersStarted() const { return m_rendersStarted; }
    /// True while a change waits for its automatic render.
    bool IsRenderDue() const { return m_autoTimer.isActive() || m_next == Kind::Automatic; }
    /// The POV-Ray run kept going for the window's pictures.
    const WarmPovRay& Warm() const { return *m_warm; }

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
    void hideEvent(QHideEvent* event) override;

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
    void AutoRenderDue();
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
    std::unique_ptr<WarmPovRay> m_warm;
    std::unique_ptr<PictureRender> m_render;
    QElapsedTimer m_renderAge;
    /// The render runs again on its own after a frame of the warm run failed.
    bool m_freshRetry = false;
    /// False once a frame failed where a run of its own succeeded: this POV-Ray renders so.
    bool m_warmWorks = true;
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
