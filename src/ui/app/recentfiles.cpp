#include "ui/app/recentfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

constexpr int kRecentFileCount = 4;
constexpr const char* kCatalogSection = "Recent File List";
constexpr const char* kMapSection = "Recent Texture Map List";

void PutFirst(QStringList& files, const QString& path) {
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFileCount)
        files.removeLast();
}

QStringList Read(QSettings& store, const char* section) {
    QStringList files;
    store.beginGroup(QLatin1String(section));
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString path = store.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty())
            files << path;
    }
    store.endGroup();
    return files;
}

void Write(QSettings& store, const char* section, const QStringList& files) {
    store.beginGroup(QLatin1String(section));
    for (int i = 1; i <= kRecentFileCount; ++i) {
        if (i <= files.size())
            store.setValue(QStringLiteral("File%1").arg(i), files[i - 1]);
        else
            store.remove(QStringLiteral("File%1").arg(i));
    }
    store.endGroup();
}

} // namespace

RecentFiles::RecentFiles(QObject* parent) : QObject(parent) {}

void RecentFiles::SetTextureMapTest(std::function<bool(const QString&)> isTextureMap) {
    m_isTextureMap = std::move(isTextureMap);
}

bool RecentFiles::IsTextureMap(const QString& path) const {
    return m_isTextureMap && m_isTextureMap(path);
}

void RecentFiles::Add(const QString& path) {
    if (path.isEmpty())
        return;
    const QString full = QFileInfo(path).absoluteFilePath();
    PutFirst(IsTextureMap(full) ? m_maps : m_catalogs, full);
    UpdateMenus();
    emit changed();
}

void RecentFiles::AddMenu(QMenu* menu) {
    m_menus << menu;
    UpdateMenus();
}

void RecentFiles::UpdateMenus() {
    for (QMenu* menu : m_menus) {
        menu->clear();
        menu->setEnabled(!m_catalogs.isEmpty() || !m_maps.isEmpty());
        int number = 0;
        for (const QStringList* files : {&m_catalogs, &m_maps}) {
            if (files == &m_maps && !m_catalogs.isEmpty() && !m_maps.isEmpty())
                menu->addSeparator();
            for (const QString& path : *files) {
                QAction* entry = menu->addAction(
                    QStringLiteral("&%1 %2").arg(++number).arg(QDir::toNativeSeparators(path)));
                connect(entry, &QAction::triggered, this,
                        [this, path] { emit openRequested(path); });
            }
        }
    }
}

void RecentFiles::Load(QSettings& store) {
    m_catalogs.clear();
    m_maps = Read(store, kMapSection);
    for (const QString& path : Read(store, kCatalogSection)) {
        if (!IsTextureMap(path))
            m_catalogs << path;
        else if (!m_maps.contains(path) && m_maps.size() < kRecentFileCount)
            m_maps << path;
    }
    UpdateMenus();
    emit changed();
}

void RecentFiles::Save(QSettings& store) const {
    Write(store, kCatalogSection, m_catalogs);
    Write(store, kMapSection, m_maps);
}
