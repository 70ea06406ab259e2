#pragma once

#include "core/shapes/previewshape.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

/// The number of built-in preview shapes: 13 scenes, then USER1 to USER20.
inline constexpr std::size_t kBuiltinShapeCount = 33;

/// The built-in preview shapes (all CustomShape), in the order textures refer to them by index.
std::vector<std::unique_ptr<PreviewShape>> BuiltinShapes();

/// The built-in shape file: BuiltinShapes() stored as one object array. The bytes are generated
/// by tests/tools/makeshapes into builtinshapedata.cpp and resources/shapes.dat.
std::span<const std::uint8_t> BuiltinShapeFile();
