// Feeds arbitrary bytes to the catalog reader. Whatever loads must also save, write its
// source and load again from its own bytes to the same bytes.

#include "core/catalog/catalog.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Catalog catalog;
    if (catalog.Load(std::span(data, size)))
        return 0;
    std::vector<std::uint8_t> saved;
    try {
        saved = catalog.Save();
    } catch (const ArchiveException&) {
        return 0; // a value the stored form cannot hold
    }
    for (int i = 0; i < catalog.GetCount(); ++i)
        (void)catalog.GetTexture(i).GetSource(SourceFlag::Declare);
    Catalog again;
    if (again.Load(saved) || again.Save() != saved)
        std::abort();
    return 0;
}
