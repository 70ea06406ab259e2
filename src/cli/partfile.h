#pragma once

#include "cli/shard.h"
#include "core/catalog/catalog.h"
#include "render/files/fileio.h"

#include <QString>
#include <vector>

/// What `render --shard K/N --out PART.vlv` hands to `merge`: a catalog file holding the
/// textures of the shard that were rendered, with their thumbnails, in catalog order, and after
/// its end (where catalog readers stop) a few lines of text:
///
///     velvane-part 1
///     shard K/N
///     thumbnails composite|layers|both
///     places I1 I2 ...
///
/// `places` gives each texture's index in the catalog it was rendered from. Velvane opens the
/// file as the catalog of those textures.
class PartFile {
public:
    /// The longest list of places read: room for the indices of 2,000,000 textures.
    static constexpr qsizetype kMaxTrailer = qsizetype{24} << 20;

    Shard shard;
    bool composite = true; ///< holds the textures' own thumbnails
    bool layers = true;    ///< holds the layers' thumbnails
    std::vector<int> places;
    Catalog textures;

    /// Reads a part file; false with `error` naming the file and saying why not.
    bool Read(const QString& path, QString& error);
    /// Writes the part through the program's safe road (a new file that replaces the old one).
    FileResult Write(const QString& path) const;

    /// "composite", "layers" or "both".
    QString ThumbnailsText() const;

private:
    QByteArray Trailer() const;
    /// Takes the lines after the catalog; false when they are not a part's.
    bool ParseTrailer(const QByteArray& trailer);
};
