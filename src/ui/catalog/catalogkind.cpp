#include "ui/catalog/catalogkind.h"

#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogview.h"
#include "ui/framework/documenttemplate.h"

std::unique_ptr<DocumentTemplate> MakeCatalogKind(AppServices& app) {
    return std::make_unique<DocumentTemplate>(
        DocumentTemplate::Strings{QStringLiteral("Catalog"), QStringLiteral("Velvane (*.vlv)"),
                                  QStringLiteral(".VLV")},
        [](DocumentTemplate& kind) { return std::make_unique<CatalogDocument>(kind); },
        [&app](Document& document) -> DocumentView* {
            return new CatalogView(static_cast<CatalogDocument&>(document), app);
        });
}
