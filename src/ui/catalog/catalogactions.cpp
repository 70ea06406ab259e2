#include "ui/catalog/catalogactions.h"

#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogview.h"
#include "ui/framework/command.h"

#include <QAction>
#include <QUndoStack>

CatalogActions::CatalogActions(CatalogView& view) : QObject(&view), m_view(view) {
    using K = QKeySequence;
    m_standard[StandardCommand::Print] = Add(
        "Print", "&Print...\tCtrl+P", "Print the active document\nPrint", &CatalogView::OnPrint);
    m_standard[StandardCommand::PrintPreview] =
        Add("Print Preview", "Print Pre&view", "Display full pages\nPrint Preview",
            &CatalogView::OnPrintPreview);
    m_standard[StandardCommand::Cut] =
        Add("Cut", "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut",
            &CatalogView::OnCut);
    m_standard[StandardCommand::Copy] =
        Add("Copy", "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard\nCopy",
            &CatalogView::OnCopy);
    m_standard[StandardCommand::Paste] =
        Add("Paste", "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", &CatalogView::OnPaste);

    // Undo and Redo name the step they would take back or put again ("&Undo Delete 3 Textures").
    QUndoStack& steps = m_view.Document().UndoStack();
    m_standard[StandardCommand::Undo] =
        MakeCommand(this, "Undo", "&Undo\tCtrl+Z", "Undo the last action\nUndo");
    m_standard[StandardCommand::Redo] =
        MakeCommand(this, "Redo", "&Redo\tCtrl+Y", "Redo the previously undone action\nRedo");
    connect(m_standard[StandardCommand::Undo], &QAction::triggered, &steps, &QUndoStack::undo);
    connect(m_standard[StandardCommand::Redo], &QAction::triggered, &steps, &QUndoStack::redo);
    m_actions[QStringLiteral("Undo")] = m_standard[StandardCommand::Undo];
    m_actions[QStringLiteral("Redo")] = m_standard[StandardCommand::Redo];
    connect(&steps, &QUndoStack::indexChanged, this, &CatalogActions::Update);
    connect(&steps, &QUndoStack::cleanChanged, this, &CatalogActions::Update);

    Add("Select All", "Select &All\tCtrl+A", "Select every texture shown\nSelect All",
        &CatalogView::OnSelectAll, {K(Qt::CTRL | Qt::Key_A)});
    Add("Select None", "Select &None", "Deselect every texture\nSelect None",
        &CatalogView::OnSelectNone);
    Add("Find", "&Find...\tCtrl+F",
        "Show only the textures whose name or description holds a text\nFind", &CatalogView::OnFind,
        {K(Qt::CTRL | Qt::Key_F)});

    Add("New Simple", "&New Simple...\tN", "Create a new texture with a single layer",
        &CatalogView::OnNewSimple, {K(Qt::Key_N)});
    Add("New Layered", "New &Layered...\tL", "Create a multiple layered texture",
        &CatalogView::OnNewLayered, {K(Qt::Key_L)});
    Add("Delete", "&Delete\tDel", "Delete the selected texture(s)", &CatalogView::OnDelete,
        {K(Qt::Key_Delete)});
    Add("Modify", "&Modify...\tM", "Modify the settings for the selected texture",
        &CatalogView::OnModify, {K(Qt::Key_M)});
    Add("View Source", "&View Source\tV", "View the POVRay source for the selected texture(s)",
        &CatalogView::OnViewSource, {K(Qt::Key_V)});
    Add("Export Source", "&Export Source...\tCtrl+E",
        "Export the POVRay source for the selected texture(s)", &CatalogView::OnExportSource,
        {K(Qt::CTRL | Qt::Key_E)});
    Add("Create Texture Map", "&Create &Texture Map...\tCtrl+T",
        "Create a texture map using the selected texture", &CatalogView::OnCreateTextureMap,
        {K(Qt::CTRL | Qt::Key_T)});
    Add("Clear Thumbnail(s)", "&Clear Thumbnail(s)",
        "Clear the thumbnail(s) for the selected texture(s)", &CatalogView::OnClearThumbnails);
    Add("Render Thumbnail(s)", "&Render Thumbnail(s)",
        "Render the thumbnail(s) for the selected texture(s)", &CatalogView::OnRenderThumbnails);
    Add("Antialiasing", "&Antialiasing",
        "Use antialiasing on the rendered thumbnails and texture maps",
        &CatalogView::OnAntialiasing)
        ->setCheckable(true);
    Add("Update Thumbnail", "Update &Thumbnail",
        "Update a texture's thumbnail after it has been modified", &CatalogView::OnUpdateThumbnail)
        ->setCheckable(true);
    Update();
}

QAction* CatalogActions::Add(const QString& name, const QString& menuText, const QString& prompt,
                             void (CatalogView::*slot)(), const QList<QKeySequence>& keys) {
    QAction* action = MakeCommand(this, name, menuText, prompt, keys);
    connect(action, &QAction::triggered, &m_view, slot);
    m_actions[name] = action;
    return action;
}

QAction* CatalogActions::Action(const QString& name) const {
    const auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

QList<QAction*> CatalogActions::Actions(std::initializer_list<const char*> names) const {
    QList<QAction*> actions;
    for (const char* name : names)
        actions << (*name ? Action(QString::fromLatin1(name)) : nullptr);
    return actions;
}

QList<ViewMenu> CatalogActions::Menus() const {
    return {
        {QStringLiteral("&Texture"),
         Actions({"New Simple", "New Layered", "Delete", "Modify", "", "View Source",
                  "Export Source", "", "Create Texture Map", "", "Clear Thumbnail(s)",
                  "Render Thumbnail(s)"})},
        {QStringLiteral("&Edit"), Actions({"Select All", "Select None", "", "Find"})},
        {QStringLiteral("&Options"), Actions({"Antialiasing", "Update Thumbnail"})},
    };
}

QAction* CatalogActions::Standard(StandardCommand command) const {
    const auto found = m_standard.find(command);
    return found == m_standard.end() ? nullptr : found->second;
}

void CatalogActions::Update() {
    auto set = [this](const char* name, bool enabled) {
        Action(QString::fromLatin1(name))->setEnabled(enabled);
    };
    const QUndoStack& steps = m_view.Document().UndoStack();
    QAction* undo = m_standard.at(StandardCommand::Undo);
    QAction* redo = m_standard.at(StandardCommand::Redo);
    undo->setEnabled(steps.canUndo());
    redo->setEnabled(steps.canRedo());
    undo->setText(steps.canUndo() ? QStringLiteral("&Undo %1\tCtrl+Z").arg(steps.undoText())
                                  : QStringLiteral("&Undo\tCtrl+Z"));
    redo->setText(steps.canRedo() ? QStringLiteral("&Redo %1\tCtrl+Y").arg(steps.redoText())
                                  : QStringLiteral("&Redo\tCtrl+Y"));
    set("Select All", m_view.Shown().Count() > 0);
    set("Select None", m_view.Document().Contents().GetSelectedCount() > 0);
    set("Cut", m_view.CanCut());
    set("Copy", m_view.CanCopy());
    set("Paste", m_view.CanPaste());
    set("New Simple", m_view.CanNewTexture());
    set("New Layered", m_view.CanNewTexture());
    set("Delete", m_view.CanDelete());
    set("Modify", m_view.CanModify());
    set("View Source", m_view.CanViewSource());
    set("Export Source", m_view.CanExportSource());
    set("Create Texture Map", m_view.CanCreateTextureMap());
    set("Clear Thumbnail(s)", m_view.CanClearThumbnails());
    set("Render Thumbnail(s)", m_view.CanRenderThumbnails());
    Action("Antialiasing")->setChecked(m_view.IsAntialiasing());
    Action("Update Thumbnail")->setChecked(m_view.IsUpdateThumbnail());
}
