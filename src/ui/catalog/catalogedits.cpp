#include "ui/catalog/catalogedits.h"

#include "core/catalog/catalog.h"
#include "ui/catalog/catalogdocument.h"

#include <QLocale>
#include <algorithm>
#include <iterator>
#include <utility>

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

// ---- kept textures -----------------------------------------------------------------------

KeptTextures::~KeptTextures() {
    m_document.LetGo(m_textures);
}

void KeptTextures::Hold(std::vector<std::unique_ptr<Texture>> textures) {
    m_document.Keep(textures);
    std::move(textures.begin(), textures.end(), std::back_inserter(m_textures));
}

void KeptTextures::Hold(std::unique_ptr<Texture> texture) {
    std::vector<std::unique_ptr<Texture>> one;
    one.push_back(std::move(texture));
    Hold(std::move(one));
}

bool KeptTextures::PutBack(const std::function<bool(std::vector<std::unique_ptr<Texture>>&)>& put) {
    m_document.LetGo(m_textures);
    if (put(m_textures)) {
        m_textures.clear();
        return true;
    }
    m_document.Keep(m_textures);
    return false;
}

std::vector<std::unique_ptr<Texture>> KeptTextures::Release() {
    m_document.LetGo(m_textures);
    return std::exchange(m_textures, {});
}

// ---- insert -------------------------------------------------------------------------------

InsertTexturesEdit::InsertTexturesEdit(CatalogDocument& document, const QString& text,
                                       std::vector<int> positions,
                                       std::vector<std::unique_ptr<Texture>> textures, bool select)
    : QUndoCommand(text), m_document(document), m_positions(std::move(positions)),
      m_textures(document), m_select(select) {
    for (const auto& texture : textures)
        if (texture)
            texture->TakeNewId();
    m_textures.Hold(std::move(textures));
}

void InsertTexturesEdit::redo() {
    CatalogModel& model = m_document.Model();
    if (m_select)
        model.DeselectAll();
    m_textures.PutBack([&](std::vector<std::unique_ptr<Texture>>& textures) {
        return model.InsertTextures(m_positions, std::move(textures), m_select);
    });
}

void InsertTexturesEdit::undo() {
    m_textures.Hold(m_document.Model().TakeTextures(m_positions));
}

// ---- remove -------------------------------------------------------------------------------

RemoveTexturesEdit::RemoveTexturesEdit(CatalogDocument& document, const QString& text,
                                       std::vector<int> indices)
    : QUndoCommand(text), m_document(document), m_indices(std::move(indices)),
      m_textures(document) {}

void RemoveTexturesEdit::redo() {
    CatalogModel& model = m_document.Model();
    m_textures.Hold(model.TakeTextures(m_indices));
    model.DeselectAll();
}

void RemoveTexturesEdit::undo() {
    CatalogModel& model = m_document.Model();
    model.DeselectAll();
    m_textures.PutBack([&](std::vector<std::unique_ptr<Texture>>& textures) {
        return model.InsertTextures(m_indices, std::move(textures), true);
    });
}

// ---- replace ------------------------------------------------------------------------------

ReplaceTextureEdit::ReplaceTextureEdit(CatalogDocument& document, const QString& text, int index,
                                       std::unique_ptr<Texture> texture)
    : QUndoCommand(text), m_document(document), m_index(index), m_texture(document) {
    m_texture.Hold(std::move(texture));
}

void ReplaceTextureEdit::Swap() {
    std::vector<std::unique_ptr<Texture>> held = m_texture.Release();
    m_texture.Hold(m_document.Model().ReplaceTexture(m_index, std::move(held.front())));
}
void ReplaceTextureEdit::redo() {
    Swap();
}
void ReplaceTextureEdit::undo() {
    Swap();
}

// ---- thumbnails ---------------------------------------------------------------------------

namespace {
/// The id of batch steps, under which the pictures pushed while one is the newest merge in.
constexpr int kBatchPicturesId = 0x7468;
} // namespace

ThumbnailsEdit::ThumbnailsEdit(CatalogDocument& document, QString verb,
                               std::vector<Picture> pictures, bool done)
    : m_document(document), m_verb(std::move(verb)), m_pictures(std::move(pictures)),
      m_skipRedo(done) {
    Rename();
}

ThumbnailsEdit::~ThumbnailsEdit() {
    if (m_gone)
        m_gone();
}

void ThumbnailsEdit::Rename() {
    const int count = m_textures >= 0 ? m_textures : static_cast<int>(m_pictures.size());
    setText(count == 0 ? m_verb + QStringLiteral(" Thumbnails")
                       : m_verb + QLatin1Char(' ') + CountOf(count, QStringLiteral("Thumbnail")));
}

void ThumbnailsEdit::Swap() {
    CatalogModel& model = m_document.Model();
    for (Picture& entry : m_pictures)
        if (const int index = model.RowOf(entry.texture); index >= 0)
            model.SwapThumbnail(index, entry.layer, entry.picture);
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
    if (m_undone)
        m_undone();
}

int ThumbnailsEdit::id() const {
    return m_merging ? kBatchPicturesId : -1;
}

bool ThumbnailsEdit::mergeWith(const QUndoCommand* other) {
    const auto* pictures = dynamic_cast<const ThumbnailsEdit*>(other);
    if (!m_merging || !pictures || pictures->m_into != this || !m_done)
        return false;
    if (pictures->m_pictures.empty()) {
        setObsolete(m_pictures.empty());
        return true;
    }
    // Pushed and done: what it holds are the former pictures.
    for (const Picture& entry : pictures->m_pictures)
        m_pictures.push_back({entry.texture, entry.layer, entry.picture});
    Rename();
    return true;
}

void ThumbnailsEdit::AddPicture(TextureId texture, int layer, Bitmap picture) {
    m_pictures.push_back({texture, layer, std::move(picture)});
    Rename();
    if (!m_done)
        return;
    CatalogModel& model = m_document.Model();
    if (const int index = model.RowOf(texture); index >= 0)
        model.SwapThumbnail(index, layer, m_pictures.back().picture);
}

void ThumbnailsEdit::SetHandlers(std::function<void()> undone, std::function<void()> gone) {
    m_undone = std::move(undone);
    m_gone = std::move(gone);
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
