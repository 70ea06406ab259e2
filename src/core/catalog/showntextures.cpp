#include "core/catalog/showntextures.h"

#include "core/catalog/catalog.h"

#include <algorithm>

void ShownTextures::ShowAll(int count) {
    m_filtered = false;
    m_count = std::max(0, count);
    m_indices.clear();
}

void ShownTextures::Filter(const Catalog& catalog,
                           const std::function<bool(const Texture&)>& keep) {
    m_filtered = true;
    m_count = catalog.GetCount();
    m_indices.clear();
    for (int i = 0; i < catalog.GetCount(); ++i)
        if (keep(catalog.GetTexture(i)))
            m_indices.push_back(i);
}

int ShownTextures::PositionOf(int index) const {
    if (!m_filtered)
        return index >= 0 && index < m_count ? index : -1;
    const auto found = std::lower_bound(m_indices.begin(), m_indices.end(), index);
    return found != m_indices.end() && *found == index ? static_cast<int>(found - m_indices.begin())
                                                       : -1;
}
