#include "cli/mergecommand.h"

#include "cli/catalogcommands.h"
#include "cli/partfile.h"
#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/texture.h"
#include "render/files/catalogfile.h"
#include "render/files/fileio.h"
#include "render/povray/renderprogress.h"

#include <QStringList>
#include <cstdio>
#include <set>

namespace {

/// The refusals of one part that are told one by one; the rest are counted.
constexpr int kToldRefusals = 5;

void Tell(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

/// How the merge went.
struct MergeTally {
    int partsMerged = 0;
    int partsRefused = 0;
    qint64 taken = 0;   ///< textures whose thumbnails were taken
    qint64 changed = 0; ///< refused: the texture at the place renders otherwise now
    qint64 gone = 0;    ///< refused: the catalog has no texture at the place any more
    int shardCount = 0; ///< the N of every part merged, 0 while none, -1 when they differ
    std::set<int> shards;
};

/// Whether the part's texture is the one at its place, as the thumbnail cache tells pictures
/// apart: by what POV-Ray renders and on which shape.
bool RendersAlike(const Texture& a, const Texture& b) {
    return a.GetPreviewShape() == b.GetPreviewShape() && a.GetRenderSource() == b.GetRenderSource();
}

/// Why a thumbnail of a part is not taken.
struct Refusal {
    enum Reason { None, Changed, Gone } reason = None;
    QString text;
};

/// Whether the part's texture `k` is taken at its place, and why not.
Refusal Judge(const Catalog& catalog, const PartFile& part, int k) {
    const int place = part.places[static_cast<std::size_t>(k)];
    const Texture& own = part.textures.GetTexture(k);
    if (place >= catalog.GetCount())
        return {Refusal::Gone, QStringLiteral("texture %1 \"%2\" is no longer in the catalog")
                                   .arg(place)
                                   .arg(QString::fromStdString(own.GetName()))};
    if (!RendersAlike(own, catalog.GetTexture(place)))
        return {Refusal::Changed,
                QStringLiteral("texture %1 \"%2\" has changed since the part was rendered")
                    .arg(place)
                    .arg(QString::fromStdString(catalog.GetTexture(place).GetName()))};
    return {};
}

/// Puts the part's thumbnails of one texture into the catalog's.
void TakeThumbnails(const PartFile& part, const Texture& from, Texture& into) {
    if (part.composite)
        into.Thumbnail() = from.Thumbnail();
    if (!part.layers)
        return;
    for (int layer = 0;; ++layer) {
        const Texture* source = ThumbnailSubject(from, layer);
        Texture* target = ThumbnailSubject(into, layer);
        if (!source || !target)
            return;
        target->Thumbnail() = source->Thumbnail();
    }
}

void MergePart(Catalog& catalog, const QString& path, const PartFile& part, MergeTally& tally) {
    std::vector<Refusal> refusals;
    qint64 fitting = 0;
    for (int k = 0; k < part.textures.GetCount(); ++k) {
        refusals.push_back(Judge(catalog, part, k));
        fitting += refusals.back().reason == Refusal::None ? 1 : 0;
    }
    if (fitting == 0 && part.textures.GetCount() > 0) {
        Tell(QStringLiteral("%1 was refused: none of its %2 is the texture at its place in the "
                            "catalog; it was made from another catalog, or from those textures "
                            "before they all changed.")
                 .arg(path, QString::fromStdString(TextureCount(part.textures.GetCount()))));
        ++tally.partsRefused;
        return;
    }
    int told = 0;
    for (int k = 0; k < part.textures.GetCount(); ++k) {
        const Refusal& refusal = refusals[static_cast<std::size_t>(k)];
        if (refusal.reason == Refusal::None) {
            TakeThumbnails(part, part.textures.GetTexture(k),
                           catalog.GetTexture(part.places[static_cast<std::size_t>(k)]));
            ++tally.taken;
            continue;
        }
        ++(refusal.reason == Refusal::Gone ? tally.gone : tally.changed);
        if (told++ < kToldRefusals)
            Tell(QStringLiteral("%1: a thumbnail was refused: %2.").arg(path, refusal.text));
    }
    if (told > kToldRefusals)
        Tell(QStringLiteral("%1: %2 more thumbnails were refused.")
                 .arg(path, CountText(told - kToldRefusals)));
    ++tally.partsMerged;
    const int count = part.shard.Count();
    tally.shardCount = tally.shardCount == 0 || tally.shardCount == count ? count : -1;
    tally.shards.insert(part.shard.Number());
}

/// A note when the parts merged are all out of N shards but some shard is missing.
void NoteMissingShards(const MergeTally& tally) {
    if (tally.shardCount <= 0 || static_cast<int>(tally.shards.size()) == tally.shardCount)
        return;
    QStringList missing;
    for (int shard = 1; shard <= tally.shardCount && missing.size() <= 10; ++shard)
        if (!tally.shards.contains(shard))
            missing << QString::number(shard);
    if (missing.size() > 10)
        missing.back() = QStringLiteral("...");
    Tell(QStringLiteral("Note: no part of %1 %2 of %3 was given; its textures keep their "
                        "thumbnails.")
             .arg(missing.size() == 1 ? QStringLiteral("shard") : QStringLiteral("shards"),
                  missing.join(QStringLiteral(", ")), QString::number(tally.shardCount)));
}

QString SummaryLine(const MergeTally& tally) {
    QString text = QStringLiteral("%1 of %2 parts merged: the thumbnails of %3 taken")
                       .arg(tally.partsMerged)
                       .arg(tally.partsMerged + tally.partsRefused)
                       .arg(QString::fromStdString(TextureCount(tally.taken)));
    if (tally.changed + tally.gone > 0)
        text += QStringLiteral(", %1 refused (%2 changed since, %3 no longer in the catalog)")
                    .arg(CountText(tally.changed + tally.gone), CountText(tally.changed),
                         CountText(tally.gone));
    text += QLatin1Char('.');
    if (tally.taken == 0)
        text += QStringLiteral(" The catalog was left as it was.");
    return text;
}

} // namespace

int RunMerge(CommandLine& args) {
    const QStringList files =
        args.TakePositionalsWithMore({QStringLiteral("CATALOG"), QStringLiteral("PART.vlv")});
    Catalog catalog;
    const FileStamp loaded = LoadCatalogOrFail(files[0], catalog);
    if (const FileResult writable = CheckWritable(files[0]); !writable)
        throw CommandFailure(writable.message.toStdString());

    MergeTally tally;
    for (const QString& path : files.mid(1)) {
        PartFile part;
        QString error;
        if (!part.Read(path, error)) {
            Tell(error);
            ++tally.partsRefused;
            continue;
        }
        MergePart(catalog, path, part, tally);
    }
    NoteMissingShards(tally);
    // Saved once, and not over what another program saved since the catalog was read.
    if (tally.taken > 0) {
        WriteOptions options;
        options.unchangedSince = loaded;
        const FileResult saved = SaveCatalogFile(files[0], catalog, options);
        if (!saved)
            throw CommandFailure(saved.message.toStdString());
    }
    Tell(SummaryLine(tally));
    return tally.partsRefused + tally.changed + tally.gone > 0 ? ExitFailed : ExitOk;
}
