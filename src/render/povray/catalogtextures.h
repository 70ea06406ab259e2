#pragma once

#include "render/povray/thumbnailbatchrender.h"

#include <vector>

class Catalog;

/// The textures of a batch in a catalog that nothing else changes while the batch runs (the
/// command-line tool's, a benchmark's): each picture goes straight into its texture or layer.
class CatalogTextures : public ThumbnailBatchRender::Textures {
public:
    CatalogTextures(Catalog& catalog, const ThumbnailBatch& batch);

    const Texture* Subject(const ThumbnailTask& task) override;
    ThumbnailBatchRender::Delivery Deliver(const ThumbnailTask& task,
                                           RenderedPicture& render) override;
    /// Pictures taken so far.
    int Taken() const { return m_taken; }

private:
    Texture* Find(const ThumbnailTask& task);

    Catalog& m_catalog;
    std::vector<int> m_indices; ///< the catalog index of each of the batch's textures
    int m_taken = 0;
};
