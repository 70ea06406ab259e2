#pragma once

#include "core/shapes/previewshape.h"
#include "core/shapes/shapelist.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

/// The number of preview shapes in the shape file a new program directory starts with: 13
/// scenes, then USER1 to USER20.
inline constexpr std::size_t kBuiltinShapeCount = 33;
/// "Unit Sphere", added after them: a sphere of radius 1, whose patterns are as large as on a
/// unit sphere in the user's scene.
inline constexpr std::uint8_t kUnitSphereShape = 33;
/// The number of preview shapes the program has: those of the shape file and the one added.
inline constexpr std::size_t kProgramShapeCount = 34;

/// "Sphere Room": a sphere before a checkered floor and wall, which show through a texture
/// that lets light through.
inline constexpr std::uint8_t kSeeThroughShape = 9;

/// The built-in preview shapes (all CustomShape), in the order textures refer to them by index:
/// the first shape file's, brought up to date (BringShapesUpToDate).
ShapeList BuiltinShapes();

/// Brings a shape list read from a shape file up to date: the first "Sphere", where it is as
/// every program wrote it, tells its radius in its description; a list of kBuiltinShapeCount
/// shapes gets the shapes added since at their places. The stored shape numbers keep their
/// meaning.
void BringShapesUpToDate(ShapeList& shapes);

/// True when `shape`, at `index` in the shape list, is still the free place BuiltinShapes() puts
/// there (USER1 to USER20 as they start): its name, description and scene are all untouched.
bool IsFreeShapeSlot(const PreviewShape& shape, std::size_t index);

/// The built-in shape file: the kBuiltinShapeCount shapes as every program has stored them, as
/// one object array, the "shapes.dat" a new program directory starts with (the build writes it
/// into its resources folder too). Reading it brings it up to date.
std::vector<std::uint8_t> BuiltinShapeFile();
