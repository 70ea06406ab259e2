#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>

class QMenu;
class QSettings;

/// The files opened last, newest first, catalogs and texture maps apart: four of each, listed
/// in the File menus (the catalogs, then the maps) that open them again, and kept in the
/// settings between sessions. A texture map never takes a catalog's place.
class RecentFiles : public QObject {
    Q_OBJECT
public:
    explicit RecentFiles(QObject* parent = nullptr);

    /// Tells texture maps from catalogs by their file names; without it every file counts as a
    /// catalog.
    void SetTextureMapTest(std::function<bool(const QString&)> isTextureMap);

    /// Puts `path` (made absolute) first in its list, dropping the oldest beyond the four kept.
    void Add(const QString& path);
    const QStringList& Catalogs() const { return m_catalogs; }
    const QStringList& TextureMaps() const { return m_maps; }
    /// Lists the files in `menu`, now and whenever they change.
    void AddMenu(QMenu* menu);
    /// Reads both lists; a texture map stored among the catalogs (as older versions kept them)
    /// goes to the maps.
    void Load(QSettings& store);
    void Save(QSettings& store) const;

signals:
    void openRequested(const QString& path);
    /// A list is different (a file added, or the lists loaded).
    void changed();

private:
    bool IsTextureMap(const QString& path) const;
    void UpdateMenus();

    std::function<bool(const QString&)> m_isTextureMap;
    QList<QMenu*> m_menus;
    QStringList m_catalogs;
    QStringList m_maps;
};
