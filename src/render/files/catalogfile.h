#pragma once

#include "render/files/fileio.h"

#include <QString>

class Catalog;

/// Opens a catalog file into `catalog`. On failure the catalog is untouched and the result
/// holds the message to show: "Unexpected file format." for a file that is not a catalog, the
/// file-system message when it cannot be read, "Failed to open document." otherwise.
FileResult OpenCatalogFile(const QString& path, Catalog& catalog);
/// Saves the catalog atomically and clears its modified flag; on failure the file on disk is
/// untouched, the catalog stays modified and the result holds the message to show.
FileResult SaveCatalogFile(const QString& path, Catalog& catalog);
