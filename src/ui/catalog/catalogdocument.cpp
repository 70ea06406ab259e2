#include "ui/catalog/catalogdocument.h"

#include "render/files/catalogfile.h"

void CatalogDocument::Changed() {
    m_catalog.SetModifiedFlag(true);
    SetModifiedFlag(true);
    emit contentsChanged();
}

FileResult CatalogDocument::Load(const QString& path) {
    Catalog loaded;
    FileResult result = OpenCatalogFile(path, loaded);
    if (!result)
        return result;
    m_catalog = std::move(loaded);
    SetModifiedFlag(false);
    emit contentsChanged();
    return result;
}

FileResult CatalogDocument::Store(const QString& path) { return SaveCatalogFile(path, m_catalog); }
