#include "ui/catalog/thumbnailcache.h"

#include <algorithm>
#include <iterator>

namespace {

std::size_t BytesOf(const QPixmap& picture) {
    return static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height()) *
           static_cast<std::size_t>(std::max(picture.depth(), 8) / 8);
}

} // namespace

QPixmap ThumbnailCache::Find(TextureId id, QSize size) {
    const auto found = m_entries.find(id);
    if (found == m_entries.end() || found->second->picture.size() != size)
        return {};
    m_order.splice(m_order.begin(), m_order, found->second);
    return found->second->picture;
}

void ThumbnailCache::Insert(TextureId id, const QPixmap& picture) {
    Drop(id);
    const std::size_t bytes = BytesOf(picture);
    if (picture.isNull() || bytes > m_budget)
        return;
    while (!m_order.empty() && m_bytes + bytes > m_budget)
        Erase(std::prev(m_order.end()));
    m_order.push_front({id, picture, bytes});
    m_entries.emplace(id, m_order.begin());
    m_bytes += bytes;
}

void ThumbnailCache::Drop(TextureId id) {
    if (const auto found = m_entries.find(id); found != m_entries.end())
        Erase(found->second);
}

void ThumbnailCache::Clear() {
    m_order.clear();
    m_entries.clear();
    m_bytes = 0;
}

void ThumbnailCache::Erase(Order::iterator entry) {
    m_bytes -= entry->bytes;
    m_entries.erase(entry->id);
    m_order.erase(entry);
}
