#include "core/catalog/exportsource.h"

#include "core/catalog/catalog.h"

std::string ExportSourceText(const Catalog& catalog, const std::vector<int>& indices,
                             SourceFlags flags) {
    std::string text;
    for (int index : indices)
        text += catalog.GetTexture(index).GetSource(flags) + "\r\n\r\n";
    return text;
}
