#pragma once

#include "ui/framework/documentview.h"

#include <QObject>
#include <memory>
#include <vector>

class AppServices;
class CatalogDocument;
class CatalogFilter;
class CatalogPrinter;
class CatalogRenders;
class GridHost;
class QByteArray;
class QUndoCommand;
class SourceImporter;
class QWidget;
class Texture;

/// What the Texture, Edit and Options commands of a catalog window do, and whether each can
/// run now. They act on the selection, and every change to the textures is one step on the
/// document that Undo takes back; new and changed textures get their thumbnails rendered in
/// the background when "Update Thumbnail" is on. The window that shows `shown` (the textures
/// Find lets through) hosts them: their dialogs open over it, and they are its children.
class CatalogCommands : public QObject {
    Q_OBJECT
public:
    CatalogCommands(GridHost& host, const CatalogFilter& shown, CatalogDocument& document,
                    AppServices& app);
    ~CatalogCommands() override;

    bool CanNewTexture() const;
    /// Whether a texture is selected: what Delete, View Source, Cut, Copy, Clear and Render
    /// Thumbnail(s) and Select None need.
    bool HasSelection() const;
    bool CanModify() const;
    /// One source texture is selected.
    bool CanConvertToEditable() const;
    bool CanExportSource() const;
    bool CanCreateTextureMap() const;
    bool CanPaste() const;
    bool CanSelectAll() const;
    bool IsAntialiasing() const;
    bool IsUpdateThumbnail() const;
    /// The main window's printing and clipboard commands, in this window (the zoom is the
    /// window's own: never).
    bool CanRun(StandardCommand command) const;
    void Run(StandardCommand command);

    /// The import of POV-Ray source into the window's catalog, with its summary.
    SourceImporter& Importer() const { return *m_importer; }
    const CatalogPrinter& Printer() const { return *m_printer; }
    CatalogRenders& Renders() const { return m_renders; }

    /// Opens the texture at catalog index `index` in its editor and puts the result in.
    void Modify(int index);
    /// Renders the thumbnails of the new textures at `indices` in the background when "Update
    /// Thumbnail" is on, with the batch bar; the pictures join the steps that brought the
    /// textures in.
    void RenderThumbnailsInBackground(const std::vector<int>& indices);
    /// Moves the selected textures before catalog index `destination`, as one step.
    void MoveSelection(int destination);
    /// Copies in the textures of a dragged catalog file before catalog index `destination`.
    /// False when the bytes hold none.
    bool InsertDropped(const QByteArray& catalogFile, int destination);

public slots:
    void OnNewSimple();
    void OnNewLayered();
    void OnDelete();
    void OnModify();
    void OnViewSource();
    /// Replaces the selected source texture by the simple or layered texture it maps onto
    /// exactly, or says what stands in the way.
    void OnConvertToEditable();
    void OnImportSource();
    void OnExportSource();
    void OnCreateTextureMap();
    void OnClearThumbnails();
    void OnRenderThumbnails();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnAntialiasing();
    void OnUpdateThumbnail();
    void OnPrint();
    void OnPrintPreview();
    void OnSelectAll();
    void OnSelectNone();
    /// Shows the Find field above the grid and puts the cursor in it.
    void OnFind();

signals:
    /// What the commands can do changed (the clipboard, an option, a batch started).
    void stateChanged();

private:
    /// Renders the thumbnail of a texture just put in (new or changed) in the background when
    /// "Update Thumbnail" is on; it keeps its old picture until the new one comes.
    void RenderNewThumbnail(const Texture& texture);
    void AddNew(std::unique_ptr<Texture> texture, const QString& stepName);
    void RemoveSelection(const QString& verb);
    /// Runs a step on the document; the model tells the windows what changed.
    void Apply(QUndoCommand* edit);
    QWidget* DialogParent() const;

    GridHost& m_host;
    const CatalogFilter& m_shown;
    CatalogDocument& m_document;
    AppServices& m_app;
    CatalogRenders& m_renders;
    SourceImporter* m_importer;
    std::unique_ptr<CatalogPrinter> m_printer;
};
