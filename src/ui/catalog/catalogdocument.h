#pragma once

#include "core/catalog/catalog.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/framework/document.h"

#include <QUndoStack>

class QUndoCommand;

/// A catalog open in the program: the textures and selection, the model through which its
/// windows see and change them, the .vlv file, and the steps that Undo and Redo take back and
/// put again. The modified flag follows whether the steps have brought the catalog back to the
/// state it was saved in.
class CatalogDocument : public Document {
    Q_OBJECT
public:
    explicit CatalogDocument(DocumentTemplate& kind, QObject* parent = nullptr);

    Catalog& Contents() { return m_catalog; }
    const Catalog& Contents() const { return m_catalog; }
    /// Every change to the textures goes through the model, so the windows hear of it.
    CatalogModel& Model() { return m_model; }

    /// Runs `edit` (a step whose change is already made does nothing then) and keeps it as the
    /// newest undoable step.
    void Apply(QUndoCommand* edit);
    QUndoStack& UndoStack() { return m_undo; }
    QUndoStack* UndoSteps() override { return &m_undo; }

    /// Marks the catalog changed by something that cannot be undone and was done to it without
    /// the model (document and catalog flags alike); its windows read it again, and Undo can no
    /// longer bring back the saved state.
    void Changed();

    FileResult Load(const QString& path) override;
    FileResult Store(const QString& path) override;

private:
    void FollowUndoState();

    Catalog m_catalog;
    CatalogModel m_model{m_catalog};
    QUndoStack m_undo;
};
