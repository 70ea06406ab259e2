#pragma once

#include "cli/commandline.h"

/// `merge CATALOG PART.vlv...`: takes the thumbnails of the parts that `render --out` wrote
/// into the catalog, each only where the texture at its place still renders as it did.
int RunMerge(CommandLine& args);
