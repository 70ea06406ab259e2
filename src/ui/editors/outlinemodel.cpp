#include "ui/editors/outlinemodel.h"

namespace {

QString WordLabel(std::string_view word) {
    const PovLanguage::PovKeyword* row = PovLanguage::Find(word);
    if (row && !row->label.empty())
        return QString::fromUtf8(row->label.data(), static_cast<int>(row->label.size()));
    QString text = QString::fromUtf8(word.data(), static_cast<int>(word.size()));
    text.replace(QLatin1Char('_'), QLatin1Char(' '));
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

QString PartLabel(const OutlinePart& part, int layer) {
    if (part.IsEntry()) {
        const OutlineProperty* at = part.Property("value");
        QString label = QStringLiteral("Entry %1").arg(QString::fromStdString(part.name));
        if (at)
            label += QStringLiteral(" at %1").arg(QString::fromStdString(at->text));
        return label;
    }
    QString label = WordLabel(part.keyword);
    if (const std::string_view pattern = part.Pattern(); !pattern.empty())
        label += QStringLiteral(" (%1)").arg(WordLabel(pattern));
    if (layer > 0)
        label = QStringLiteral("Layer %1: %2").arg(layer).arg(label);
    return label;
}

OutlineModel::OutlineModel(QObject* parent) : QAbstractItemModel(parent) {}

void OutlineModel::SetOutline(TextureOutline outline) {
    beginResetModel();
    m_outline = std::move(outline);
    m_nodes.clear();
    m_top.clear();
    for (const OutlinePart& part : m_outline.parts)
        AddNodes(part, -1);
    endResetModel();
}

void OutlineModel::AddNodes(const OutlinePart& part, int parent) {
    const int node = static_cast<int>(m_nodes.size());
    const auto siblings = [&]() -> std::vector<int>& {
        return parent < 0 ? m_top : m_nodes[static_cast<std::size_t>(parent)].children;
    };
    m_nodes.push_back({&part, parent, static_cast<int>(siblings().size()), {}});
    siblings().push_back(node);
    for (const OutlinePart& child : part.parts)
        AddNodes(child, node);
}

const OutlinePart* OutlineModel::PartAt(const QModelIndex& index) const {
    if (!index.isValid())
        return nullptr;
    return m_nodes[index.internalId()].part;
}

QModelIndex OutlineModel::IndexOfNode(int node) const {
    return createIndex(m_nodes[static_cast<std::size_t>(node)].row, 0, static_cast<quintptr>(node));
}

QModelIndex OutlineModel::IndexOf(const QString& path) const {
    const std::string wanted = path.toStdString();
    for (std::size_t i = 0; i < m_nodes.size(); ++i)
        if (m_nodes[i].part->path == wanted)
            return IndexOfNode(static_cast<int>(i));
    return {};
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex& parent) const {
    const std::vector<int>& rows = parent.isValid() ? m_nodes[parent.internalId()].children : m_top;
    if (column != 0 || row < 0 || row >= static_cast<int>(rows.size()))
        return {};
    return IndexOfNode(rows[static_cast<std::size_t>(row)]);
}

QModelIndex OutlineModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    const int above = m_nodes[child.internalId()].parent;
    return above < 0 ? QModelIndex() : IndexOfNode(above);
}

int OutlineModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(parent.isValid() ? m_nodes[parent.internalId()].children.size()
                                             : m_top.size());
}

int OutlineModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant OutlineModel::data(const QModelIndex& index, int role) const {
    const OutlinePart* part = PartAt(index);
    if (!part)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const Node& node = m_nodes[index.internalId()];
        const int layer = node.parent < 0 && m_top.size() > 1 ? node.row + 1 : 0;
        return PartLabel(*part, layer);
    }
    case PathRole:
        return QString::fromStdString(part->path);
    default:
        return {};
    }
}
