#pragma once

#include <memory>

class AppServices;
class DocumentTemplate;

/// The catalog document kind: ".vlv" files, "Catalog1" and so on for new ones, shown in
/// catalog windows.
std::unique_ptr<DocumentTemplate> MakeCatalogKind(AppServices& app);
