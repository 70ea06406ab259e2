#pragma once

#include "core/povtext/editing/textureoutline.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

class AppServices;
class ColorMapBand;
class OutlineModel;
class PropertyRow;
class QFormLayout;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QTreeView;

/// Beside a source texture's text: its outline as a tree and, for the part chosen in it, its
/// properties as controls, with Add… for what the part may take and Remove. Every change is
/// made through the outline, so that only the tokens it concerns are rewritten; the inspector
/// says what the whole text became, and the one who shows the text takes it in.
class SourceInspector : public QWidget {
    Q_OBJECT
public:
    /// Texts up to this size are read on the window's thread as they change; larger ones off it.
    static constexpr qsizetype kReadHereBytes = 64 * 1024;

    explicit SourceInspector(AppServices& services, QWidget* parent = nullptr);
    ~SourceInspector() override;

    /// Follows the text as it now stands (typed, undone, or changed here).
    void ShowText(const QString& text);
    /// True while a text given has not been outlined yet.
    bool IsReading() const;

    QTreeView* Tree() const { return m_tree; }
    OutlineModel* Model() const { return m_model; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_removePart; }
    QMenu* AddMenu() const { return m_addMenu; }
    ColorMapBand* Band() const { return m_band; }
    /// The rows of the part chosen, in text order.
    const std::vector<PropertyRow*>& Rows() const { return m_rows; }
    PropertyRow* Row(const QString& path) const;
    /// Chooses the part at `path` in the tree.
    bool Choose(const QString& path);
    QString ChosenPath() const;

signals:
    /// A change made here: the whole text as it now is, and the path of the property whose
    /// value it set (empty for a part added or removed).
    void textChanged(const QString& text, const QString& property);
    /// The outline of the text given last is shown.
    void outlined();

private:
    void StartRead();
    void ReadDone();
    void ShowOutline(TextureOutline outline, const std::string& text);
    void ShowPart();
    void ShowBand(const OutlinePart* part);
    const OutlinePart* ChosenPart() const;
    void FillAddMenu();
    /// Applies a change made through the outline; `choose` is the part to choose after it.
    void Changed(const std::string& text, const QString& choose = {}, const QString& property = {});
    void Edit(const QString& path, const QString& povText);
    void RemoveItem(const QString& path);
    void PickColor(const QString& path);
    void MoveEntry(float position);
    void ChooseEntry(int index);

    AppServices& m_services;
    OutlineModel* m_model;
    QTreeView* m_tree;
    QLabel* m_partLabel;
    ColorMapBand* m_band;
    QWidget* m_rowsArea;
    QFormLayout* m_form;
    QScrollArea* m_scroll;
    QPushButton* m_add;
    QMenu* m_addMenu;
    QPushButton* m_removePart;
    std::vector<PropertyRow*> m_rows;

    std::string m_text; ///< the text the outline shown belongs to
    QString m_given;    ///< the text given last
    QString m_chosen;   ///< the path of the part chosen, kept across readings
    QTimer m_readTimer;
    /// The outline read off the window's thread, handed over without a copy.
    QFutureWatcher<std::shared_ptr<TextureOutline>> m_read;
    std::string m_reading; ///< the text the running read reads
    bool m_readRunning = false;
};
