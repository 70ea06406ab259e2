#pragma once

#include "core/model/texture.h"

#include <string>
#include <vector>

class Catalog;

/// The text that View Source shows and Copy and Export write: for each listed texture, in the
/// order given, its GetSource with `flags` followed by an empty line ("\r\n\r\n").
std::string ExportSourceText(const Catalog& catalog, const std::vector<int>& indices,
                             SourceFlags flags);
