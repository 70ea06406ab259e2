#pragma once

#include "render/files/fileio.h"

#include <QString>

class ColorMap;

/// Reads the colour map file (".txc") at `path` into `map`. A file that cannot be read or
/// does not hold a sound colour map is refused with a message naming it, and `map` is left as
/// it was.
FileResult LoadColorMapFile(const QString& path, ColorMap& map);
/// Writes `map` to the colour map file at `path`, atomically.
FileResult SaveColorMapFile(const QString& path, const ColorMap& map);
