// Memory held by the catalog window's undo steps. A delete step keeps the removed textures
// themselves, moved out of the catalog, so deleting and undoing costs no second copy of the
// thumbnails: the heap stays at the size of the catalog however many deletes are kept.

#include "benchsupport.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogedits.h"
#include "ui/framework/documenttemplate.h"

#include <QCoreApplication>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <string_view>

namespace {

constexpr int kTextures = 2000;
constexpr int kDeletes = 20;

void Fill(Catalog& catalog) {
    for (int i = 0; i < kTextures; ++i) {
        SimpleTexture texture;
        texture.SetName("Texture " + std::to_string(i));
        std::vector<std::uint8_t> pixels(120 * 120 * 3, static_cast<std::uint8_t>(i));
        texture.Thumbnail().SetBits(120, 120, pixels, false);
        catalog.AddTexture(std::make_unique<SimpleTexture>(std::move(texture)));
    }
}

/// A digest of the catalog file's bytes (the bytes themselves would take as much room as the
/// thumbnails being measured).
std::size_t Fingerprint(const Catalog& catalog) {
    const std::vector<std::uint8_t> bytes = catalog.Save();
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    DocumentTemplate kind(
        {QStringLiteral("Catalog"), QString(), QStringLiteral(".VLV")},
        [](DocumentTemplate& type) { return std::make_unique<CatalogDocument>(type); },
        [](Document&) -> DocumentView* { return nullptr; });
    const double empty = HeapMegabytes();
    CatalogDocument document(kind);
    Catalog& catalog = document.Contents();
    Fill(catalog);
    const double filled = HeapMegabytes();
    const std::size_t before = Fingerprint(catalog);
    std::printf("catalog of %d textures with 120 x 120 thumbnails: %8.1f MB on the heap\n",
                kTextures, filled - empty);

    // Twenty deletes of a hundred textures each (every twentieth texture, so that undo has to
    // put them back between the others), until all 2,000 are held by the steps.
    for (int step = 0; step < kDeletes; ++step) {
        std::vector<int> indices;
        for (int i = 0; i < catalog.GetCount(); i += kDeletes - step)
            indices.push_back(i);
        indices.resize(std::min<std::size_t>(indices.size(), kTextures / kDeletes));
        document.Apply(new RemoveTexturesEdit(document, QStringLiteral("Delete"), indices));
    }
    const double deleted = HeapMegabytes();
    std::printf(
        "after %d undoable deletes (%d textures left, %d held by the steps): %8.1f MB (%+.1f MB)\n",
        kDeletes, catalog.GetCount(), kTextures - catalog.GetCount(), deleted - empty,
        deleted - filled);
    while (document.UndoStack().canUndo())
        document.UndoStack().undo();
    const double undone = HeapMegabytes();
    std::printf("after undoing all %d: %8.1f MB (%+.1f MB), catalog byte-identical: %s\n", kDeletes,
                undone - empty, undone - filled, Fingerprint(catalog) == before ? "yes" : "NO");

    // Twenty undoable deletes of all 2,000 textures: each deleted, undone and deleted again.
    for (int step = 0; step < kDeletes; ++step) {
        catalog.SelectAll();
        document.Apply(new RemoveTexturesEdit(document, QStringLiteral("Delete"),
                                              catalog.GetSelectedIndices()));
        document.UndoStack().undo();
    }
    document.UndoStack().redo();
    const double cycled = HeapMegabytes();
    std::printf(
        "after %d deletes of all %d textures, each undone (the last redone): %8.1f MB (%+.1f MB)\n",
        kDeletes, kTextures, cycled - empty, cycled - filled);
    std::printf(
        "a step that copied its textures would add %.1f MB for every 2,000 textures it kept\n",
        filled - empty);
    return 0;
}
