#include "ui/catalog/catalogedits.h"

#include "core/catalog/catalog.h"
#include "ui/catalog/catalogdocument.h"

#include <QLocale>
#include <algorithm>
#include <unordered_map>

QString CountOf(int count, const QString& noun) {
    return QStringLiteral("%1 %2%3").arg(count).arg(noun,
                                                    count == 1 ? QString() : QStringLiteral("s"));
}

QString PartOfTextures(qint64 part, qint64 total) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("%1 of %2 %3")
        .arg(english.toString(part), english.toString(total),
             total == 1 ? QStringLiteral("texture") : QStringLiteral("textures"));
}

// ---- insert -------------------------------------------------------------------------------

InsertTexturesEdit::InsertTexturesEdit(CatalogDocument& document, const QString& text,
                                       std::vector<int> positions,
                                       std::vector<std::unique_ptr<Texture>> textures, bool select)
    : QUndoCommand(text), m_document(document), m_positions(std::move(positions)),
      m_textures(std::move(textures)), m_select(select) {
    for (const auto& texture : m_textures)
        if (texture)
            texture->TakeNewId();
}

void InsertTexturesEdit::redo() {
    CatalogModel& model = m_document.Model();
    if (m_select)
        model.DeselectAll();
    if (model.InsertTextures(m_positions, std::move(m_textures), m_select))
        m_textures.clear();
}

void InsertTexturesEdit::undo() {
    m_textures = m_document.Model().TakeTextures(m_positions);
}

namespace {

Texture* FindHeld(const std::vector<std::unique_ptr<Texture>>& textures, const Texture* texture) {
    for (const auto& held : textures)
        if (held.get() == texture)
            return held.get();
    return nullptr;
}

} // namespace

Texture* InsertTexturesEdit::Holding(const Texture* texture) const {
    return FindHeld(m_textures, texture);
}

// ---- remove -------------------------------------------------------------------------------

RemoveTexturesEdit::RemoveTexturesEdit(CatalogDocument& document, const QString& text,
                                       std::vector<int> indices)
    : QUndoCommand(text), m_document(document), m_indices(std::move(indices)) {}

void RemoveTexturesEdit::redo() {
    CatalogModel& model = m_document.Model();
    m_textures = model.TakeTextures(m_indices);
    model.DeselectAll();
}

Texture* RemoveTexturesEdit::Holding(const Texture* texture) const {
    return FindHeld(m_textures, texture);
}

void RemoveTexturesEdit::undo() {
    CatalogModel& model = m_document.Model();
    model.DeselectAll();
    if (model.InsertTextures(m_indices, std::move(m_textures), true))
        m_textures.clear();
}

// ---- replace ------------------------------------------------------------------------------

ReplaceTextureEdit::ReplaceTextureEdit(CatalogDocument& document, const QString& text, int index,
                                       std::unique_ptr<Texture> texture)
    : QUndoCommand(text), m_document(document), m_index(index), m_texture(std::move(texture)) {}

void ReplaceTextureEdit::Swap() {
    m_texture = m_document.Model().ReplaceTexture(m_index, std::move(m_texture));
}
void ReplaceTextureEdit::redo() {
    Swap();
}
void ReplaceTextureEdit::undo() {
    Swap();
}

Texture* ReplaceTextureEdit::Holding(const Texture* texture) const {
    return m_texture.get() == texture ? m_texture.get() : nullptr;
}

// ---- thumbnails ---------------------------------------------------------------------------

ThumbnailsEdit::ThumbnailsEdit(CatalogDocument& document, const QString& text,
                               std::vector<Picture> pictures, bool done)
    : QUndoCommand(text), m_document(document), m_pictures(std::move(pictures)), m_skipRedo(done) {}

ThumbnailsEdit::~ThumbnailsEdit() {
    if (m_gone)
        m_gone();
}

void ThumbnailsEdit::Swap() {
    CatalogModel& model = m_document.Model();
    const Catalog& catalog = model.Contents();
    std::unordered_map<const Texture*, int> places;
    for (int i = 0; i < catalog.GetCount(); ++i)
        places[&catalog.GetTexture(i)] = i;
    for (Picture& entry : m_pictures)
        if (const auto place = places.find(entry.texture); place != places.end())
            model.SwapThumbnail(place->second, entry.layer, entry.picture);
}

void ThumbnailsEdit::redo() {
    m_done = true;
    if (m_skipRedo) {
        m_skipRedo = false;
        return;
    }
    Swap();
}

void ThumbnailsEdit::undo() {
    m_done = false;
    Swap();
}

void ThumbnailsEdit::AddPicture(const Texture* texture, int layer, Bitmap picture) {
    m_pictures.push_back({texture, layer, std::move(picture)});
    if (!m_done)
        return;
    CatalogModel& model = m_document.Model();
    if (const int index = model.IndexOf(texture); index >= 0)
        model.SwapThumbnail(index, layer, m_pictures.back().picture);
}

// ---- move ---------------------------------------------------------------------------------

MoveTexturesEdit::MoveTexturesEdit(CatalogDocument& document, const QString& text,
                                   std::vector<int> indices, int destination)
    : QUndoCommand(text), m_document(document), m_indices(std::move(indices)) {
    // Textures before the destination that move away leave their places to the others.
    const int before =
        static_cast<int>(std::count_if(m_indices.begin(), m_indices.end(),
                                       [destination](int index) { return index < destination; }));
    for (std::size_t k = 0; k < m_indices.size(); ++k)
        m_targets.push_back(destination - before + static_cast<int>(k));
}

bool MoveTexturesEdit::ChangesOrder() const {
    return m_targets != m_indices;
}

void MoveTexturesEdit::redo() {
    m_document.Model().MoveTextures(m_indices, m_targets);
}

void MoveTexturesEdit::undo() {
    m_document.Model().MoveTextures(m_targets, m_indices);
}
