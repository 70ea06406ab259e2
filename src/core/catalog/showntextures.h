#pragma once

#include <functional>
#include <vector>

class Catalog;
class Texture;

/// The textures a catalog window shows: all of them, or those a filter lets through, in catalog
/// order. Maps between positions in the grid and indices in the catalog.
class ShownTextures {
public:
    /// Shows every texture of a catalog of `count`.
    void ShowAll(int count);
    /// Shows the textures of `catalog` that `keep` lets through.
    void Filter(const Catalog& catalog, const std::function<bool(const Texture&)>& keep);

    bool IsFiltered() const { return m_filtered; }
    /// How many textures the grid shows.
    int Count() const { return m_filtered ? static_cast<int>(m_indices.size()) : m_count; }
    /// The catalog index of the texture at grid position `position` (0 to Count() - 1).
    int IndexAt(int position) const {
        return m_filtered ? m_indices[static_cast<std::size_t>(position)] : position;
    }
    /// The grid position of catalog index `index`, or -1 when it is not shown.
    int PositionOf(int index) const;
    /// The shown indices in order, or null when every texture is shown.
    const std::vector<int>* Indices() const { return m_filtered ? &m_indices : nullptr; }

private:
    bool m_filtered = false;
    int m_count = 0;
    std::vector<int> m_indices;
};
