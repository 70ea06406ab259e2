#pragma once

#include "core/shapes/previewshape.h"

#include <memory>
#include <vector>

/// The program's preview shapes, in the order textures refer to them by index.
using ShapeList = std::vector<std::unique_ptr<PreviewShape>>;
