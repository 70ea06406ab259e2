#pragma once

#include "core/catalog/catalog.h"
#include "ui/framework/document.h"

/// A catalog open in the program: the textures and selection, and the .vlv file.
class CatalogDocument : public Document {
    Q_OBJECT
public:
    explicit CatalogDocument(DocumentTemplate& kind, QObject* parent = nullptr) : Document(kind, parent) {}

    Catalog& Contents() { return m_catalog; }
    const Catalog& Contents() const { return m_catalog; }

    /// Marks the catalog changed (document and catalog flags alike) and repaints its views.
    void Changed();

    FileResult Load(const QString& path) override;
    FileResult Store(const QString& path) override;

private:
    Catalog m_catalog;
};
