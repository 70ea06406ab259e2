#pragma once

#include "core/color/namedcolor.h"
#include "core/model/iorpreset.h"
#include "core/shapes/shapelist.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

using NamedColorList = std::vector<std::unique_ptr<NamedColor>>;
using IorPresetList = std::vector<std::unique_ptr<IorPreset>>;

/// A message for the user from loading or saving a side file.
struct SideFileNotice {
    enum Icon { Information, Warning, Error };
    QString title;
    QString text;
    Icon icon = Information;
};

/// The side files in the program directory.
QString ShapeFilePath(const QString& programDirectory);
QString ColorFilePath(const QString& programDirectory);
QString IorFilePath(const QString& programDirectory);

/// Loads "shapes.dat". A missing file is written from the built-in shapes first, silently;
/// when it cannot be written (a full disk), or a file there is
/// damaged or unreadable, the built-in shapes are used, and the file is left alone. `notice`
/// receives what the user must be told, if anything: the file, the reason and what is used instead.
/// What is read is brought up to date (BringShapesUpToDate); the file is rewritten only when a
/// shape is changed.
ShapeList LoadShapeFile(const QString& programDirectory, std::optional<SideFileNotice>& notice);
/// Saves the shapes to "shapes.dat" atomically, so a failed save leaves the old file in place.
/// A file there that does not hold a whole shape list is first kept as "shapes.dat.damaged"
/// (or "shapes.dat.damaged-2" and so on); one that cannot be read is never replaced.
/// A notice when it cannot be saved: "Unable to remove shape file!" when the file there cannot be
/// replaced, "Unable to open the file %1" when the new one cannot be written (both "Fatal Error").
std::optional<SideFileNotice> SaveShapeFile(const QString& programDirectory,
                                            const ShapeList& shapes);

/// Loads "colors.dat": nothing when it is missing; what could be read when it is damaged, and
/// nothing when it cannot be read. `notice` tells the last two: the file, the reason and what
/// is used instead.
NamedColorList LoadColorFile(const QString& programDirectory,
                             std::optional<SideFileNotice>& notice);
/// The colours in their stored form: the list changed when this changed.
QByteArray StoredColors(const NamedColorList& colors);
/// Saves "colors.dat", with the same care as SaveShapeFile for a damaged file
/// ("colors.dat.damaged") or one that cannot be read (never replaced); a notice when the file
/// cannot be written.
std::optional<SideFileNotice> SaveColorFile(const QString& programDirectory,
                                            const NamedColorList& colors);

/// Loads "iorvalue.dat": the common presets (DefaultIorPresets) when it is missing. A damaged or
/// unreadable file is treated as missing and `notice` says so; the file itself is left alone.
IorPresetList LoadIorPresets(const QString& programDirectory,
                             std::optional<SideFileNotice>& notice);
/// Saves "iorvalue.dat"; a notice ("Error opening iorvalue.dat") when it cannot be written.
std::optional<SideFileNotice> SaveIorPresets(const QString& programDirectory,
                                             const IorPresetList& presets);
