#pragma once

#include "core/povtext/editing/textureoutline.h"

#include <QAbstractItemModel>
#include <vector>

/// The parts of a source texture's outline as a tree: the texture (or its layers), its
/// pigment, normal, finish and interior, their maps and each map's entries. Items are named
/// for people ("Pigment (Crackle)", "Entry 2 at 0.5") and keep their outline path in
/// PathRole, by which a selection survives the text being read again.
class OutlineModel : public QAbstractItemModel {
public:
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit OutlineModel(QObject* parent = nullptr);

    /// Shows `outline`, which the model keeps.
    void SetOutline(TextureOutline outline);
    const TextureOutline& Outline() const { return m_outline; }

    const OutlinePart* PartAt(const QModelIndex& index) const;
    std::size_t PartCount() const { return m_nodes.size(); }
    /// The item of the part at `path`, or an invalid index.
    QModelIndex IndexOf(const QString& path) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Node {
        const OutlinePart* part = nullptr;
        int parent = -1; ///< the node above; -1 at the top
        int row = 0;     ///< its row under the parent
        std::vector<int> children;
    };

    void AddNodes(const OutlinePart& part, int parent);
    QModelIndex IndexOfNode(int node) const;

    TextureOutline m_outline;
    std::vector<Node> m_nodes;
    std::vector<int> m_top;
};

/// "Pigment (Crackle)", "Colour map", "Entry 2 at 0.5", "Layer 2: Texture".
QString PartLabel(const OutlinePart& part, int layer);
