#pragma once

#include "core/shapes/previewshape.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

/// The number of built-in preview shapes: 13 scenes, then USER1 to USER20.
inline constexpr std::size_t kBuiltinShapeCount = 33;

/// "Sphere Room": a sphere before a checkered floor and wall, which show through a texture
/// that lets light through.
inline constexpr std::uint8_t kSeeThroughShape = 9;

/// The built-in preview shapes (all CustomShape), in the order textures refer to them by index.
std::vector<std::unique_ptr<PreviewShape>> BuiltinShapes();

/// True when `shape`, at `index` in the shape list, is still the free place BuiltinShapes() puts
/// there (USER1 to USER20 as they start): its name, description and scene are all untouched.
bool IsFreeShapeSlot(const PreviewShape& shape, std::size_t index);

/// The built-in shape file: BuiltinShapes() stored as one object array, the "shapes.dat" a new
/// program directory starts with (the build writes it into its resources folder too).
std::vector<std::uint8_t> BuiltinShapeFile();
