#pragma once

#include "core/archive/archive.h"
#include "render/files/fileio.h"

#include <QString>
#include <cstddef>

class Catalog;

/// Why a catalog was refused, in words for the user ("the file ends in the middle of a value");
/// a refused schema is named with its class.
QString ArchiveErrorReason(const ArchiveFault& fault);

/// Opens a catalog file into `catalog`. On failure the catalog is untouched and the result
/// holds the message to show: "Unexpected file format." for a file that is not a catalog (with
/// the file and the reason on the next line), the file-system message when it cannot be read,
/// "Failed to open document." otherwise. Pipes and devices are refused unread. `unread`, when
/// given, receives the number of bytes after the end of the catalog. On success the result's
/// stamp records the file as it was read.
FileResult OpenCatalogFile(const QString& path, Catalog& catalog, std::size_t* unread = nullptr);
/// Saves the catalog atomically; on failure the file on disk is untouched and the result holds
/// the message to show.
FileResult SaveCatalogFile(const QString& path, Catalog& catalog, const WriteOptions& options = {});
