#include "render/povray/catalogtextures.h"

#include "core/catalog/catalog.h"
#include "render/povray/picturerender.h"

CatalogTextures::CatalogTextures(Catalog& catalog, const ThumbnailBatch& batch)
    : m_catalog(catalog) {
    for (const ThumbnailBatch::Member& member : batch.Members())
        m_indices.push_back(member.index);
}

Texture* CatalogTextures::Find(const ThumbnailTask& task) {
    return ThumbnailSubject(m_catalog.GetTexture(m_indices.at(task.member)), task.layer);
}

const Texture* CatalogTextures::Subject(const ThumbnailTask& task) {
    return Find(task);
}

ThumbnailBatchRender::Delivery CatalogTextures::Deliver(const ThumbnailTask& task,
                                                        RenderedPicture& render) {
    Texture* subject = Find(task);
    if (!subject)
        return ThumbnailBatchRender::Delivery::Gone;
    subject->Thumbnail() = std::move(render.Picture());
    ++m_taken;
    return ThumbnailBatchRender::Delivery::Taken;
}
