#pragma once

#include "core/archive/archive.h"
#include "core/model/texture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

/// A catalog: the ordered textures of a .vlv file, the selection the catalog window shows and
/// the thumbnail size. The catalog owns its textures; whether it has unsaved changes is its
/// document's to know.
class Catalog {
public:
    static constexpr int kThumbnailWidth = 120;
    static constexpr int kThumbnailHeight = 120;

    int GetCount() const { return static_cast<int>(m_textures.size()); }
    /// The texture at `index` (0 to GetCount() - 1).
    Texture& GetTexture(int index) { return *m_textures.at(static_cast<std::size_t>(index)); }
    const Texture& GetTexture(int index) const {
        return *m_textures.at(static_cast<std::size_t>(index));
    }

    /// Appends a copy of `texture`; the caller keeps its own object.
    void AddTexture(const Texture& texture);
    /// Appends `texture` itself.
    void AddTexture(std::unique_ptr<Texture> texture);
    /// Destroys the texture at `index` when it exists; later textures move down by one, their
    /// selection with them.
    void RemoveTexture(int index);
    /// Removes every selected texture and clears the selection; returns how many went.
    int RemoveSelectedTextures();
    /// Puts `texture` in the place of the one at `index` and hands back the one that was there.
    std::unique_ptr<Texture> ReplaceTexture(int index, std::unique_ptr<Texture> texture);
    /// Takes the textures at `indices` (strictly ascending, each in the list) out of the catalog
    /// and hands them over in that order; the textures that stay keep their order and their
    /// selection. Empty, with nothing changed, when the indices are not valid.
    std::vector<std::unique_ptr<Texture>> TakeTextures(std::span<const int> indices);
    /// Puts `textures` into the catalog so that texture k stands at `positions[k]` afterwards
    /// (strictly ascending, counted in the grown list); the textures already there keep their
    /// order and selection around them, and the newcomers are selected when `select` is set.
    /// False, with nothing changed (the textures stay with the caller), when the positions do not
    /// fit or a texture is missing.
    bool InsertTextures(std::span<const int> positions,
                        std::vector<std::unique_ptr<Texture>>&& textures, bool select);
    /// Destroys every texture, last first. The selection flags are left as they are.
    void DeleteContents();

    /// Selects or deselects the texture at `index`; an index outside the list changes nothing.
    void Select(int index);
    void Deselect(int index);
    void SelectAll();
    void DeselectAll();
    bool IsSelected(int index) const;
    int GetSelectedCount() const { return m_selectedCount; }
    /// The index of the only selected texture, or -1 unless exactly one is selected.
    int GetSingleSelection() const;
    std::vector<int> GetSelectedIndices() const;

    int GetThumbnailWidth() const { return kThumbnailWidth; }
    int GetThumbnailHeight() const { return kThumbnailHeight; }

    /// Byte 0x01, then the textures as an object array.
    void Serialize(Archive& ar);
    /// The catalog file's bytes.
    std::vector<std::uint8_t> Save() const;
    /// Streams the catalog file's bytes to `sink`.
    void Save(ArchiveSink& sink) const;
    /// The file bytes of a catalog holding only the textures at `indices`, in that order.
    std::vector<std::uint8_t> SaveTextures(std::span<const int> indices) const;
    /// Reads a catalog file. On success the textures are replaced and nothing is selected; on
    /// failure the catalog is left exactly as it was. Bytes after the
    /// end of the catalog are not read; `unread`, when given, receives their number.
    std::optional<ArchiveFault> Load(std::span<const std::uint8_t> file,
                                     std::size_t* unread = nullptr);
    /// The same, reading the file's bytes from `source` a block at a time.
    std::optional<ArchiveFault> Load(ArchiveSource& source, std::size_t* unread = nullptr);

private:
    using TextureList = std::vector<std::unique_ptr<Texture>>;
    static TextureList ReadTextures(Archive& ar);
    void ClearFlagAt(std::size_t index);
    /// Selection flags exactly as long as the list, with the count recomputed.
    std::vector<std::uint8_t> FlagsForList() const;
    void SetFlags(std::vector<std::uint8_t> flags);

    TextureList m_textures;
    std::vector<std::uint8_t> m_selected; ///< one flag per index; grows with the list
    int m_selectedCount = 0;
};
