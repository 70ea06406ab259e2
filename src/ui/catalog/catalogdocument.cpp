#include "ui/catalog/catalogdocument.h"

#include "render/files/catalogfile.h"
#include "ui/catalog/catalogedits.h"
#include "ui/catalog/catalogrenders.h"

namespace {
/// Steps kept for Undo; the oldest go first. Steps hold the textures they took out, so the
/// limit also bounds the memory they keep.
constexpr int kUndoLimit = 100;
} // namespace

CatalogDocument::CatalogDocument(DocumentTemplate& kind, QObject* parent)
    : Document(kind, parent), m_undo(this) {
    m_undo.setUndoLimit(kUndoLimit);
    connect(&m_undo, &QUndoStack::indexChanged, this, &CatalogDocument::contentsChanged);
    connect(&m_undo, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
}

bool CatalogDocument::IsModified() const {
    return !m_undo.isClean();
}

void CatalogDocument::SetModifiedFlag(bool modified) {
    // A save (or a load) is the state Undo leads back to; a change outside the steps leaves no
    // way back to the file.
    if (modified)
        m_undo.resetClean();
    else
        m_undo.setClean();
}

CatalogDocument::~CatalogDocument() {
    // The renders end first: they deliver into the steps and the catalog.
    m_renders.reset();
    m_undo.clear();
}

CatalogRenders& CatalogDocument::Renders(RenderQueue& queue) {
    if (!m_renders)
        m_renders = std::make_unique<CatalogRenders>(*this, queue);
    return *m_renders;
}

Texture* CatalogDocument::Find(TextureId id, const std::function<bool(const Texture&)>& fits,
                               int& index) {
    index = m_model.RowOf(id);
    if (index >= 0 && fits(m_catalog.GetTexture(index)))
        return &m_catalog.GetTexture(index);
    index = -1;
    const auto [first, last] = m_kept.equal_range(id);
    for (auto held = first; held != last; ++held)
        if (fits(*held->second))
            return held->second;
    return nullptr;
}

void CatalogDocument::Keep(std::span<const std::unique_ptr<Texture>> textures) {
    for (const auto& texture : textures)
        if (texture)
            m_kept.emplace(texture->GetId(), texture.get());
}

void CatalogDocument::LetGo(std::span<const std::unique_ptr<Texture>> textures) {
    for (const auto& texture : textures) {
        if (!texture)
            continue;
        const auto [first, last] = m_kept.equal_range(texture->GetId());
        for (auto held = first; held != last; ++held)
            if (held->second == texture.get()) {
                m_kept.erase(held);
                break;
            }
    }
}

void CatalogDocument::Apply(QUndoCommand* edit) {
    m_undo.push(edit);
}

void CatalogDocument::Changed() {
    m_model.Refresh();
    SetModifiedFlag(true);
    emit contentsChanged();
}

FileResult CatalogDocument::Load(const QString& path) {
    Catalog loaded;
    FileResult result = OpenCatalogFile(path, loaded);
    if (!result)
        return result;
    m_undo.clear(); // the steps point into the textures that go now
    m_model.ResetContents(std::move(loaded));
    SetModifiedFlag(false);
    emit contentsChanged();
    return result;
}

FileResult CatalogDocument::Store(const QString& path) {
    return SaveCatalogFile(path, m_catalog);
}
