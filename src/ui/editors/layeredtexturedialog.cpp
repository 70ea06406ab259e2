#include "ui/editors/layeredtexturedialog.h"

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "paint/bitmapdraw.h"
#include "paint/catalogpainter.h"
#include "render/povray/picturerender.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/clipboard.h"
#include "ui/dialogs/viewsourcedialog.h"
#include "ui/editors/namefields.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/sidebyside.h"
#include "ui/framework/appservices.h"
#include "ui/framework/prompts.h"
#include "ui/framework/textureeditors.h"
#include "ui/framework/waitcursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

/// Grey behind "Not Rendered".
constexpr int kNotRenderedGrey = 195;

/// The selected layer's thumbnail, centred; "Not Rendered" for a layer without one.
class LayerThumbnail : public QWidget {
public:
    LayerThumbnail(AppServices& services, std::function<const SimpleTexture*()> layer,
                   QWidget* parent)
        : QWidget(parent), m_services(services), m_layer(std::move(layer)) {
        setFixedSize(LayeredTextureDialog::kLayerThumbnailSize + 8,
                     LayeredTextureDialog::kLayerThumbnailSize + 8);
        setAccessibleName(QStringLiteral("Thumbnail"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const SimpleTexture* layer = m_layer();
        if (!layer)
            return;
        QPainter painter(this);
        const Bitmap& picture = layer->Thumbnail();
        const int x = (width() - picture.Width()) / 2;
        const int y = (height() - picture.Height()) / 2;
        if (DrawBitmap(painter, picture, x, y, RouteFor(m_services.Settings().drawThroughPixmap)))
            return;
        const QString text = QString::fromLatin1(CatalogPainter::kNotRendered);
        QRect box = painter.fontMetrics().boundingRect(text);
        box.moveCenter(rect().center());
        painter.fillRect(box, QColor(kNotRenderedGrey, kNotRenderedGrey, kNotRenderedGrey));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(box, Qt::AlignCenter, text);
    }

private:
    AppServices& m_services;
    std::function<const SimpleTexture*()> m_layer;
};

QString Name(const SimpleTexture& layer) {
    return QString::fromStdString(layer.GetName());
}

} // namespace

LayeredTextureDialog::LayeredTextureDialog(AppServices& services, const LayeredTexture& texture,
                                           QWidget* parent)
    : QDialog(parent), m_services(services), m_working(texture) {
    setWindowTitle(QStringLiteral("Layered Texture"));

    auto* listLabel = new QLabel(QStringLiteral("Simple Texture(s)"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("layerList"));
    m_list->setAccessibleName(QStringLiteral("Simple Texture(s)"));
    m_list->setMinimumSize(180, 170);
    listLabel->setBuddy(m_list);
    connect(m_list, &QListWidget::currentRowChanged, this, [this] {
        ApplyEnabling();
        m_thumbnail->update();
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Modify(); });

    auto button = [this](const char* text, const char* name,
                         void (LayeredTextureDialog::*command)()) {
        auto* made = new QPushButton(QString::fromUtf8(text), this);
        made->setObjectName(QString::fromLatin1(name));
        made->setAutoDefault(false);
        connect(made, &QPushButton::clicked, this, command);
        return made;
    };
    m_new = button("&New...", "newButton", &LayeredTextureDialog::New);
    m_remove = button("&Remove", "removeButton", &LayeredTextureDialog::Remove);
    m_modify = button("&Modify...", "modifyButton", &LayeredTextureDialog::Modify);
    m_moveUp = button("Move &Up", "moveUpButton", &LayeredTextureDialog::MoveUp);
    m_moveDown = button("Move D&own", "moveDownButton", &LayeredTextureDialog::MoveDown);
    m_copy = button("&Copy", "copyButton", &LayeredTextureDialog::Copy);
    m_paste = button("&Paste", "pasteButton", &LayeredTextureDialog::Paste);

    // N is New's key here.
    m_names = new NameFields(m_working, QStringLiteral("N&ame"), 4, this);

    m_thumbnailFrame = new QGroupBox(QStringLiteral("Thumbnail"), this);
    m_thumbnailFrame->setObjectName(QStringLiteral("thumbnailFrame"));
    m_thumbnail = new LayerThumbnail(
        services, [this]() -> const SimpleTexture* { return m_working.GetLayer(Selected()); },
        m_thumbnailFrame);
    (new QVBoxLayout(m_thumbnailFrame))->addWidget(m_thumbnail);

    m_updateThumbnail = new QCheckBox(QStringLiteral("&Update Thumbnail"), this);
    m_updateThumbnail->setObjectName(QStringLiteral("updateThumbnail"));
    connect(m_updateThumbnail, &QCheckBox::toggled, this,
            [this](bool checked) { m_services.Settings().updateThumbnail = checked; });
    m_viewSource = new QPushButton(QStringLiteral("&View Source..."), this);
    m_viewSource->setObjectName(QStringLiteral("viewSource"));
    m_viewSource->setAutoDefault(false);
    connect(m_viewSource, &QPushButton::clicked, this, [this] {
        ViewSourceDialog dialog(QString::fromStdString(m_working.GetSource(SourceFlag::Declare)),
                                this);
        dialog.exec();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &LayeredTextureDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LayeredTextureDialog::reject);

    auto* commands = new QVBoxLayout;
    for (QPushButton* command : {m_new, m_remove, m_modify, m_moveUp, m_moveDown, m_copy, m_paste})
        commands->addWidget(command);
    commands->addStretch(1);
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(listLabel);
    listColumn->addWidget(m_list, 1);
    auto* thumbnailColumn = new QVBoxLayout;
    thumbnailColumn->addWidget(m_thumbnailFrame);
    thumbnailColumn->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(listColumn, 1);
    top->addLayout(commands);
    top->addLayout(thumbnailColumn);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_updateThumbnail);
    bottom->addStretch(1);
    bottom->addWidget(m_viewSource);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_names);
    layout->addLayout(bottom);
    layout->addWidget(buttons);

    QWidget* order[] = {m_list,
                        m_new,
                        m_remove,
                        m_modify,
                        m_moveUp,
                        m_moveDown,
                        m_copy,
                        m_paste,
                        m_names->NameEdit(),
                        m_names->DescriptionEdit(),
                        m_updateThumbnail,
                        m_viewSource};
    for (std::size_t index = 1; index < std::size(order); ++index)
        setTabOrder(order[index - 1], order[index]);

    // The Preview window is a window of its own that ends with the dialog.
    m_preview = new PreviewWindow(services, m_working, this);
    SideBySideKeeper::For(m_preview); // beside the dialog, never over its buttons

    WriteFields();
    {
        WaitCursor wait;
        for (int index = 0; index < m_working.GetLayerCount(); ++index)
            m_list->addItem(Name(*m_working.GetLayer(index)));
    }
    m_list->setCurrentRow(m_list->count() > 0 ? 0 : -1);
    ApplyEnabling();
}

LayeredTextureDialog::~LayeredTextureDialog() = default;

QPushButton* LayeredTextureDialog::Button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

QLineEdit* LayeredTextureDialog::NameEdit() const {
    return m_names->NameEdit();
}

QPlainTextEdit* LayeredTextureDialog::DescriptionEdit() const {
    return m_names->DescriptionEdit();
}

int LayeredTextureDialog::Selected() const {
    return m_list->currentRow();
}

void LayeredTextureDialog::WriteFields() {
    m_names->Show();
    m_updateThumbnail->setChecked(m_services.Settings().updateThumbnail);
}

void LayeredTextureDialog::ApplyEnabling() {
    const int count = m_list->count();
    const int selected = Selected();
    for (QWidget* control : {static_cast<QWidget*>(m_ok), static_cast<QWidget*>(m_remove),
                             static_cast<QWidget*>(m_modify), static_cast<QWidget*>(m_viewSource)})
        control->setEnabled(count > 0);
    m_thumbnailFrame->setVisible(count > 0);
    m_moveUp->setEnabled(count > 1 && selected != 0);
    m_moveDown->setEnabled(count > 1 && selected != count - 1);
    m_paste->setEnabled(!m_services.CopyList().empty());
    m_copy->setEnabled(selected >= 0);
}

void LayeredTextureDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Shown once the dialog has taken its final size, which settles after the first show; the
    // Preview places itself beside the dialog, and again whenever the dialog grows.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && m_list->count() > 0)
            ShowPreview();
    });
}

void LayeredTextureDialog::done(int result) {
    m_preview->hide();
    QDialog::done(result);
}

void LayeredTextureDialog::ShowPreview() {
    m_preview->ShowAntialiasingSetting();
    m_preview->ShowAfterDialog();
}

void LayeredTextureDialog::AfterEdit() {
    if (m_list->count() > 0)
        ShowPreview();
    m_preview->RefreshShapes();
    WriteFields();
    ApplyEnabling();
    m_thumbnail->update();
}

void LayeredTextureDialog::RenderLayerThumbnail(int row) {
    const SimpleTexture* layer = m_working.GetLayer(row);
    if (!layer)
        return;
    auto render = std::make_unique<PictureRender>(*layer, kLayerThumbnailSize, kLayerThumbnailSize);
    PictureRender* started = render.get();
    connect(started, &QueuedRender::finished, this, [this, started] { LayerRendered(started); });
    m_renders.push_back({layer, std::move(render)});
    started->Start(m_services.Renders());
}

void LayeredTextureDialog::LayerRendered(PictureRender* render) {
    const auto found =
        std::find_if(m_renders.begin(), m_renders.end(),
                     [render](const LayerRender& r) { return r.render.get() == render; });
    if (found == m_renders.end())
        return;
    LayerRender ended = std::move(*found);
    m_renders.erase(found);
    // The layer takes the picture while it is still in the texture and still as rendered; a
    // layer removed or changed meanwhile keeps what it has.
    SimpleTexture* layer = nullptr;
    for (int row = 0; row < m_working.GetLayerCount(); ++row)
        if (m_working.GetLayer(row) == ended.layer)
            layer = m_working.GetLayer(row);
    if (!layer || !render->Renders(*layer))
        return;
    const RenderResult& result = render->Result();
    if (result.Succeeded()) {
        layer->Thumbnail() = std::move(render->Picture());
        m_thumbnail->update();
    } else if (!result.message.isEmpty()) {
        Prompts::Message(this, Prompts::Icon::Warning, result.title, result.message);
    }
}

std::vector<int> LayeredTextureDialog::LayersAwaitingThumbnails() const {
    std::vector<int> rows;
    for (int row = 0; row < m_working.GetLayerCount(); ++row)
        for (const LayerRender& pending : m_renders)
            if (pending.layer == m_working.GetLayer(row) && pending.render->Renders(*pending.layer))
                rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void LayeredTextureDialog::AppendLayer(const SimpleTexture& layer) {
    if (!m_working.AddLayer(layer))
        return;
    m_list->addItem(Name(layer));
    m_list->setCurrentRow(m_list->count() - 1);
}

void LayeredTextureDialog::New() {
    m_preview->HideForDialog();
    if (TextureEditors* editors = m_services.Editors()) {
        SimpleTexture layer;
        if (editors->EditSimple(layer, QStringLiteral("New Simple Texture"), this)) {
            AppendLayer(layer);
            if (m_services.Settings().updateThumbnail)
                RenderLayerThumbnail(m_working.GetLayerCount() - 1);
            m_preview->TextureChanged();
        }
    }
    AfterEdit();
}

void LayeredTextureDialog::Modify() {
    const int row = Selected();
    if (row < 0 || row >= m_working.GetLayerCount())
        return;
    m_preview->HideForDialog();
    if (TextureEditors* editors = m_services.Editors()) {
        auto copy = std::make_unique<SimpleTexture>(*m_working.GetLayer(row));
        // OK on a layer as it was is no change: no new thumbnail, nothing for the Preview. Its
        // thumbnail may have come while the editor was open, and is no change either.
        if (editors->EditSimple(*copy, QStringLiteral("Modify Simple Texture"), this) &&
            !SameButThumbnails(*copy, *m_working.GetLayer(row))) {
            copy->Thumbnail() = m_working.GetLayer(row)->Thumbnail();
            const QString name = Name(*copy);
            m_working.SetLayer(row, std::move(copy));
            if (m_services.Settings().updateThumbnail)
                RenderLayerThumbnail(row);
            m_list->item(row)->setText(name);
            m_list->setCurrentRow(row);
            m_preview->TextureChanged();
        }
    }
    AfterEdit();
}

void LayeredTextureDialog::Remove() {
    const int row = Selected();
    if (row < 0 || row >= m_working.GetLayerCount())
        return;
    if (Prompts::Message(
            this, Prompts::Icon::Stop, QStringLiteral("Remove Texture"),
            QStringLiteral("Are you sure that you want to remove the selected texture?"),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    m_working.RemoveLayer(row);
    delete m_list->takeItem(row);
    m_list->setCurrentRow(m_list->count() == 0 ? -1 : std::min(row, m_list->count() - 1));
    if (m_list->count() == 0)
        m_preview->hide();
    m_thumbnail->update();
    ApplyEnabling();
    m_preview->TextureChanged();
}

void LayeredTextureDialog::SwapWith(int offset) {
    const int row = Selected();
    const int other = row + offset;
    if (row < 0 || other < 0 || other >= m_working.GetLayerCount())
        return;
    m_working.SwapLayers(row, other);
    m_list->item(row)->setText(Name(*m_working.GetLayer(row)));
    m_list->item(other)->setText(Name(*m_working.GetLayer(other)));
    m_list->setCurrentRow(other);
    ApplyEnabling();
    m_thumbnail->update();
    m_preview->TextureChanged();
}

void LayeredTextureDialog::MoveUp() {
    SwapWith(-1);
}

void LayeredTextureDialog::MoveDown() {
    SwapWith(1);
}

void LayeredTextureDialog::Copy() {
    const SimpleTexture* layer = m_working.GetLayer(Selected());
    if (!layer)
        return;
    TextureCopyList& copies = m_services.CopyList();
    copies.clear();
    std::unique_ptr<Texture> copy = layer->Clone();
    copy->ScaleThumbnail(kCopyThumbnailSize, kCopyThumbnailSize, true);
    copies.push_back(std::move(copy));
    CopyTextToClipboard(QString::fromStdString(layer->GetSource(SourceFlag::Declare)));
    ApplyEnabling();
}

void LayeredTextureDialog::Paste() {
    {
        WaitCursor wait;
        auto paste = [this](const SimpleTexture& layer) {
            SimpleTexture copy(layer);
            copy.ScaleThumbnail(kLayerThumbnailSize, kLayerThumbnailSize, false);
            AppendLayer(copy);
        };
        for (const auto& entry : m_services.CopyList()) {
            // Source textures are POV-Ray text, which a layer cannot hold: they are left out.
            if (entry->Kind() == TextureKind::Simple) {
                paste(static_cast<const SimpleTexture&>(*entry));
            } else if (entry->Kind() == TextureKind::Layered) {
                const auto& layered = static_cast<const LayeredTexture&>(*entry);
                for (int index = 0; index < layered.GetLayerCount(); ++index)
                    paste(*layered.GetLayer(index));
            }
        }
    }
    if (m_list->count() > 0)
        ShowPreview();
    m_thumbnail->update();
    ApplyEnabling();
    m_preview->TextureChanged();
}
