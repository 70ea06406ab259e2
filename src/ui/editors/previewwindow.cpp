#include "ui/editors/previewwindow.h"

#include "core/model/texture.h"
#include "core/shapes/builtinshapes.h"
#include "core/shapes/customshape.h"
#include "core/text/textcodec.h"
#include "render/files/sidefiles.h"
#include "render/povray/picturerender.h"
#include "render/povray/renderqueue.h"
#include "render/povray/warmpovray.h"
#include "render/settings/programsettings.h"
#include "ui/editors/pictureframe.h"
#include "ui/editors/shapeeditordialog.h"
#include "ui/framework/appservices.h"
#include "ui/framework/prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

constexpr int kPictureSize = 160;
constexpr int kHighestShapeIndex = 255; // a texture keeps its shape in one byte
constexpr std::size_t kShownNameLength = 80;
constexpr std::size_t kShownDescriptionLength = 300;
constexpr int kHandBackMs = 500; // how long after showing an activation counts as the show's
constexpr int kShapeIndexRole = Qt::UserRole;
constexpr int kNewShapeEntry = -1;

/// A shape's name or description as the list and the label show it: a text of megabytes (a
/// damaged or hostile shape file) would take the window long to lay out and push it off the
/// screen.
QString ShortText(const std::string& text, std::size_t length = kShownNameLength) {
    return QString::fromStdString(ShortenedUtf8(text, length));
}

} // namespace

PreviewWindow::PreviewWindow(AppServices& services, Texture& texture, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_services(services), m_texture(texture), m_warm(std::make_unique<WarmPovRay>()) {
    setWindowTitle(QStringLiteral("Preview"));
    setModal(false);
    // Shown beside an editor, it leaves the keyboard with the editor.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_frame = new PictureFrame(services, this);
    m_frame->setObjectName(QStringLiteral("pictureFrame"));
    m_frame->SetResizable(kPictureSize);
    connect(m_frame, &PictureFrame::pictureSizeChanged, this, &PreviewWindow::TextureChanged);

    m_renderButton = new QPushButton(QStringLiteral("&Render..."), this);
    m_renderButton->setObjectName(QStringLiteral("renderButton"));
    m_renderButton->setAutoDefault(false);
    connect(m_renderButton, &QPushButton::clicked, this, &PreviewWindow::Render);
    m_antialiasing = new QCheckBox(QStringLiteral("&Antialiasing"), this);
    m_antialiasing->setObjectName(QStringLiteral("antialiasingBox"));
    connect(m_antialiasing, &QCheckBox::toggled, this, [this](bool checked) {
        bool& setting = m_services.Settings().antialiasing;
        if (setting == checked)
            return;
        setting = checked;
        TextureChanged();
    });
    m_auto = new QCheckBox(QStringLiteral("A&uto"), this);
    m_auto->setObjectName(QStringLiteral("autoBox"));
    m_auto->setToolTip(QStringLiteral("Render by itself after each change"));
    m_auto->setChecked(m_services.Settings().autoPreview);
    connect(m_auto, &QCheckBox::toggled, this, &PreviewWindow::AutoToggled);

    auto* shapeGroup = new QGroupBox(QStringLiteral("&Shape"), this);
    m_list = new QListWidget(shapeGroup);
    m_list->setObjectName(QStringLiteral("shapeList"));
    m_list->setAccessibleName(QStringLiteral("Shape"));
    m_list->setMinimumHeight(110);
    // Selection, not the current line: a list that takes the focus makes its first line current
    // without anyone choosing it, and a texture's shape must not change by that.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = m_list->selectedItems();
        if (!selected.isEmpty())
            ShapeSelected(m_list->row(selected.first()));
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Modify(); });
    // A click or Enter on "New Custom Shape…" opens the editor once the list is done with the
    // event, as the list is refilled after it.
    const auto openNew = [this](QListWidgetItem* item) {
        if (item == m_newShape)
            QMetaObject::invokeMethod(this, &PreviewWindow::NewShape, Qt::QueuedConnection);
    };
    connect(m_list, &QListWidget::itemClicked, this, openNew);
    connect(m_list, &QListWidget::itemActivated, this, openNew);
    m_modify = new QPushButton(QStringLiteral("&Modify..."), shapeGroup);
    m_modify->setObjectName(QStringLiteral("modifyButton"));
    m_modify->setAutoDefault(false);
    connect(m_modify, &QPushButton::clicked, this, &PreviewWindow::Modify);
    auto* shapeLayout = new QHBoxLayout(shapeGroup);
    shapeLayout->addWidget(m_list, 1);
    auto* shapeButtons = new QVBoxLayout;
    shapeButtons->addWidget(m_modify);
    shapeButtons->addStretch(1);
    shapeLayout->addLayout(shapeButtons);

    m_description =
        new QLabel(QStringLiteral("This is where you put the description for the shape."), this);
    m_description->setObjectName(QStringLiteral("descriptionLabel"));
    m_description->setWordWrap(true);
    m_description->setTextFormat(Qt::PlainText);
    // The window's width comes from the picture and the list; a description (a long word
    // that cannot wrap) must not widen it.
    m_description->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_description->setMinimumHeight(m_description->fontMetrics().lineSpacing() * 2);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("problemLabel"));
    m_problem->setWordWrap(true);
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_problem->setAccessibleName(QStringLiteral("Render problem"));
    m_problem->setStyleSheet(QStringLiteral("color: #a00000;"));
    m_problem->hide();

    auto* commands = new QVBoxLayout;
    commands->addWidget(m_renderButton);
    commands->addWidget(m_antialiasing);
    commands->addWidget(m_auto);
    commands->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_frame, 1);
    top->addLayout(commands);
    // The picture takes what the window grows by; the shape list keeps its size.
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(shapeGroup);
    layout->addWidget(m_description);
    layout->addWidget(m_problem);
    setSizeGripEnabled(true);
    setTabOrder(m_renderButton, m_antialiasing);
    setTabOrder(m_antialiasing, m_auto);
    setTabOrder(m_auto, m_list);
    setTabOrder(m_list, m_modify);

    // At once, after the changes of one turn of the event loop.
    m_autoTimer.setSingleShot(true);
    m_autoTimer.setInterval(0);
    connect(&m_autoTimer, &QTimer::timeout, this, &PreviewWindow::AutoRenderDue);

    // Until the first render the window shows the texture's thumbnail at the picture's size.
    Bitmap picture(m_texture.Thumbnail());
    const QSize size = m_frame->RenderSize();
    if (!picture.IsEmpty())
        picture.Resize(size.width(), size.height());
    m_frame->SetPicture(std::move(picture));
    RefreshShapes();
    ShowAntialiasingSetting();
}

PreviewWindow::~PreviewWindow() = default;

int PreviewWindow::ShapeIndex(const QListWidgetItem* item) {
    return item ? item->data(kShapeIndexRole).toInt() : kNewShapeEntry;
}

void PreviewWindow::RefreshShapes() {
    const ShapeList& shapes = m_services.Shapes();
    const int current = m_texture.GetPreviewShape();
    m_filling = true;
    m_newShape = nullptr;
    m_list->clear();
    bool anyFree = false;
    QListWidgetItem* selected = nullptr;
    for (std::size_t index = 0; index < shapes.size(); ++index) {
        const bool isCurrent = static_cast<int>(index) == current;
        if (IsFreeShapeSlot(*shapes[index], index)) {
            anyFree = true;
            if (!isCurrent)
                continue;
        }
        auto* item = new QListWidgetItem(ShortText(shapes[index]->GetName()), m_list);
        item->setData(kShapeIndexRole, static_cast<int>(index));
        if (isCurrent)
            selected = item;
    }
    m_newShape = new QListWidgetItem(QStringLiteral("New Custom Shape\u2026"), m_list);
    m_newShape->setData(kShapeIndexRole, kNewShapeEntry);
    const QString about = anyFree ? QStringLiteral("Define a shape of your own in a free place")
                                  : QStringLiteral("All places for shapes of your own are taken");
    m_newShape->setToolTip(about);
    m_newShape->setData(Qt::AccessibleDescriptionRole, about);
    if (!anyFree)
        m_newShape->setFlags(m_newShape->flags() & ~Qt::ItemIsEnabled);
    if (selected)
        m_list->setCurrentItem(selected);
    else
        m_list->clearSelection();
    m_filling = false;
    ShowDescription();
}

void PreviewWindow::ShowAntialiasingSetting() {
    m_antialiasing->setChecked(m_services.Settings().antialiasing);
}

QListWidgetItem* PreviewWindow::SelectedItem() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void PreviewWindow::ShowDescription() {
    QListWidgetItem* chosen = SelectedItem();
    m_modify->setEnabled(chosen && chosen != m_newShape);
    if (chosen && chosen == m_newShape) {
        m_description->setText(
            QStringLiteral("Click or press Enter to define a shape of your own."));
        return;
    }
    const ShapeList& shapes = m_services.Shapes();
    const int index = m_texture.GetPreviewShape();
    if (index < static_cast<int>(shapes.size())) {
        m_description->setText(ShortText(shapes[static_cast<std::size_t>(index)]->GetDescription(),
                                         kShownDescriptionLength));
    } else {
        // The texture keeps its shape number (the shape may come back with another shape
        // file); until the user picks one, it is rendered on the first shape.
        m_description->setText(
            QStringLiteral("This texture's shape %1 is not in the shape list. It is shown on "
                           "the first shape until you choose another.")
                .arg(index));
    }
}

void PreviewWindow::ShapeSelected(int row) {
    if (m_filling)
        return;
    const int index = ShapeIndex(m_list->item(row));
    if (index == kNewShapeEntry) {
        ShowDescription();
        return;
    }
    if (index > kHighestShapeIndex)
        return;
    m_texture.SetPreviewShape(static_cast<std::uint8_t>(index));
    ShowDescription();
    TextureChanged();
}

void PreviewWindow::AutoToggled(bool checked) {
    m_services.Settings().autoPreview = checked;
    ShowBusy();
    if (checked) {
        TextureChanged();
    } else {
        StopAutomatic();
        ShowProblem({});
    }
}

void PreviewWindow::TextureChanged() {
    if (!m_auto->isChecked())
        return;
    if (m_hiddenForDialog || !isVisible()) {
        m_changedWhileHidden = true;
        return;
    }
    m_autoTimer.start();
    ShowBusy();
}

void PreviewWindow::AutoRenderDue() {
    if (!m_render) {
        StartRender(Kind::Automatic);
        return;
    }
    // Rendered once the running render ends; an automatic one that has run for a while gives
    // way to the newer state, and a render the user asked for is left to end.
    if (m_next == Kind::None)
        m_next = Kind::Automatic;
    if (m_running == Kind::Automatic && m_renderAge.elapsed() >= kGiveWayMs)
        m_render->Stop();
    ShowBusy();
}

void PreviewWindow::ShowBusy() {
    // From a change until its picture arrives, the old picture stays with a mark on it.
    m_frame->SetBusy(m_autoTimer.isActive() || m_render != nullptr);
}

void PreviewWindow::StopAutomatic() {
    m_autoTimer.stop();
    if (m_next == Kind::Automatic)
        m_next = Kind::None;
    if (m_render && m_running == Kind::Automatic) {
        m_changedWhileHidden = true; // not shown yet: render it when the window shows again
        m_render->Stop();
    }
    ShowBusy();
}

void PreviewWindow::HideForDialog() {
    m_hiddenForDialog = true;
    StopAutomatic();
    hide();
}

void PreviewWindow::ShowAfterDialog() {
    m_hiddenForDialog = false;
    show();
}

bool PreviewWindow::event(QEvent* event) {
    // Some window systems activate every window that shows; the keyboard then goes back to the
    // editor the window stands beside. A click into the window activates it as usual.
    if (event->type() == QEvent::WindowActivate && m_handBackActivation) {
        m_handBackActivation = false;
        QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
        if (owner && owner->isVisible() && QGuiApplication::mouseButtons() == Qt::NoButton)
            owner->activateWindow();
    }
    return QDialog::event(event);
}

void PreviewWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_handBackActivation = true;
    QTimer::singleShot(kHandBackMs, this, [this] { m_handBackActivation = false; });
    m_hiddenForDialog = false;
    // The first showing renders the texture as it is, at the window's size.
    if (!m_shownBefore) {
        m_shownBefore = true;
        m_changedWhileHidden = true;
    }
    if (m_changedWhileHidden) {
        m_changedWhileHidden = false;
        if (m_auto->isChecked())
            m_autoTimer.start();
    }
    ShowBusy();
}

void PreviewWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // No POV-Ray waits for a window that is not there.
    m_warm->End();
}

void PreviewWindow::Render() {
    m_services.Settings().antialiasing = m_antialiasing->isChecked();
    m_autoTimer.stop();
    m_renderButton->setEnabled(false);
    if (m_render) {
        // An automatic render that has run for a while gives way to the one asked for.
        m_next = Kind::Manual;
        if (m_running == Kind::Automatic && m_renderAge.elapsed() >= kGiveWayMs)
            m_render->Stop();
        return;
    }
    StartRender(Kind::Manual);
}

void PreviewWindow::StartRender(Kind kind) {
    // Sharp on the screen: the picture has the frame's size in device pixels.
    const QSize size = m_frame->RenderSize();
    m_render = std::make_unique<PictureRender>(m_texture, size.width(), size.height());
    if (m_warmWorks && !m_freshRetry && isVisible())
        m_render->KeepWarm(m_warm.get());
    m_renderAge.start();
    if (kind == Kind::Manual)
        m_renderButton->setEnabled(false);
    m_running = kind;
    m_notices.clear();
    if (!m_freshRetry)
        ++m_rendersStarted;
    connect(m_render.get(), &QueuedRender::finished, this, &PreviewWindow::RenderEnded);
    // A warning about the scene is told once for a render asked for; an automatic render shows
    // it in the window, so it does not become a message box per keystroke. The box does not
    // hold up the render, which may end while it is open.
    connect(m_render.get(), &QueuedRender::notice, this,
            [this](const QString& title, const QString& text) {
                if (m_running == Kind::Manual)
                    Prompts::Notify(this, Prompts::Icon::Warning, title, text);
                else
                    m_notices << text;
            });
    ShowBusy();
    m_render->Start(m_services.Renders(), QueuedRender::Priority::Preview);
    if (kind == Kind::Manual)
        m_services.ShowProgress(*m_render);
}

void PreviewWindow::RenderEnded() {
    if (!m_render)
        return;
    // Let go from the event loop: this runs inside the render's own signal.
    PictureRender* render = m_render.release();
    render->deleteLater();
    const Kind kind = m_running;
    m_running = Kind::None;
    const RenderResult result = render->Result();
    if (render->RanWarm() && !result.Succeeded() && result.status != RenderResult::Stopped &&
        result.status != RenderResult::TimedOut) {
        // A run of its own tells what is wrong as it always has, and shows whether the warm
        // run was to blame.
        m_freshRetry = true;
        StartRender(kind);
        return;
    }
    if (std::exchange(m_freshRetry, false) && result.Succeeded())
        m_warmWorks = false;
    if (!isVisible()) // a render that ran on after the window closed
        m_warm->End();
    if (result.Succeeded())
        m_frame->SetPicture(std::move(render->Picture()));

    if (kind == Kind::Manual) {
        m_renderButton->setEnabled(true);
        if (!result.message.isEmpty())
            Prompts::Notify(this, Prompts::Icon::Warning, result.title, result.message);
        else if (result.Succeeded())
            ShowProblem({});
    } else if (result.status != RenderResult::Stopped) {
        QStringList lines = m_notices;
        if (!result.message.isEmpty())
            lines << result.message;
        ShowProblem(lines.join(QStringLiteral("\n")));
    }

    const Kind next = m_next;
    m_next = Kind::None;
    if (next != Kind::None)
        StartRender(next);
    ShowBusy();
    emit renderFinished();
}

void PreviewWindow::ShowProblem(const QString& text) {
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

PreviewWindow::Edit PreviewWindow::EditShape(CustomShape& shape, const QString& title) {
    ShapeEditorDialog dialog(m_services, parentWidget());
    dialog.setWindowTitle(title);
    dialog.SetShape(shape.GetSource(), shape.GetName(), shape.GetDescription());
    // Test renders wear the texture as it is now.
    dialog.SetTexture(m_texture.GetSource(SourceFlag::Declare), m_texture.GetName());
    if (dialog.exec() != QDialog::Accepted)
        return Edit::Cancelled;
    const bool changed = dialog.Source() != shape.GetSource() || dialog.Name() != shape.GetName() ||
                         dialog.Description() != shape.GetDescription();
    shape.SetSource(dialog.Source());
    shape.SetName(dialog.Name());
    shape.SetDescription(dialog.Description());
    return changed ? Edit::Changed : Edit::Kept;
}

void PreviewWindow::SaveShapes() {
    // Saved only after a real change, so a file the program could not read whole is not
    // replaced by the shapes used in its place; a save that fails leaves the old file whole.
    if (const auto notice =
            SaveShapeFile(m_services.Settings().EffectiveProgramDirectory(), m_services.Shapes()))
        Prompts::Message(nullptr, Prompts::Icon::Error, notice->title, notice->text);
}

void PreviewWindow::Modify() {
    ShapeList& shapes = m_services.Shapes();
    QListWidgetItem* item = SelectedItem();
    const int row = m_list->row(item);
    const int index = ShapeIndex(item);
    if (index < 0 || index >= static_cast<int>(shapes.size()))
        return;
    HideForDialog();
    PreviewShape& shape = *shapes[static_cast<std::size_t>(index)];
    bool changed = false;
    if (auto* custom = dynamic_cast<CustomShape*>(&shape)) {
        changed = EditShape(*custom, QStringLiteral("Modify Custom Shape")) == Edit::Changed;
    } else {
        Prompts::Message(nullptr, Prompts::Icon::None,
                         QString::fromUtf8(ShapeMessages::CannotModifyTitle),
                         QString::fromUtf8(ShapeMessages::CannotModify));
    }
    ShowAntialiasingSetting();
    m_list->item(row)->setText(ShortText(shape.GetName()));
    m_list->setCurrentRow(row);
    ShowDescription();
    ShowAfterDialog();
    if (changed)
        SaveShapes();
    if (index == m_texture.GetPreviewShape())
        TextureChanged();
}

void PreviewWindow::NewShape() {
    ShapeList& shapes = m_services.Shapes();
    std::size_t slot = 0;
    while (slot < shapes.size() && !IsFreeShapeSlot(*shapes[slot], slot))
        ++slot;
    if (m_hiddenForDialog || slot >= shapes.size() || slot > kHighestShapeIndex)
        return;
    HideForDialog();
    const Edit edit =
        EditShape(static_cast<CustomShape&>(*shapes[slot]), QStringLiteral("New Custom Shape"));
    if (edit != Edit::Cancelled)
        m_texture.SetPreviewShape(static_cast<std::uint8_t>(slot));
    ShowAntialiasingSetting();
    RefreshShapes();
    ShowAfterDialog();
    if (edit == Edit::Changed)
        SaveShapes();
    if (edit != Edit::Cancelled)
        TextureChanged();
}
