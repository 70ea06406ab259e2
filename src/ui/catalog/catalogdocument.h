#pragma once

#include "core/catalog/catalog.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/framework/document.h"

#include <QUndoStack>
#include <functional>
#include <memory>
#include <span>
#include <unordered_map>

class CatalogRenders;
class QUndoCommand;
class RenderQueue;

/// A catalog open in the program: the textures and selection, the model through which its
/// windows see and change them, the .vlv file, and the steps that Undo and Redo take back and
/// put again. The modified flag follows whether the steps have brought the catalog back to the
/// state it was saved in.
class CatalogDocument : public Document {
    Q_OBJECT
public:
    explicit CatalogDocument(DocumentTemplate& kind, QObject* parent = nullptr);
    ~CatalogDocument() override;

    Catalog& Contents() { return m_catalog; }
    const Catalog& Contents() const { return m_catalog; }
    /// Every change to the textures goes through the model, so the windows hear of it.
    CatalogModel& Model() { return m_model; }

    /// Runs `edit` (a step whose change is already made does nothing then) and keeps it as the
    /// newest undoable step.
    void Apply(QUndoCommand* edit);
    QUndoStack& UndoStack() { return m_undo; }
    QUndoStack* UndoSteps() override { return &m_undo; }

    /// The texture with `id` for which `fits` holds: the catalog's (its index goes to `index`)
    /// or one that an undo step keeps out of the catalog (`index` is -1); null when there is
    /// none. An edited texture keeps its id, so the catalog and a step may both hold one.
    Texture* Find(TextureId id, const std::function<bool(const Texture&)>& fits, int& index);
    /// Undo steps say which textures they keep out of the catalog, and when they let them go.
    void Keep(std::span<const std::unique_ptr<Texture>> textures);
    void LetGo(std::span<const std::unique_ptr<Texture>> textures);
    /// The renders of the catalog's thumbnails, through `queue` (made on first use).
    CatalogRenders& Renders(RenderQueue& queue);
    /// They, when made; null before.
    CatalogRenders* Renders() const { return m_renders.get(); }

    /// Marks the catalog changed by something that cannot be undone and was done to it without
    /// the model (document and catalog flags alike); its windows read it again, and Undo can no
    /// longer bring back the saved state.
    void Changed();

    /// The file the catalog's source was last exported to in this session, or empty.
    const QString& ExportFile() const { return m_exportFile; }
    void SetExportFile(const QString& file) { m_exportFile = file; }

    bool IsModified() const override;
    void SetModifiedFlag(bool modified = true) override;
    FileResult Load(const QString& path) override;
    FileResult Store(const QString& path) override;

private:
    Catalog m_catalog;
    CatalogModel m_model{m_catalog};
    std::unordered_multimap<TextureId, Texture*> m_kept; ///< by the undo steps
    QUndoStack m_undo;
    std::unique_ptr<CatalogRenders> m_renders;
    QString m_exportFile;
};
