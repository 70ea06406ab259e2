#pragma once

#include "catalog/ulvordoc.h"
#include "framework/document.h"

/// A catalog open in the program: the textures and selection, and the .vlv file.
class CatalogDocument : public Document {
    Q_OBJECT
public:
    explicit CatalogDocument(DocumentTemplate& kind, QObject* parent = nullptr) : Document(kind, parent) {}

    CUlvorDoc& Catalog() { return m_catalog; }
    const CUlvorDoc& Catalog() const { return m_catalog; }

    /// Marks the catalog changed (document and catalog flags alike) and repaints its views.
    void Changed();

    FileResult Load(const QString& path) override;
    FileResult Store(const QString& path) override;

private:
    CUlvorDoc m_catalog;
};
