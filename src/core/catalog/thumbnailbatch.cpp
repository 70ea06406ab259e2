#include "core/catalog/thumbnailbatch.h"

#include "core/catalog/catalog.h"
#include "core/model/layeredtexture.h"

#include <algorithm>

ThumbnailBatch::ThumbnailBatch(const Catalog& catalog, std::span<const int> indices, bool composite,
                               bool layers) {
    const int total = static_cast<int>(indices.size());
    for (std::size_t k = 0; k < indices.size(); ++k) {
        const Texture& texture = catalog.GetTexture(indices[k]);
        Member member{indices[k], texture.GetId(), texture.GetName(), m_tasks.size(), 0};
        const std::string number = std::to_string(k + 1);
        if (composite)
            m_tasks.push_back({k, -1, catalog.GetThumbnailWidth(), catalog.GetThumbnailHeight(),
                               "Rendering texture " + number + " of " + std::to_string(total)});
        if (texture.Kind() == TextureKind::Layered && layers) {
            const int count = static_cast<const LayeredTexture&>(texture).GetLayerCount();
            for (int m = 0; m < count; ++m)
                m_tasks.push_back({k, m, kLayerThumbnailSize, kLayerThumbnailSize,
                                   "Rendering thumbnail " + number + " of " +
                                       std::to_string(total) + " (Layer " + std::to_string(m + 1) +
                                       " of " + std::to_string(count) + ")"});
        }
        member.taskCount = m_tasks.size() - member.firstTask;
        m_open.push_back(member.taskCount);
        if (member.taskCount > 0)
            ++m_total;
        m_members.push_back(std::move(member));
    }
    m_endings.resize(m_tasks.size(), Ending::Open);
}

ThumbnailBatch::ThumbnailBatch(const Catalog& catalog, bool composite, bool layers)
    : ThumbnailBatch(catalog, catalog.GetSelectedIndices(), composite, layers) {}

bool ThumbnailBatch::End(std::size_t task, Ending ending) {
    if (ending == Ending::Open || m_endings.at(task) != Ending::Open)
        return false;
    m_endings[task] = ending;
    const std::size_t member = m_tasks[task].member;
    if (--m_open[member] > 0)
        return false;
    ++m_through;
    return true;
}

bool ThumbnailBatch::IsThrough(std::size_t member) const {
    return m_members.at(member).taskCount > 0 && m_open[member] == 0;
}

bool ThumbnailBatch::Has(std::size_t member, Ending ending) const {
    const Member& m = m_members[member];
    const auto first = m_endings.begin() + static_cast<std::ptrdiff_t>(m.firstTask);
    return std::find(first, first + static_cast<std::ptrdiff_t>(m.taskCount), ending) !=
           first + static_cast<std::ptrdiff_t>(m.taskCount);
}

std::size_t ThumbnailBatch::TexturesRendered() const {
    std::size_t rendered = 0;
    for (std::size_t k = 0; k < m_members.size(); ++k)
        if (IsThrough(k) && !Has(k, Ending::Failed) && !Has(k, Ending::Dropped))
            ++rendered;
    return rendered;
}

std::vector<std::size_t> ThumbnailBatch::FailedMembers() const {
    std::vector<std::size_t> failed;
    for (std::size_t k = 0; k < m_members.size(); ++k)
        if (Has(k, Ending::Failed))
            failed.push_back(k);
    return failed;
}

std::vector<std::size_t> ThumbnailBatch::DroppedMembers() const {
    std::vector<std::size_t> dropped;
    for (std::size_t k = 0; k < m_members.size(); ++k)
        if (!Has(k, Ending::Failed) && Has(k, Ending::Dropped))
            dropped.push_back(k);
    return dropped;
}

Texture* ThumbnailSubject(Texture& texture, int layer) {
    if (layer < 0)
        return &texture;
    if (texture.Kind() != TextureKind::Layered)
        return nullptr;
    return static_cast<LayeredTexture&>(texture).GetLayer(layer);
}

const Texture* ThumbnailSubject(const Texture& texture, int layer) {
    return ThumbnailSubject(const_cast<Texture&>(texture), layer);
}
