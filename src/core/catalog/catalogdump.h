#pragma once

#include <string>

class Catalog;

/// Every stored field of every texture of the catalog, layers included, as JSON. Thumbnails
/// appear as their size only.
std::string CatalogToJson(const Catalog& catalog);
