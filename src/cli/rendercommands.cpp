#include "cli/rendercommands.h"

#include "cli/catalogcommands.h"
#include "cli/partfile.h"
#include "cli/renderenvironment.h"
#include "cli/shard.h"
#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/texture.h"
#include "core/texmap/tiling.h"
#include "paint/bitmapimage.h"
#include "paint/catalogpainter.h"
#include "render/files/catalogfile.h"
#include "render/files/fileio.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/renderprogress.h"
#include "render/povray/texturemaprender.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

/// Fails the command with the render's message (a stop or a busy runner has none of its own).
void FailOn(const RenderResult& result) {
    if (result.Succeeded())
        return;
    if (result.status == RenderResult::Stopped)
        throw CommandFailure("The render was stopped; POV-Ray was ended.");
    throw CommandFailure(result.message.isEmpty() ? "The render failed."
                                                  : result.message.toStdString());
}

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

void WriteOrFail(const QString& path, const QByteArray& bytes) {
    const FileResult result = WriteFileAtomically(path, bytes);
    if (!result)
        throw CommandFailure(result.message.toStdString());
}

/// Whether two paths name one file (a link or another name for it included).
bool SameFile(const QString& a, const QString& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

/// `render --out` writes a part of its own: never over the catalog, nor over a file that is
/// not a part (a rerun replaces its old part).
void CheckPartTarget(const QString& catalog, const QString& out) {
    if (SameFile(catalog, out))
        throw CommandFailure(
            QStringLiteral("%1 is the catalog itself; --out takes a part file of its own.")
                .arg(out)
                .toStdString());
    if (QFileInfo::exists(out)) {
        PartFile old;
        QString error;
        if (!old.Read(out, error))
            throw CommandFailure(
                QStringLiteral("%1 exists and is not a part file, so it was not replaced.\n%2")
                    .arg(out, error)
                    .toStdString());
    }
    if (const FileResult writable = CheckWritable(out); !writable)
        throw CommandFailure(writable.message.toStdString());
}

/// Writes the part file of a batch: the textures whose every thumbnail was rendered.
void WritePart(Catalog& catalog, const ThumbnailBatch& batch, const Shard& shard, bool composite,
               bool layers, const QString& out) {
    PartFile part;
    part.shard = shard;
    part.composite = composite;
    part.layers = layers;
    for (std::size_t member = 0; member < batch.Members().size(); ++member) {
        const ThumbnailBatch::Member& texture = batch.Members()[member];
        bool rendered = batch.IsThrough(member);
        for (std::size_t task = texture.firstTask; task < texture.firstTask + texture.taskCount;
             ++task)
            rendered = rendered && batch.EndingOf(task) == ThumbnailBatch::Ending::Rendered;
        if (rendered)
            part.places.push_back(texture.index);
    }
    // The catalog is not saved, so the textures move into the part.
    for (std::unique_ptr<Texture>& texture : catalog.TakeTextures(part.places))
        part.textures.AddTexture(std::move(texture));
    const FileResult written = part.Write(out);
    if (!written)
        throw CommandFailure(written.message.toStdString());
    std::fprintf(stderr, "wrote %s, the thumbnails of %s (%s)\n", out.toLocal8Bit().constData(),
                 TextureCount(part.textures.GetCount()).c_str(),
                 shard.Text().toLocal8Bit().constData());
}

} // namespace

int RunRender(CommandLine& args) {
    RenderEnvironment environment(args);
    const bool composite = args.TakeFlag(QStringLiteral("--composite"));
    const bool layers = args.TakeFlag(QStringLiteral("--layers"));
    const bool both = args.TakeFlag(QStringLiteral("--both"));
    if (int(composite) + int(layers) + int(both) > 1)
        throw UsageError("--composite, --layers and --both exclude each other");
    const QString jobsText = args.TakeValue(QStringLiteral("--jobs"));
    const int jobs = jobsText.isEmpty()
                         ? environment.Settings().parallelRenders
                         : CommandLine::ToInt(QStringLiteral("--jobs"), jobsText, 1, 64);
    const QString shardText = args.TakeValue(QStringLiteral("--shard"));
    const QString out = args.TakeValue(QStringLiteral("--out"));
    if (!shardText.isEmpty() && out.isEmpty())
        throw UsageError("--shard needs --out PART.vlv: a shard's thumbnails go to a part file");
    const Shard shard =
        shardText.isEmpty() ? Shard() : Shard::Parse(QStringLiteral("--shard"), shardText);
    std::vector<int> indices = args.TakeIndices();
    const QStringList files = args.TakePositionals({QStringLiteral("CATALOG")});

    Catalog catalog;
    const FileStamp loaded = LoadCatalogOrFail(files[0], catalog);
    // Where the thumbnails are saved is checked before anything is rendered.
    if (!out.isEmpty())
        CheckPartTarget(files[0], out);
    else if (const FileResult writable = CheckWritable(files[0]); !writable)
        throw CommandFailure(writable.message.toStdString());
    // In catalog order, each once, those of the shard.
    std::vector<int> chosen = ResolveIndices(catalog, std::move(indices));
    std::ranges::sort(chosen);
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    const auto before = static_cast<qint64>(chosen.size());
    std::erase_if(chosen, [&](int index) { return !shard.Holds(index); });
    const qint64 skipped = before - static_cast<qint64>(chosen.size());
    ThumbnailBatch plan(catalog, chosen, !layers, !composite);
    CatalogTextures textures(catalog, plan);
    ThumbnailBatchRender batch(std::move(plan), textures);
    ConsoleProgress progress;
    progress.RunToEnd(batch, environment.Queue(jobs));
    const RenderResult result = batch.Result();
    const BatchSummary& summary = batch.Summary();
    // Thumbnails finished before a failure are kept, as in the catalog window; but a catalog
    // another program saved meanwhile is not overwritten with what was read before. A part is
    // written unless POV-Ray stopped before any thumbnail came, so merge finds no shard that
    // did not run.
    if (!out.isEmpty()) {
        if (!summary.stopped || textures.Taken() > 0)
            WritePart(catalog, batch.Batch(), shard, !layers, !composite, out);
    } else if (textures.Taken() > 0) {
        WriteOptions options;
        options.unchangedSince = loaded;
        const FileResult saved = SaveCatalogFile(files[0], catalog, options);
        if (!saved)
            throw CommandFailure(saved.message.toStdString());
    }
    // Each failure was told as it came; the last line sums the batch up as the window does.
    if (!summary.stopped || summary.stoppedBecause.isEmpty()) {
        QString text = SummaryText(summary);
        if (!shardText.isEmpty())
            text = QStringLiteral("Shard %1 of %2: %3 %4 skipped: the other shards'.")
                       .arg(QString::number(shard.Number()), QString::number(shard.Count()), text,
                            CountText(skipped));
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
    if (summary.stopped)
        FailOn(result);
    return summary.failed.isEmpty() ? ExitOk : ExitFailed;
}

int RunTextureMap(CommandLine& args) {
    RenderEnvironment environment(args);
    TextureMapRequest request;
    request.width =
        CommandLine::ToInt(QStringLiteral("--width"), args.TakeValue(QStringLiteral("--width")),
                           kMinimumTextureMapSide, kMaximumTextureMapSide);
    request.height =
        CommandLine::ToInt(QStringLiteral("--height"), args.TakeValue(QStringLiteral("--height")),
                           kMinimumTextureMapSide, kMaximumTextureMapSide);
    const QString tile = args.TakeValue(QStringLiteral("--tile"), QStringLiteral("none"));
    if (tile != QLatin1String("none") && tile != QLatin1String("edge-fade") &&
        tile != QLatin1String("mirror"))
        throw UsageError("--tile takes none, edge-fade or mirror");
    const QString brightness = args.TakeValue(QStringLiteral("--brightness"));
    const bool keepFinish = args.TakeFlag(QStringLiteral("--keep-finish"));
    if (keepFinish && !brightness.isEmpty())
        throw UsageError("--brightness and --keep-finish exclude each other");
    request.overrideFinish = !keepFinish;
    request.brightness = brightness.isEmpty() ? environment.Settings().textureMapBrightness
                                              : CommandLine::ToInt(QStringLiteral("--brightness"),
                                                                   brightness, 0, 100);
    if (args.TakeFlag(QStringLiteral("--antialias")))
        environment.Settings().antialiasing = true;
    std::vector<int> indices = args.TakeIndices();
    const QStringList files =
        args.TakePositionals({QStringLiteral("CATALOG"), QStringLiteral("OUT.bmp")});

    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    const int index = SingleIndex(catalog, std::move(indices));
    TextureMapRender render(catalog.GetTexture(index), request);
    ConsoleProgress progress;
    progress.RunToEnd(render, environment.Queue());
    FailOn(render.Result());
    std::vector<std::uint8_t> pixels = std::move(render.Pixels());

    int width = request.width;
    int height = request.height;
    if (tile == QLatin1String("edge-fade")) {
        pixels = EdgeFade(pixels, width, height);
    } else if (tile == QLatin1String("mirror")) {
        pixels = Mirror(pixels, width, height);
        width *= 2;
        height *= 2;
    }
    Bitmap map;
    if (!map.SetBits(width, height, pixels, false))
        throw CommandFailure("The map of " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels is too large to hold.");
    WriteOrFail(files[1], ToByteArray(map.ToBMP()));
    QString made = QStringLiteral("wrote %1, %2 x %3 pixels")
                       .arg(files[1], QString::number(width), QString::number(height));
    if (tile == QLatin1String("mirror"))
        made += QStringLiteral(" (mirrored from %1 x %2)")
                    .arg(QString::number(request.width), QString::number(request.height));
    std::fprintf(stderr, "%s\n", made.toLocal8Bit().constData());
    return ExitOk;
}

int RunThumbnail(CommandLine& args) {
    std::vector<int> indices = args.TakeIndices();
    const QStringList files =
        args.TakePositionals({QStringLiteral("CATALOG"), QStringLiteral("OUT")});
    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    const Bitmap& thumbnail =
        catalog.GetTexture(SingleIndex(catalog, std::move(indices))).Thumbnail();
    if (thumbnail.IsEmpty() || thumbnail.Width() <= 0 || thumbnail.Height() <= 0)
        throw CommandFailure("The texture has no thumbnail; render it first.");
    const QString suffix = QFileInfo(files[1]).suffix().toLower();
    if (suffix == QLatin1String("bmp")) {
        WriteOrFail(files[1], ToByteArray(thumbnail.ToBMP()));
    } else if (suffix == QLatin1String("png")) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!BitmapToImage(thumbnail).save(&buffer, "PNG") || png.isEmpty())
            throw CommandFailure("The thumbnail could not be turned into a PNG picture; " +
                                 files[1].toStdString() + " was not written.");
        WriteOrFail(files[1], png);
    } else {
        throw UsageError("the output file must end in .png or .bmp");
    }
    return ExitOk;
}

int RunShapes(CommandLine& args) {
    RenderEnvironment environment(args);
    args.TakePositionals({});
    const ShapeList& shapes = environment.Shapes();
    std::string text;
    for (std::size_t i = 0; i < shapes.size(); ++i)
        text += std::to_string(i) + '\t' + EscapedForLine(shapes[i]->GetName()) + '\t' +
                EscapedForLine(shapes[i]->GetDescription()) + '\n';
    std::fwrite(text.data(), 1, text.size(), stdout);
    return ExitOk;
}

int RunSheet(CommandLine& args) {
    const QString widthText = args.TakeValue(QStringLiteral("--width"), QStringLiteral("640"));
    const int width = CommandLine::ToInt(QStringLiteral("--width"), widthText, 40, 20000);
    const QStringList files =
        args.TakePositionals({QStringLiteral("CATALOG"), QStringLiteral("OUT.png")});
    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    const CatalogPainter painter(catalog);
    const int height = std::max(painter.Layout(width).ContentHeight(), 40);
    if (static_cast<long long>(width) * height > 400'000'000LL)
        throw CommandFailure("The sheet would be too large; give a wider --width.");
    QImage sheet(width, height, QImage::Format_RGB32);
    {
        QPainter canvas(&sheet);
        painter.Paint(canvas, sheet.rect(), width);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!sheet.save(&buffer, "PNG"))
        throw CommandFailure("The sheet could not be drawn.");
    WriteOrFail(files[1], png);
    return ExitOk;
}
