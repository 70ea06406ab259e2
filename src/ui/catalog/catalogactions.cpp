#include "ui/catalog/catalogactions.h"

#include "core/catalog/catalog.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogrenders.h"
#include "ui/catalog/catalogview.h"
#include "ui/framework/command.h"

#include <QAction>

CatalogActions::CatalogActions(CatalogView& view) : QObject(&view), m_view(view) {
    using K = QKeySequence;
    Add("Select All", "Select &All", "Select every texture shown\nSelect All",
        &CatalogView::OnSelectAll, K::keyBindings(K::SelectAll));
    Add("Select None", "Select &None", "Deselect every texture\nSelect None",
        &CatalogView::OnSelectNone);
    Add("Find", "&Find...", "Show only the textures whose name or description holds a text\nFind",
        &CatalogView::OnFind, K::keyBindings(K::Find));

    Add("New Simple", "&New Simple...", "Create a new texture with a single layer",
        &CatalogView::OnNewSimple, {K(Qt::Key_N)});
    Add("New Layered", "New &Layered...", "Create a multiple layered texture",
        &CatalogView::OnNewLayered, {K(Qt::Key_L)});
    Add("Delete", "&Delete", "Delete the selected texture(s)", &CatalogView::OnDelete,
        K::keyBindings(K::Delete));
    Add("Modify", "&Modify...", "Modify the settings for the selected texture",
        &CatalogView::OnModify, {K(Qt::Key_M)});
    Add("View Source", "&View Source", "View the POVRay source for the selected texture(s)",
        &CatalogView::OnViewSource, {K(Qt::Key_V)});
    Add("Convert to Editable", "C&onvert to Editable",
        "Turn the selected source texture into one the editors can change\nConvert to Editable",
        &CatalogView::OnConvertToEditable);
    Add("Import Source", "&Import Source...",
        "Import the textures declared in POV-Ray source files", &CatalogView::OnImportSource);
    Add("Export Source", "&Export Source...",
        "Export the POVRay source for the selected texture(s)", &CatalogView::OnExportSource,
        {K(Qt::CTRL | Qt::Key_E)});
    Add("Create Texture Map", "Create &Texture Map...",
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
    // The user has moved on: the last batch's summary goes.
    connect(action, &QAction::triggered, &m_view, [this] { m_view.Renders().DismissSummary(); });
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
                  "Import Source", "Export Source", "Convert to Editable", "", "Create Texture Map",
                  "", "Clear Thumbnail(s)", "Render Thumbnail(s)"})},
        {QStringLiteral("&Edit"), Actions({"Select All", "Select None", "", "Find"})},
        {QStringLiteral("&Options"), Actions({"Antialiasing", "Update Thumbnail"})},
    };
}

void CatalogActions::Update() {
    auto set = [this](const char* name, bool enabled) {
        Action(QString::fromLatin1(name))->setEnabled(enabled);
    };
    set("Select All", m_view.Shown().rowCount() > 0);
    set("Select None", m_view.Document().Contents().GetSelectedCount() > 0);
    set("New Simple", m_view.CanNewTexture());
    set("New Layered", m_view.CanNewTexture());
    set("Delete", m_view.CanDelete());
    set("Modify", m_view.CanModify());
    set("View Source", m_view.CanViewSource());
    set("Convert to Editable", m_view.CanConvertToEditable());
    set("Export Source", m_view.CanExportSource());
    set("Create Texture Map", m_view.CanCreateTextureMap());
    set("Clear Thumbnail(s)", m_view.CanClearThumbnails());
    set("Render Thumbnail(s)", m_view.CanRenderThumbnails());
    Action("Antialiasing")->setChecked(m_view.IsAntialiasing());
    Action("Update Thumbnail")->setChecked(m_view.IsUpdateThumbnail());
}
