#pragma once

#include <QSortFilterProxyModel>
#include <vector>

/// The textures a catalog window shows: all of them, or those whose name or description holds
/// the Find text (case ignored), in catalog order.
class CatalogFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit CatalogFilter(QObject* parent = nullptr);

    const QString& Text() const { return m_text; }
    /// Whether Find holds some textures back (a text is set).
    bool IsFiltered() const { return !m_text.isEmpty(); }
    /// Shows the textures that hold `text`; an empty text shows them all. The rows are worked
    /// out afresh in one pass, whatever the catalog's size.
    void SetText(const QString& text);
    /// Whether the texture at catalog index `index` holds the text.
    bool Accepts(int index) const;
    /// The catalog indices of the textures shown, in order.
    std::vector<int> Indices() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_text;
};
