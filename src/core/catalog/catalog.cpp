#include "core/catalog/catalog.h"

#include "core/archive/objectarray.h"
#include "core/storedclasses.h"

void Catalog::AddTexture(const Texture& texture) { AddTexture(texture.Clone()); }

void Catalog::AddTexture(std::unique_ptr<Texture> texture) {
    m_textures.push_back(std::move(texture));
    const std::size_t index = m_textures.size() - 1;
    if (m_selected.size() <= index)
        m_selected.resize(index + 1, 0);
    ClearFlagAt(index); // a flag left behind by an earlier removal must not select the newcomer
    m_modified = true;
}

void Catalog::RemoveTexture(int index) {
    if (index < 0 || index >= GetCount())
        return;
    m_textures.erase(m_textures.begin() + index);
    m_modified = true;
}

int Catalog::RemoveSelectedTextures() {
    int removed = 0;
    const std::size_t formerCount = m_textures.size();
    for (std::size_t former = 0; former < formerCount && former < m_selected.size(); ++former) {
        if (!m_selected[former])
            continue;
        RemoveTexture(static_cast<int>(former) - removed);
        ++removed;
    }
    DeselectAll();
    return removed;
}

void Catalog::ReplaceTexture(int index, std::unique_ptr<Texture> texture) {
    m_textures.at(static_cast<std::size_t>(index)) = std::move(texture);
    m_modified = true;
}

void Catalog::DeleteContents() {
    while (!m_textures.empty())
        m_textures.pop_back();
}

void Catalog::ClearFlagAt(std::size_t index) {
    if (index < m_selected.size() && m_selected[index]) {
        m_selected[index] = 0;
        --m_selectedCount;
    }
}

void Catalog::Select(int index) {
    if (index < 0 || index >= GetCount())
        return;
    const auto at = static_cast<std::size_t>(index);
    if (m_selected.size() <= at)
        m_selected.resize(at + 1, 0);
    if (!m_selected[at]) {
        m_selected[at] = 1;
        ++m_selectedCount;
    }
}

void Catalog::Deselect(int index) {
    if (index >= 0 && index < GetCount())
        ClearFlagAt(static_cast<std::size_t>(index));
}

void Catalog::SelectAll() {
    m_selected.assign(m_textures.size(), 1);
    m_selectedCount = GetCount();
}

void Catalog::DeselectAll() {
    m_selected.assign(m_textures.size(), 0);
    m_selectedCount = 0;
}

bool Catalog::IsSelected(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_selected.size() &&
           m_selected[static_cast<std::size_t>(index)];
}

int Catalog::GetSingleSelection() const {
    if (m_selectedCount != 1)
        return -1;
    for (std::size_t i = 0; i < m_selected.size(); ++i)
        if (m_selected[i])
            return static_cast<int>(i);
    return -1;
}

std::vector<int> Catalog::GetSelectedIndices() const {
    std::vector<int> indices;
    for (int i = 0; i < GetCount(); ++i)
        if (IsSelected(i))
            indices.push_back(i);
    return indices;
}

void Catalog::Serialize(Archive& ar) {
    if (ar.IsStoring()) {
        ar.WriteByte(0x01);
        WriteObjectArray(ar, m_textures);
        return;
    }
    TextureList textures = ReadTextures(ar);
    DeleteContents();
    m_textures = std::move(textures);
    DeselectAll();
    m_modified = false;
}

Catalog::TextureList Catalog::ReadTextures(Archive& ar) {
    ar.ReadByte(); // the leading byte is not examined
    TextureList textures;
    ReadObjectArray(ar, textures);
    return textures;
}

std::vector<std::uint8_t> Catalog::Save() const {
    std::size_t expected = 3;
    for (const auto& texture : m_textures)
        expected += 400 + texture->Thumbnail().Bits().size();
    Archive ar(expected);
    const_cast<Catalog*>(this)->Serialize(ar);
    return ar.TakeBytes();
}

void Catalog::Save(ArchiveSink& sink) const {
    Archive ar(sink);
    const_cast<Catalog*>(this)->Serialize(ar);
    ar.Flush();
}

namespace {

std::optional<ArchiveError> LoadFrom(Archive& ar, Catalog& catalog, std::size_t* unread) {
    try {
        catalog.Serialize(ar);
        if (unread)
            *unread = ar.Remaining();
        return std::nullopt;
    } catch (const ArchiveException& error) {
        return error.Kind();
    }
}

} // namespace

std::optional<ArchiveError> Catalog::Load(std::span<const std::uint8_t> file, std::size_t* unread) {
    Archive ar(file, StoredClasses());
    return LoadFrom(ar, *this, unread);
}

std::optional<ArchiveError> Catalog::Load(ArchiveSource& source, std::size_t* unread) {
    Archive ar(source, StoredClasses());
    return LoadFrom(ar, *this, unread);
}
