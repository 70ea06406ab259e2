#include "ui/catalog/catalogmodel.h"

#include "core/catalog/catalog.h"
#include "core/catalog/exportsource.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/texture.h"
#include "paint/bitmapimage.h"

#include <QImage>
#include <QMimeData>
#include <algorithm>
#include <numeric>
#include <unordered_set>

namespace {

/// A change that touches more separate runs of rows than this is announced as a reset: every
/// run costs each view a pass over all its rows, a reset only one.
constexpr std::size_t kMaxSeparateRuns = 64;

bool StrictlyAscending(std::span<const int> indices) {
    return std::adjacent_find(indices.begin(), indices.end(),
                              [](int a, int b) { return b <= a; }) == indices.end();
}

} // namespace

const char* const CatalogModel::kTextureMimeType = "application/x-velvane-textures";

CatalogModel::CatalogModel(Catalog& catalog, QObject* parent)
    : QAbstractListModel(parent), m_catalog(catalog) {}

CatalogModel::~CatalogModel() = default;

int CatalogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_catalog.GetCount();
}

QVariant CatalogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.parent().isValid() || index.row() >= m_catalog.GetCount())
        return {};
    const Texture& texture = m_catalog.GetTexture(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(texture.GetName());
    case DescriptionRole:
    case Qt::AccessibleDescriptionRole:
        return QString::fromStdString(texture.GetDescription());
    case Qt::ToolTipRole: {
        // The whole name first: a long one is cut short in its cell.
        QStringList tip{QString::fromStdString(texture.GetName())};
        if (!texture.GetDescription().empty())
            tip << QString::fromStdString(texture.GetDescription());
        if (const auto problem = m_problems.find(texture.GetId()); problem != m_problems.end())
            tip << problem->second;
        return tip.join(QLatin1Char('\n'));
    }
    case KindRole:
        return static_cast<int>(texture.Kind());
    case ThumbnailRole:
        return BitmapToImage(texture.Thumbnail());
    case ThumbnailStateRole:
        return StateOf(index.row());
    case ThumbnailProblemRole: {
        const auto problem = m_problems.find(texture.GetId());
        return problem == m_problems.end() ? QString() : problem->second;
    }
    case SelectedRole:
        return m_catalog.IsSelected(index.row());
    case SearchTextRole:
        // Find never looks for a line break, so the two texts cannot run into each other.
        return QString::fromStdString(texture.GetName() + '\n' + texture.GetDescription());
    case TextureIdRole:
        return QVariant::fromValue<qulonglong>(texture.GetId());
    case ThumbnailSizeRole:
        return QSize(texture.GetThumbnailWidth(), texture.GetThumbnailHeight());
    default:
        return {};
    }
}

Qt::ItemFlags CatalogModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> CatalogModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names[DescriptionRole] = "description";
    names[KindRole] = "kind";
    names[ThumbnailRole] = "thumbnail";
    names[ThumbnailStateRole] = "thumbnailState";
    names[ThumbnailProblemRole] = "thumbnailProblem";
    names[SelectedRole] = "selected";
    return names;
}

QStringList CatalogModel::mimeTypes() const {
    return {QString::fromLatin1(kTextureMimeType), QStringLiteral("text/plain")};
}

QMimeData* CatalogModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid() && index.model() == this)
            rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty())
        return nullptr;
    auto* data = new QMimeData;
    const std::vector<std::uint8_t> bytes = m_catalog.SaveTextures(rows);
    data->setData(QString::fromLatin1(kTextureMimeType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    data->setText(QString::fromStdString(ExportSourceText(m_catalog, rows, SourceFlag::Declare)));
    return data;
}

Qt::DropActions CatalogModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions CatalogModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

// ---- changes to the textures --------------------------------------------------------------

std::vector<CatalogModel::Block> CatalogModel::Blocks(std::span<const int> indices) {
    std::vector<Block> blocks;
    for (int index : indices) {
        if (!blocks.empty() && blocks.back().last + 1 == index)
            blocks.back().last = index;
        else
            blocks.push_back({index, index});
    }
    return blocks;
}

std::vector<std::unique_ptr<Texture>> CatalogModel::TakeTextures(std::span<const int> indices) {
    if (indices.empty() || !StrictlyAscending(indices) || indices.front() < 0 ||
        indices.back() >= m_catalog.GetCount())
        return {};
    const std::vector<Block> blocks = Blocks(indices);
    std::vector<std::unique_ptr<Texture>> taken;
    if (blocks.size() > kMaxSeparateRuns) {
        beginResetModel();
        taken = m_catalog.TakeTextures(indices);
        endResetModel();
    } else {
        // From the last run to the first, so that the rows of the runs still to go stay put.
        std::vector<std::vector<std::unique_ptr<Texture>>> runs(blocks.size());
        for (std::size_t k = blocks.size(); k-- > 0;) {
            std::vector<int> rows(static_cast<std::size_t>(blocks[k].last - blocks[k].first + 1));
            std::iota(rows.begin(), rows.end(), blocks[k].first);
            beginRemoveRows(QModelIndex(), blocks[k].first, blocks[k].last);
            runs[k] = m_catalog.TakeTextures(rows);
            endRemoveRows();
        }
        taken.reserve(indices.size());
        for (auto& run : runs)
            std::move(run.begin(), run.end(), std::back_inserter(taken));
    }
    RowsChanged();
    for (const auto& texture : taken)
        m_problems.erase(texture->GetId());
    return taken;
}

bool CatalogModel::InsertTextures(std::span<const int> positions,
                                  std::vector<std::unique_ptr<Texture>>&& textures, bool select) {
    const std::size_t total = static_cast<std::size_t>(m_catalog.GetCount()) + textures.size();
    if (positions.size() != textures.size() || !StrictlyAscending(positions) ||
        std::any_of(textures.begin(), textures.end(), [](const auto& t) { return !t; }) ||
        (!positions.empty() &&
         (positions.front() < 0 || static_cast<std::size_t>(positions.back()) >= total)))
        return false;
    if (positions.empty())
        return true;
    const std::vector<Block> blocks = Blocks(positions);
    if (blocks.size() > kMaxSeparateRuns) {
        beginResetModel();
        m_catalog.InsertTextures(positions, std::move(textures), select);
        endResetModel();
    } else {
        // Run by run from the first: the positions of a run count every texture before it, and
        // those are all in place once the runs before it are.
        std::size_t next = 0;
        for (const Block& block : blocks) {
            const std::size_t length = static_cast<std::size_t>(block.last - block.first + 1);
            std::vector<std::unique_ptr<Texture>> run;
            run.reserve(length);
            for (std::size_t k = next; k < next + length; ++k)
                run.push_back(std::move(textures[k]));
            beginInsertRows(QModelIndex(), block.first, block.last);
            m_catalog.InsertTextures(positions.subspan(next, length), std::move(run), select);
            endInsertRows();
            next += length;
        }
    }
    textures.clear();
    RowsChanged();
    emit selectionFlagsChanged(positions.front(), positions.back());
    return true;
}

std::unique_ptr<Texture> CatalogModel::ReplaceTexture(int index, std::unique_ptr<Texture> texture) {
    std::unique_ptr<Texture> former = m_catalog.ReplaceTexture(index, std::move(texture));
    const TextureId id = m_catalog.GetTexture(index).GetId();
    // A failed render belongs to what was rendered, not to the texture put in its place.
    m_problems.erase(former->GetId());
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at);
    if (former->GetId() == id)
        emit textureReplaced(index);
    else
        RowsChanged();
    return former;
}

void CatalogModel::MoveTextures(std::span<const int> from, std::span<const int> to) {
    if (from.empty() || from.size() != to.size() || !StrictlyAscending(from) ||
        !StrictlyAscending(to) || from.front() < 0 || from.back() >= m_catalog.GetCount() ||
        to.front() < 0 || to.back() >= m_catalog.GetCount())
        return;
    const int count = static_cast<int>(from.size());
    const bool oneRun =
        from.back() - from.front() + 1 == count && to.back() - to.front() + 1 == count;
    auto move = [&] {
        auto textures = m_catalog.TakeTextures(from);
        m_catalog.DeselectAll();
        m_catalog.InsertTextures(to, std::move(textures), true);
        RowsChanged();
    };
    if (!oneRun) {
        MoveScattered(from, to);
    } else if (from.front() == to.front()) {
        move(); // the order stays; only the selection changes
    } else {
        // Qt counts the destination in the rows as they stand before the move.
        const int destination = to.front() > from.front() ? to.front() + count : to.front();
        beginMoveRows(QModelIndex(), from.front(), from.back(), QModelIndex(), destination);
        move();
        endMoveRows();
    }
    emit selectionFlagsChanged(0, m_catalog.GetCount() - 1);
}

void CatalogModel::MoveScattered(std::span<const int> from, std::span<const int> to) {
    // Where each row goes: the moved ones to their places, the others in order into the rest.
    const int total = m_catalog.GetCount();
    std::vector<int> destination(static_cast<std::size_t>(total), -1);
    std::vector<bool> taken(static_cast<std::size_t>(total), false);
    for (std::size_t k = 0; k < from.size(); ++k) {
        destination[static_cast<std::size_t>(from[k])] = to[k];
        taken[static_cast<std::size_t>(to[k])] = true;
    }
    int free = 0;
    for (int row = 0; row < total; ++row) {
        if (destination[static_cast<std::size_t>(row)] >= 0)
            continue;
        while (taken[static_cast<std::size_t>(free)])
            ++free;
        destination[static_cast<std::size_t>(row)] = free++;
    }
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    auto textures = m_catalog.TakeTextures(from);
    m_catalog.DeselectAll();
    m_catalog.InsertTextures(to, std::move(textures), true);
    RowsChanged();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after << this->index(destination[static_cast<std::size_t>(index.row())]);
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void CatalogModel::SwapThumbnail(int index, int layer, Bitmap& picture) {
    Texture* subject = ThumbnailSubject(m_catalog.GetTexture(index), layer);
    if (!subject)
        return;
    std::swap(subject->Thumbnail(), picture);
    // The grid shows only the composite thumbnail.
    if (layer < 0) {
        const QModelIndex at = this->index(index);
        emit dataChanged(at, at, {ThumbnailRole});
    }
}

void CatalogModel::TextureChanged(int index) {
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at);
    emit selectionFlagsChanged(index, index);
}

void CatalogModel::ResetContents(Catalog&& catalog) {
    beginResetModel();
    m_problems.clear();
    m_catalog = std::move(catalog);
    RowsChanged();
    endResetModel();
}

void CatalogModel::Refresh() {
    beginResetModel();
    RowsChanged();
    std::unordered_set<TextureId> present;
    for (int i = 0; i < m_catalog.GetCount(); ++i)
        present.insert(m_catalog.GetTexture(i).GetId());
    std::erase_if(m_problems,
                  [&present](const auto& entry) { return !present.count(entry.first); });
    endResetModel();
}

// ---- selection flags ----------------------------------------------------------------------

void CatalogModel::ChangeSelection(std::span<const int> on, std::span<const int> off) {
    int low = m_catalog.GetCount();
    int high = -1;
    for (const auto& [indices, selected] : {std::pair{on, true}, std::pair{off, false}}) {
        for (int index : indices) {
            if (selected)
                m_catalog.Select(index);
            else
                m_catalog.Deselect(index);
            low = std::min(low, index);
            high = std::max(high, index);
        }
    }
    if (low <= high)
        emit selectionFlagsChanged(low, high);
}

void CatalogModel::DeselectAll() {
    m_catalog.DeselectAll();
    emit selectionFlagsChanged(0, m_catalog.GetCount() - 1);
}

// ---- thumbnail states ---------------------------------------------------------------------

void CatalogModel::RenderingChanged(int index) {
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, {ThumbnailStateRole});
}

void CatalogModel::SetThumbnailProblem(int index, const QString& problem) {
    const TextureId id = m_catalog.GetTexture(index).GetId();
    if (problem.isEmpty() && m_problems.erase(id) == 0)
        return;
    if (!problem.isEmpty())
        m_problems[id] = problem;
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, {ThumbnailStateRole, ThumbnailProblemRole, Qt::ToolTipRole});
}

CatalogModel::ThumbnailState CatalogModel::StateOf(int index) const {
    const TextureId id = m_catalog.GetTexture(index).GetId();
    if (m_rendering && m_rendering(id))
        return Rendering;
    return m_problems.count(id) ? Failed : Shown;
}

int CatalogModel::RowOf(TextureId id) const {
    const int count = m_catalog.GetCount();
    auto fits = [&](int row) {
        return row >= 0 && row < count && m_catalog.GetTexture(row).GetId() == id;
    };
    if (!m_rows.empty() && static_cast<int>(m_rows.size()) == count) {
        const auto found = m_rows.find(id);
        if (found == m_rows.end())
            return -1;
        if (fits(found->second))
            return found->second;
    }
    // First asked since the rows changed (or changed behind the model's back): look afresh.
    m_rows.clear();
    m_rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        m_rows.emplace(m_catalog.GetTexture(i).GetId(), i);
    const auto found = m_rows.find(id);
    return found == m_rows.end() ? -1 : found->second;
}
