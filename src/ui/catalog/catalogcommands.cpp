#include "ui/catalog/catalogcommands.h"

#include "core/catalog/exportsource.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "core/povtext/import/sourceconversion.h"
#include "core/shapes/surroundings.h"
#include "render/settings/programsettings.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogedits.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogprinter.h"
#include "ui/catalog/catalogrenders.h"
#include "ui/catalog/sourceimporter.h"
#include "ui/dialogs/clipboard.h"
#include "ui/dialogs/exportdialog.h"
#include "ui/dialogs/thumbnailoptionsdialog.h"
#include "ui/dialogs/viewsourcedialog.h"
#include "ui/framework/appservices.h"
#include "ui/framework/gridhost.h"
#include "ui/framework/prompts.h"
#include "ui/framework/textureeditors.h"
#include "ui/framework/waitcursor.h"
#include "ui/texmap/createtexturemap.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <numeric>
#include <span>

namespace {

const char* const kClearQuestion =
    "Are you sure that you want to clear the thumbnail(s)\nfor the selected material(s)?";
const char* const kClearPrompt =
    "Which thumbnails of the layered textures would you like to clear?";

bool SamePicture(const Bitmap& a, const Bitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::ranges::equal(a.Bits(), b.Bits());
}

bool AnySelectedLayered(const Catalog& catalog) {
    for (int index : catalog.GetSelectedIndices())
        if (catalog.GetTexture(index).Kind() == TextureKind::Layered)
            return true;
    return false;
}

/// Asks which thumbnails the layered textures selected in `catalog` get, starting from
/// `option` (see ThumbnailOptionsDialog), which takes the answer. False when the user declines.
bool AskLayeredChoice(QWidget* parent, const QString& title, const QString& prompt, int& option) {
    ThumbnailOptionsDialog options(parent);
    options.setWindowTitle(title);
    if (!prompt.isEmpty())
        options.SetPrompt(prompt);
    options.SetOption(option);
    if (options.exec() != QDialog::Accepted)
        return false;
    option = options.GetOption();
    return true;
}

} // namespace

CatalogCommands::CatalogCommands(GridHost& host, const CatalogFilter& shown,
                                 CatalogDocument& document, AppServices& app)
    : QObject(&host.DialogParent()), m_host(host), m_shown(shown), m_document(document), m_app(app),
      m_renders(document.Renders(app.Renders())),
      m_printer(std::make_unique<CatalogPrinter>(document, shown, host.DialogParent())) {
    m_importer = new SourceImporter(
        document, app, host.DialogParent(),
        [this](const std::vector<int>& indices) { RenderThumbnailsInBackground(indices); });
    m_importer->setParent(this); // gone before the commands it calls back
    connect(m_importer, &SourceImporter::clipboardChanged, this, &CatalogCommands::stateChanged);
}

CatalogCommands::~CatalogCommands() = default;

bool CatalogCommands::CanNewTexture() const {
    return m_app.Editors() != nullptr;
}
bool CatalogCommands::HasSelection() const {
    return m_document.Contents().GetSelectedCount() > 0;
}
bool CatalogCommands::CanModify() const {
    return m_app.Editors() && m_document.Contents().GetSingleSelection() >= 0;
}
bool CatalogCommands::CanConvertToEditable() const {
    const int index = m_document.Contents().GetSingleSelection();
    return index >= 0 && m_document.Contents().GetTexture(index).Kind() == TextureKind::Source;
}
bool CatalogCommands::CanExportSource() const {
    return m_document.Contents().GetCount() > 0;
}
bool CatalogCommands::CanCreateTextureMap() const {
    return m_document.Contents().GetSingleSelection() >= 0;
}
bool CatalogCommands::CanPaste() const {
    return !m_app.CopyList().empty() || m_importer->ClipboardHoldsSource();
}
bool CatalogCommands::IsAntialiasing() const {
    return m_app.Settings().antialiasing;
}
bool CatalogCommands::IsUpdateThumbnail() const {
    return m_app.Settings().updateThumbnail;
}

bool CatalogCommands::CanSelectAll() const {
    return m_shown.rowCount() > 0;
}

bool CatalogCommands::CanRun(StandardCommand command) const {
    switch (command) {
    case StandardCommand::Cut:
    case StandardCommand::Copy:
        return HasSelection();
    case StandardCommand::Paste:
        return CanPaste();
    case StandardCommand::Print:
    case StandardCommand::PrintPreview:
        return true;
    case StandardCommand::ZoomIn:
    case StandardCommand::ZoomOut:
    case StandardCommand::ActualSize:
        return false;
    }
    return false;
}

void CatalogCommands::Run(StandardCommand command) {
    switch (command) {
    case StandardCommand::Print:
        return OnPrint();
    case StandardCommand::PrintPreview:
        return OnPrintPreview();
    case StandardCommand::Cut:
        return OnCut();
    case StandardCommand::Copy:
        return OnCopy();
    case StandardCommand::Paste:
        return OnPaste();
    case StandardCommand::ZoomIn:
    case StandardCommand::ZoomOut:
    case StandardCommand::ActualSize:
        return;
    }
}

QWidget* CatalogCommands::DialogParent() const {
    return &m_host.DialogParent();
}

void CatalogCommands::Apply(QUndoCommand* edit) {
    m_document.Apply(edit);
}

void CatalogCommands::RenderNewThumbnail(const Texture& texture) {
    if (!IsUpdateThumbnail())
        return;
    // Layers whose thumbnails the layered texture dialog had not yet when OK was pressed come
    // with the texture's own.
    std::vector<int> layers;
    if (texture.Kind() == TextureKind::Layered && m_app.Editors())
        layers = m_app.Editors()->LayersLeftToRender();
    m_renders.RenderThumbnail(texture, layers);
}

void CatalogCommands::AddNew(std::unique_ptr<Texture> texture, const QString& stepName) {
    // Glass or a mirror on the plain sphere is a dark ball: the room's checkers show in it.
    texture->SetPreviewShape(FittingPreviewShape(*texture));
    const Texture& added = *texture;
    std::vector<std::unique_ptr<Texture>> textures;
    textures.push_back(std::move(texture));
    Apply(new InsertTexturesEdit(m_document, stepName, {m_document.Contents().GetCount()},
                                 std::move(textures), false));
    RenderNewThumbnail(added);
}

void CatalogCommands::OnNewSimple() {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    auto texture = std::make_unique<SimpleTexture>();
    if (!editors->EditSimple(*texture, QStringLiteral("New Simple Texture"), DialogParent()))
        return;
    AddNew(std::move(texture), QStringLiteral("New Texture"));
}

void CatalogCommands::OnNewLayered() {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    auto texture = std::make_unique<LayeredTexture>();
    if (!editors->EditLayered(*texture, DialogParent()))
        return;
    AddNew(std::move(texture), QStringLiteral("New Layered Texture"));
}

void CatalogCommands::OnModify() {
    const int index = m_document.Contents().GetSingleSelection();
    if (index >= 0)
        Modify(index);
}

void CatalogCommands::OnConvertToEditable() {
    if (!CanConvertToEditable())
        return;
    const int index = m_document.Contents().GetSingleSelection();
    const auto& source = static_cast<const SourceTexture&>(m_document.Contents().GetTexture(index));
    const QString name = QString::fromStdString(source.GetName());
    SourceConversion conversion = ConvertToEditable(source);
    if (!conversion.texture) {
        Prompts::Message(DialogParent(), Prompts::Icon::Information,
                         QStringLiteral("Convert to Editable"),
                         QStringLiteral("\"%1\" stays a source texture: %2.")
                             .arg(name, QString::fromStdString(conversion.reason)));
        return;
    }
    Apply(new ReplaceTextureEdit(m_document, QStringLiteral("Convert %1 to Editable").arg(name),
                                 index, std::move(conversion.texture)));
}

void CatalogCommands::Modify(int index) {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    const Texture& opened = m_document.Contents().GetTexture(index);
    const TextureId id = opened.GetId();
    const Bitmap openedThumbnail = opened.Thumbnail();
    std::unique_ptr<Texture> copy = opened.Clone();
    bool accepted = false;
    switch (copy->Kind()) {
    case TextureKind::Simple:
        accepted = editors->EditSimple(static_cast<SimpleTexture&>(*copy),
                                       QStringLiteral("Modify Simple Texture"), DialogParent());
        break;
    case TextureKind::Layered:
        accepted = editors->EditLayered(static_cast<LayeredTexture&>(*copy), DialogParent());
        break;
    case TextureKind::Source:
        accepted = editors->EditSource(static_cast<SourceTexture&>(*copy), DialogParent());
        break;
    }
    if (!accepted)
        return;
    // Renders went on while the editor was open: thumbnails may have come, so the texture is
    // looked up again, and only what an editor changes tells whether OK changed it. OK on a
    // texture as it was opened is no change: no undo step, no new thumbnail.
    index = m_document.Model().RowOf(id);
    if (index < 0)
        return;
    const Texture& current = m_document.Contents().GetTexture(index);
    if (SameButThumbnails(*copy, current))
        return;
    // A picture that came meanwhile is newer than the one the editor was opened with.
    if (SamePicture(copy->Thumbnail(), openedThumbnail))
        copy->Thumbnail() = current.Thumbnail();
    // The change is made at once with the old thumbnail, which stays until the new one comes;
    // it then joins this step, so Undo brings back the old texture with its old picture.
    const Texture& changed = *copy;
    const QString name = QString::fromStdString(copy->GetName());
    Apply(new ReplaceTextureEdit(m_document, QStringLiteral("Modify %1").arg(name), index,
                                 std::move(copy)));
    RenderNewThumbnail(changed);
}

void CatalogCommands::RemoveSelection(const QString& verb) {
    const std::vector<int> indices = m_document.Contents().GetSelectedIndices();
    if (indices.empty())
        return;
    const QString name = verb + QLatin1Char(' ') +
                         CountOf(static_cast<int>(indices.size()), QStringLiteral("Texture"));
    Apply(new RemoveTexturesEdit(m_document, name, indices));
    m_host.ForgetAnchor();
}

void CatalogCommands::OnDelete() {
    if (!HasSelection())
        return;
    // A question, not an alarm: Undo brings them back.
    const int count = m_document.Contents().GetSelectedCount();
    const QString question = count == 1
                                 ? QStringLiteral("Delete the selected texture?")
                                 : QStringLiteral("Delete the %1 selected textures?").arg(count);
    if (Prompts::Message(DialogParent(), Prompts::Icon::Question,
                         count == 1 ? QStringLiteral("Delete Texture")
                                    : QStringLiteral("Delete Textures"),
                         question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    WaitCursor wait;
    RemoveSelection(QStringLiteral("Delete"));
}

void CatalogCommands::OnViewSource() {
    if (!HasSelection())
        return;
    const Catalog& catalog = m_document.Contents();
    ViewSourceDialog dialog(QString::fromStdString(ExportSourceText(
                                catalog, catalog.GetSelectedIndices(), SourceFlag::Declare)),
                            DialogParent());
    dialog.exec();
}

void CatalogCommands::OnImportSource() {
    m_importer->ChooseAndImport();
}

void CatalogCommands::OnExportSource() {
    if (!CanExportSource())
        return;
    // The file this catalog was last exported to, else the proposal beside the catalog.
    ProgramSettings& settings = m_app.Settings();
    const QString catalogPath = m_document.Path();
    QString start = m_document.ExportFile();
    if (start.isEmpty() && !catalogPath.isEmpty())
        start = settings.ExportFileFor(catalogPath);
    if (start.isEmpty() && !catalogPath.isEmpty())
        start = QFileInfo(catalogPath)
                    .dir()
                    .filePath(ExportDialog::ProposedFileName(m_document.Title()));
    ExportDialog dialog(m_document.Contents(), m_document.Title(), DialogParent(), start);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString written = QFileInfo(dialog.FileName()).absoluteFilePath();
    m_document.SetExportFile(written);
    if (!catalogPath.isEmpty())
        settings.RememberExportFile(catalogPath, written);
}

void CatalogCommands::OnCreateTextureMap() {
    const int index = m_document.Contents().GetSingleSelection();
    if (index >= 0)
        RunCreateTextureMap(m_app, m_document.Contents().GetTexture(index), DialogParent(),
                            &m_document);
}

void CatalogCommands::OnClearThumbnails() {
    Catalog& catalog = m_document.Contents();
    if (!HasSelection())
        return;
    const QString title = QStringLiteral("Clear Thumbnail(s)");
    int option = ThumbnailOptionsDialog::Both;
    if (AnySelectedLayered(catalog)) {
        if (!AskLayeredChoice(DialogParent(), title, QString::fromLatin1(kClearPrompt), option))
            return;
    } else if (Prompts::Message(DialogParent(), Prompts::Icon::Stop, title,
                                QString::fromLatin1(kClearQuestion),
                                QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    const bool composite = option != ThumbnailOptionsDialog::Layers;
    const bool layers = option != ThumbnailOptionsDialog::Composite;
    // The step holds empty pictures; doing it moves the old ones into the step.
    std::vector<ThumbnailsEdit::Picture> cleared;
    std::vector<TextureId> ids;
    auto empty = [] {
        Bitmap picture;
        picture.Clear();
        return picture;
    };
    for (int index : catalog.GetSelectedIndices()) {
        const Texture& texture = catalog.GetTexture(index);
        ids.push_back(texture.GetId());
        if (composite)
            cleared.push_back({texture.GetId(), -1, empty()});
        if (texture.Kind() == TextureKind::Layered && layers)
            for (int m = 0; m < static_cast<const LayeredTexture&>(texture).GetLayerCount(); ++m)
                cleared.push_back({texture.GetId(), m, empty()});
    }
    if (cleared.empty())
        return;
    // Renders on their way would fill them again.
    m_renders.Drop(ids);
    Apply(new ThumbnailsEdit(m_document, QStringLiteral("Clear"), std::move(cleared), false));
}

void CatalogCommands::OnRenderThumbnails() {
    Catalog& catalog = m_document.Contents();
    if (!HasSelection())
        return;
    // A batch runs in the background and can be stopped and undone: only which thumbnails of
    // layered textures to make is asked, starting from the last answer.
    int option = ThumbnailOptionsDialog::Both;
    if (AnySelectedLayered(catalog)) {
        option = m_app.Settings().thumbnailChoice;
        if (!AskLayeredChoice(DialogParent(), QStringLiteral("Render Thumbnail(s)"), QString(),
                              option))
            return;
        m_app.Settings().thumbnailChoice = option;
        m_app.SaveSettings();
    }
    // Thumbnails show as they come, the bar below the grid tells how far the batch is, and the
    // user goes on working (another batch waits its turn).
    m_renders.StartBatch(catalog.GetSelectedIndices(), option != ThumbnailOptionsDialog::Layers,
                         option != ThumbnailOptionsDialog::Composite, true);
    emit stateChanged();
}

void CatalogCommands::RenderThumbnailsInBackground(const std::vector<int>& indices) {
    if (IsUpdateThumbnail() && !indices.empty())
        m_renders.StartBatch(indices, true, true, false);
}

void CatalogCommands::OnCopy() {
    if (!HasSelection())
        return;
    const Catalog& catalog = m_document.Contents();
    TextureCopyList& copies = m_app.CopyList();
    copies.clear();
    for (int index : catalog.GetSelectedIndices())
        copies.push_back(catalog.GetTexture(index).Clone());
    CopyTextToClipboard(QString::fromStdString(
        ExportSourceText(catalog, catalog.GetSelectedIndices(), SourceFlag::Declare)));
    emit stateChanged();
}

void CatalogCommands::OnCut() {
    if (!HasSelection())
        return;
    OnCopy();
    RemoveSelection(QStringLiteral("Cut"));
}

void CatalogCommands::OnPaste() {
    if (!CanPaste())
        return;
    // POV-Ray source copied elsewhere is imported; the program's own copies are added as they
    // are.
    if (m_importer->ClipboardHoldsSource()) {
        m_importer->ImportClipboard();
        return;
    }
    WaitCursor wait;
    std::vector<std::unique_ptr<Texture>> textures;
    std::vector<int> positions;
    const int count = m_document.Contents().GetCount();
    for (const auto& texture : m_app.CopyList()) {
        positions.push_back(count + static_cast<int>(textures.size()));
        textures.push_back(texture->Clone());
    }
    const QString name = QStringLiteral("Paste ") +
                         CountOf(static_cast<int>(textures.size()), QStringLiteral("Texture"));
    Apply(
        new InsertTexturesEdit(m_document, name, std::move(positions), std::move(textures), false));
}

void CatalogCommands::OnAntialiasing() {
    m_app.Settings().antialiasing = IsAntialiasing() ? 0 : 1;
    emit stateChanged();
}

void CatalogCommands::OnUpdateThumbnail() {
    m_app.Settings().updateThumbnail = IsUpdateThumbnail() ? 0 : 1;
    emit stateChanged();
}

void CatalogCommands::OnPrint() {
    m_printer->ChooseAndPrint();
}

void CatalogCommands::OnPrintPreview() {
    m_printer->Preview();
}

void CatalogCommands::OnSelectAll() {
    m_host.SelectAllShown();
}

void CatalogCommands::OnSelectNone() {
    m_host.SelectNone();
}

void CatalogCommands::OnFind() {
    m_host.ShowFind();
}

void CatalogCommands::MoveSelection(int destination) {
    const std::vector<int> selected = m_document.Contents().GetSelectedIndices();
    if (selected.empty())
        return;
    auto move = std::make_unique<MoveTexturesEdit>(
        m_document,
        QStringLiteral("Move ") +
            CountOf(static_cast<int>(selected.size()), QStringLiteral("Texture")),
        selected, destination);
    if (move->ChangesOrder())
        Apply(move.release());
}

bool CatalogCommands::InsertDropped(const QByteArray& catalogFile, int destination) {
    // Read like a catalog file and copied in.
    Catalog dropped;
    if (dropped.Load(std::span(reinterpret_cast<const std::uint8_t*>(catalogFile.constData()),
                               static_cast<std::size_t>(catalogFile.size()))) ||
        dropped.GetCount() == 0)
        return false;
    std::vector<int> all(static_cast<std::size_t>(dropped.GetCount()));
    std::iota(all.begin(), all.end(), 0);
    std::vector<std::unique_ptr<Texture>> textures = dropped.TakeTextures(all);
    std::vector<int> positions(textures.size());
    std::iota(positions.begin(), positions.end(), destination);
    const QString name = QStringLiteral("Drop ") +
                         CountOf(static_cast<int>(textures.size()), QStringLiteral("Texture"));
    Apply(
        new InsertTexturesEdit(m_document, name, std::move(positions), std::move(textures), true));
    return true;
}
