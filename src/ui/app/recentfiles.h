#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class QMenu;
class QSettings;

/// The files opened last, newest first: numbered entries in the File menus that open them
/// again, kept in the settings between sessions.
class RecentFiles : public QObject {
    Q_OBJECT
public:
    explicit RecentFiles(QObject* parent = nullptr);

    /// Puts `path` (made absolute) first, dropping the oldest beyond the four kept.
    void Add(const QString& path);
    const QStringList& Files() const { return m_files; }
    /// Lists the files in `menu`, now and whenever they change.
    void AddMenu(QMenu* menu);
    void Load(QSettings& store);
    void Save(QSettings& store) const;

signals:
    void openRequested(const QString& path);
    /// The list is different (a file added, or the list loaded).
    void changed();

private:
    void UpdateMenus();

    QList<QMenu*> m_menus;
    QStringList m_files;
};
