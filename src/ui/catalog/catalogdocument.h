#pragma once

#include "core/catalog/catalog.h"
#include "ui/framework/document.h"

#include <QUndoStack>

class QUndoCommand;

/// A catalog open in the program: the textures and selection, the .vlv file, and the steps
/// that Undo and Redo take back and put again. The modified flag follows whether the steps
/// have brought the catalog back to the state it was saved in.
class CatalogDocument : public Document {
    Q_OBJECT
public:
    explicit CatalogDocument(DocumentTemplate& kind, QObject* parent = nullptr);

    Catalog& Contents() { return m_catalog; }
    const Catalog& Contents() const { return m_catalog; }

    /// Runs `edit` (a step whose change is already made does nothing then) and keeps it as the
    /// newest undoable step.
    void Apply(QUndoCommand* edit);
    QUndoStack& UndoStack() { return m_undo; }

    /// Marks the catalog changed by something that cannot be undone (document and catalog flags
    /// alike) and repaints its views; Undo can then no longer bring back the saved state.
    void Changed();

    FileResult Load(const QString& path) override;
    FileResult Store(const QString& path) override;

private:
    void FollowUndoState();

    Catalog m_catalog;
    QUndoStack m_undo;
};
