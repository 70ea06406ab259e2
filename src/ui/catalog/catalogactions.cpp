#include "ui/catalog/catalogactions.h"

#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogrenders.h"
#include "ui/framework/command.h"

#include <QAction>
#include <QMenu>

CatalogActions::CatalogActions(CatalogCommands& commands)
    : QObject(&commands), m_commands(commands) {
    using K = QKeySequence;
    Add("Select All", "Select &All", "Select every texture shown\nSelect All",
        &CatalogCommands::OnSelectAll, K::keyBindings(K::SelectAll));
    Add("Select None", "Select &None", "Deselect every texture\nSelect None",
        &CatalogCommands::OnSelectNone);
    Add("Find", "&Find...", "Show only the textures whose name or description holds a text\nFind",
        &CatalogCommands::OnFind, K::keyBindings(K::Find));

    Add("New Simple", "&New Simple...", "Create a new texture with a single layer",
        &CatalogCommands::OnNewSimple, {K(Qt::Key_N)});
    Add("New Layered", "New &Layered...", "Create a multiple layered texture",
        &CatalogCommands::OnNewLayered, {K(Qt::Key_L)});
    Add("Delete", "&Delete", "Delete the selected texture(s)", &CatalogCommands::OnDelete,
        K::keyBindings(K::Delete));
    Add("Modify", "&Modify...", "Modify the settings for the selected texture",
        &CatalogCommands::OnModify, {K(Qt::Key_M)});
    Add("View Source", "&View Source", "View the POVRay source for the selected texture(s)",
        &CatalogCommands::OnViewSource, {K(Qt::Key_V)});
    Add("Convert to Editable", "C&onvert to Editable",
        "Turn the selected source texture into one the editors can change\nConvert to Editable",
        &CatalogCommands::OnConvertToEditable);
    Add("Import Source", "&Import Source...",
        "Import the textures declared in POV-Ray source files", &CatalogCommands::OnImportSource);
    Add("Export Source", "&Export Source...",
        "Export the POVRay source for the selected texture(s)", &CatalogCommands::OnExportSource,
        {K(Qt::CTRL | Qt::Key_E)});
    Add("Create Texture Map", "Create &Texture Map...",
        "Create a texture map using the selected texture", &CatalogCommands::OnCreateTextureMap,
        {K(Qt::CTRL | Qt::Key_T)});
    Add("Clear Thumbnail(s)", "&Clear Thumbnail(s)",
        "Clear the thumbnail(s) for the selected texture(s)", &CatalogCommands::OnClearThumbnails);
    Add("Render Thumbnail(s)", "&Render Thumbnail(s)",
        "Render the thumbnail(s) for the selected texture(s)",
        &CatalogCommands::OnRenderThumbnails);
    Add("Antialiasing", "&Antialiasing",
        "Use antialiasing on the rendered thumbnails and texture maps",
        &CatalogCommands::OnAntialiasing)
        ->setCheckable(true);
    Add("Update Thumbnail", "Update &Thumbnail",
        "Update a texture's thumbnail after it has been modified",
        &CatalogCommands::OnUpdateThumbnail)
        ->setCheckable(true);
    Update();
}

QAction* CatalogActions::Add(const QString& name, const QString& menuText, const QString& prompt,
                             void (CatalogCommands::*slot)(), const QList<QKeySequence>& keys) {
    QAction* action = MakeCommand(this, name, menuText, prompt, keys);
    // The user has moved on: the last batch's summary goes.
    connect(action, &QAction::triggered, &m_commands,
            [this] { m_commands.Renders().DismissSummary(); });
    connect(action, &QAction::triggered, &m_commands, slot);
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
    set("Select All", m_commands.CanSelectAll());
    set("Select None", m_commands.HasSelection());
    set("New Simple", m_commands.CanNewTexture());
    set("New Layered", m_commands.CanNewTexture());
    set("Delete", m_commands.HasSelection());
    set("Modify", m_commands.CanModify());
    set("View Source", m_commands.HasSelection());
    set("Convert to Editable", m_commands.CanConvertToEditable());
    set("Export Source", m_commands.CanExportSource());
    set("Create Texture Map", m_commands.CanCreateTextureMap());
    set("Clear Thumbnail(s)", m_commands.HasSelection());
    set("Render Thumbnail(s)", m_commands.HasSelection());
    Action("Antialiasing")->setChecked(m_commands.IsAntialiasing());
    Action("Update Thumbnail")->setChecked(m_commands.IsUpdateThumbnail());
}

void CatalogActions::PopUp(QWidget& parent, const QPoint& globalPosition) {
    Update();
    QMenu menu(&parent);
    // The commands themselves, greyed as they are; the texture map's item has a shorter label
    // here than in the Texture menu.
    auto add = [&](const char* name, const QString& label = QString()) {
        QAction* command = Action(QString::fromLatin1(name));
        if (label.isEmpty()) {
            menu.addAction(command);
            return;
        }
        QAction* item = menu.addAction(label, command, &QAction::trigger);
        item->setEnabled(command->isEnabled());
        item->setShortcuts(command->shortcuts());
        item->setShortcutContext(Qt::WidgetShortcut);
    };
    add("New Simple");
    add("New Layered");
    add("Delete");
    add("Modify");
    menu.addSeparator();
    add("View Source");
    add("Export Source");
    add("Convert to Editable");
    menu.addSeparator();
    add("Create Texture Map", QStringLiteral("Create &Texture Map"));
    menu.addSeparator();
    add("Clear Thumbnail(s)");
    add("Render Thumbnail(s)");
    menu.exec(globalPosition);
}
