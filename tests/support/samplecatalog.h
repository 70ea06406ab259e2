#pragma once

#include "core/catalog/catalog.h"

/// The textures of examples/sample.vlv without thumbnails: woods, marbles, granites, other
/// patterns, solid finishes and a layered texture. The sample file is generated from this.
Catalog BuildSampleCatalog();
