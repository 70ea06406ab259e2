#pragma once

#include "core/model/texture.h"

#include <QPixmap>
#include <QSize>
#include <cstddef>
#include <list>
#include <unordered_map>

/// Thumbnails ready to draw, one per texture at the size it was last drawn, so that the grid
/// converts and scales a picture once rather than on every paint. When the pixels held pass the
/// budget, the pictures drawn longest ago go first.
class ThumbnailCache {
public:
    explicit ThumbnailCache(std::size_t budgetBytes = 64u << 20) : m_budget(budgetBytes) {}

    /// The picture of texture `id` at `size`, null when there is none.
    QPixmap Find(TextureId id, QSize size);
    /// Keeps `picture` as texture `id`'s at its size, in place of any it had.
    void Insert(TextureId id, const QPixmap& picture);
    /// Forgets texture `id`'s picture (its thumbnail changed).
    void Drop(TextureId id);
    void Clear();

    std::size_t Count() const { return m_entries.size(); }
    std::size_t Bytes() const { return m_bytes; }

private:
    struct Entry {
        TextureId id;
        QPixmap picture;
        std::size_t bytes;
    };
    using Order = std::list<Entry>;

    void Erase(Order::iterator entry);

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    Order m_order; ///< most recently drawn first
    std::unordered_map<TextureId, Order::iterator> m_entries;
};
