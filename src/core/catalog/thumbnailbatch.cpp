#include "core/catalog/thumbnailbatch.h"

#include "core/catalog/catalog.h"
#include "core/model/layeredtexture.h"

#include <algorithm>

ThumbnailBatch::ThumbnailBatch(Catalog& catalog, bool composite, bool layers)
    : m_catalog(catalog), m_textures(catalog.GetSelectedIndices()) {
    const int total = static_cast<int>(m_textures.size());
    for (std::size_t k = 0; k < m_textures.size(); ++k) {
        const int index = m_textures[k];
        const Texture& texture = catalog.GetTexture(index);
        const int number = static_cast<int>(k) + 1;
        if (composite)
            m_tasks.push_back(
                {index, -1, catalog.GetThumbnailWidth(), catalog.GetThumbnailHeight(),
                 "Rendering texture " + std::to_string(number) + " of " + std::to_string(total)});
        if (!texture.IsSimple() && layers) {
            const int count = static_cast<const LayeredTexture&>(texture).GetLayerCount();
            for (int m = 0; m < count; ++m)
                m_tasks.push_back({index, m, kLayerThumbnailSize, kLayerThumbnailSize,
                                   "Rendering thumbnail " + std::to_string(number) + " of " +
                                       std::to_string(total) + " (Layer " + std::to_string(m + 1) +
                                       " of " + std::to_string(count) + ")"});
        }
        m_firstTask.push_back(m_taskTexture.size());
        m_tasksOfTexture.push_back(m_tasks.size() - m_taskTexture.size());
        if (m_tasksOfTexture.back() == 0)
            ++m_withoutTasks;
        while (m_taskTexture.size() < m_tasks.size())
            m_taskTexture.push_back(k);
    }
    m_withTasksBefore.push_back(0);
    for (std::size_t count : m_tasksOfTexture)
        m_withTasksBefore.push_back(m_withTasksBefore.back() + (count > 0 ? 1 : 0));
    m_pictures.resize(m_tasks.size());
    m_arrived.resize(m_tasks.size(), false);
    m_failed.resize(m_tasks.size(), false);
}

Texture& ThumbnailBatch::Subject(std::size_t index) {
    const ThumbnailTask& task = m_tasks.at(index);
    Texture& texture = m_catalog.GetTexture(task.texture);
    if (task.layer < 0)
        return texture;
    return *static_cast<LayeredTexture&>(texture).GetLayer(task.layer);
}

void ThumbnailBatch::Complete(std::size_t index, Bitmap picture) {
    if (index < m_taken || m_arrived.at(index))
        return;
    m_pictures[index] = std::move(picture);
    m_arrived[index] = true;
    TakeReady();
}

void ThumbnailBatch::Fail(std::size_t index) {
    if (index < m_taken || m_arrived.at(index))
        return;
    m_arrived[index] = true;
    m_failed[index] = true;
    TakeReady();
}

void ThumbnailBatch::TakeReady() {
    while (m_taken < m_tasks.size() && m_arrived[m_taken]) {
        // Textures before this task's texture are done (some may have had no tasks at all).
        DeselectThrough(m_taskTexture[m_taken]);
        if (!m_failed[m_taken]) {
            Bitmap& thumbnail = Subject(m_taken).Thumbnail();
            m_replaced.push_back({m_taken, std::move(thumbnail)});
            thumbnail.Assign(m_pictures[m_taken]);
            m_pictures[m_taken] = Bitmap();
            if (m_changed)
                m_changed(m_tasks[m_taken].texture);
        }
        ++m_taken;
    }
    if (m_taken == m_tasks.size())
        DeselectThrough(m_textures.size());
    else
        DeselectThrough(m_taskTexture[m_taken]);
}

void ThumbnailBatch::DeselectThrough(std::size_t textureOrder) {
    // Every texture before `textureOrder` has all its tasks through; those with a failed task
    // stay selected.
    while (m_deselected < textureOrder && m_deselected < m_textures.size()) {
        const std::size_t order = m_deselected++;
        const auto first = m_failed.begin() + static_cast<std::ptrdiff_t>(m_firstTask[order]);
        if (std::find(first, first + static_cast<std::ptrdiff_t>(m_tasksOfTexture[order]), true) !=
            first + static_cast<std::ptrdiff_t>(m_tasksOfTexture[order]))
            continue;
        m_catalog.Deselect(m_textures[order]);
        if (m_changed)
            m_changed(m_textures[order]);
    }
}

std::size_t ThumbnailBatch::TexturesThrough() const {
    // The textures before the first task not yet taken, less those without tasks.
    const std::size_t through =
        m_taken == m_tasks.size() ? m_textures.size() : m_taskTexture[m_taken];
    return m_withTasksBefore[through];
}

std::size_t ThumbnailBatch::TexturesRendered() const {
    return TexturesThrough() - FailedTextures().size();
}

std::vector<int> ThumbnailBatch::FailedTextures() const {
    std::vector<int> failed;
    for (std::size_t t = 0; t < m_taken; ++t)
        if (m_failed[t] && (failed.empty() || failed.back() != m_tasks[t].texture))
            failed.push_back(m_tasks[t].texture);
    return failed;
}

void ThumbnailBatch::Finish() {
    TakeReady();
    for (std::size_t i = m_taken; i < m_pictures.size(); ++i)
        m_pictures[i] = Bitmap();
}
