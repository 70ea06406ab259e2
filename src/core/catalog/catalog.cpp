#include "core/catalog/catalog.h"

#include "core/archive/objectarray.h"
#include "core/model/sourcetexture.h"
#include "core/povtext/reading/strictsource.h"
#include "core/storedclasses.h"

#include <algorithm>

void Catalog::AddTexture(const Texture& texture) {
    AddTexture(texture.Clone());
}

void Catalog::AddTexture(std::unique_ptr<Texture> texture) {
    m_textures.push_back(std::move(texture));
    const std::size_t index = m_textures.size() - 1;
    if (m_selected.size() <= index)
        m_selected.resize(index + 1, 0);
    ClearFlagAt(index); // a flag left behind by an earlier removal must not select the newcomer
}

void Catalog::RemoveTexture(int index) {
    if (index < 0 || index >= GetCount())
        return;
    m_textures.erase(m_textures.begin() + index);
    const auto at = static_cast<std::size_t>(index);
    if (at < m_selected.size()) {
        ClearFlagAt(at);
        m_selected.erase(m_selected.begin() + index);
    }
}

int Catalog::RemoveSelectedTextures() {
    const std::vector<int> selected = GetSelectedIndices();
    TakeTextures(selected);
    DeselectAll();
    return static_cast<int>(selected.size());
}

std::unique_ptr<Texture> Catalog::ReplaceTexture(int index, std::unique_ptr<Texture> texture) {
    std::swap(m_textures.at(static_cast<std::size_t>(index)), texture);
    return texture;
}

std::vector<std::uint8_t> Catalog::FlagsForList() const {
    std::vector<std::uint8_t> flags(
        m_selected.begin(), m_selected.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                     m_selected.size(), m_textures.size())));
    flags.resize(m_textures.size(), 0);
    return flags;
}

void Catalog::SetFlags(std::vector<std::uint8_t> flags) {
    m_selected = std::move(flags);
    m_selectedCount = static_cast<int>(std::count(m_selected.begin(), m_selected.end(), 1));
}

std::vector<std::unique_ptr<Texture>> Catalog::TakeTextures(std::span<const int> indices) {
    std::vector<std::unique_ptr<Texture>> taken;
    for (std::size_t k = 0; k < indices.size(); ++k)
        if (indices[k] < 0 || indices[k] >= GetCount() || (k > 0 && indices[k] <= indices[k - 1]))
            return taken;
    if (indices.empty())
        return taken;
    const std::vector<std::uint8_t> flags = FlagsForList();
    TextureList kept;
    std::vector<std::uint8_t> keptFlags;
    kept.reserve(m_textures.size() - indices.size());
    keptFlags.reserve(kept.capacity());
    taken.reserve(indices.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < m_textures.size(); ++i) {
        if (next < indices.size() && static_cast<std::size_t>(indices[next]) == i) {
            taken.push_back(std::move(m_textures[i]));
            ++next;
        } else {
            kept.push_back(std::move(m_textures[i]));
            keptFlags.push_back(flags[i]);
        }
    }
    m_textures = std::move(kept);
    SetFlags(std::move(keptFlags));
    return taken;
}

bool Catalog::InsertTextures(std::span<const int> positions,
                             std::vector<std::unique_ptr<Texture>>&& textures, bool select) {
    if (positions.size() != textures.size())
        return false;
    const std::size_t total = m_textures.size() + textures.size();
    for (std::size_t k = 0; k < positions.size(); ++k)
        if (!textures[k] || positions[k] < 0 || static_cast<std::size_t>(positions[k]) >= total ||
            (k > 0 && positions[k] <= positions[k - 1]))
            return false;
    if (textures.empty())
        return true;
    const std::vector<std::uint8_t> flags = FlagsForList();
    TextureList merged;
    std::vector<std::uint8_t> mergedFlags;
    merged.reserve(total);
    mergedFlags.reserve(total);
    std::size_t next = 0;
    std::size_t old = 0;
    for (std::size_t i = 0; i < total; ++i) {
        if (next < positions.size() && static_cast<std::size_t>(positions[next]) == i) {
            merged.push_back(std::move(textures[next++]));
            mergedFlags.push_back(select ? 1 : 0);
        } else {
            merged.push_back(std::move(m_textures[old]));
            mergedFlags.push_back(flags[old++]);
        }
    }
    m_textures = std::move(merged);
    SetFlags(std::move(mergedFlags));
    return true;
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
}

Catalog::TextureList Catalog::ReadTextures(Archive& ar) {
    ar.ReadByte(); // the leading byte is not examined
    TextureList textures;
    ReadObjectArray(ar, textures);
    // A source text is read again strictly: one that breaks the rules is marked, not lost.
    for (auto& texture : textures)
        if (texture->Kind() == TextureKind::Source)
            CheckSourceTexture(static_cast<SourceTexture&>(*texture));
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

std::vector<std::uint8_t> Catalog::SaveTextures(std::span<const int> indices) const {
    Archive ar;
    ar.WriteByte(0x01);
    ar.WriteCount(indices.size());
    for (int index : indices)
        ar.WriteObject(&GetTexture(index));
    return ar.TakeBytes();
}

namespace {

std::optional<ArchiveFault> LoadFrom(Archive& ar, Catalog& catalog, std::size_t* unread) {
    try {
        catalog.Serialize(ar);
        if (unread)
            *unread = ar.Remaining();
        return std::nullopt;
    } catch (const ArchiveException& error) {
        return error.Fault();
    }
}

} // namespace

std::optional<ArchiveFault> Catalog::Load(std::span<const std::uint8_t> file, std::size_t* unread) {
    Archive ar(file, StoredClasses());
    return LoadFrom(ar, *this, unread);
}

std::optional<ArchiveFault> Catalog::Load(ArchiveSource& source, std::size_t* unread) {
    Archive ar(source, StoredClasses());
    return LoadFrom(ar, *this, unread);
}
