#include "ui/app/recentfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

constexpr int kRecentFileCount = 4;
constexpr const char* kRecentSection = "Recent File List";

} // namespace

RecentFiles::RecentFiles(QObject* parent) : QObject(parent) {}

void RecentFiles::Add(const QString& path) {
    if (path.isEmpty())
        return;
    const QString full = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(full);
    m_files.prepend(full);
    while (m_files.size() > kRecentFileCount)
        m_files.removeLast();
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
        menu->setEnabled(!m_files.isEmpty());
        int number = 0;
        for (const QString& path : m_files) {
            QAction* entry = menu->addAction(
                QStringLiteral("&%1 %2").arg(++number).arg(QDir::toNativeSeparators(path)));
            connect(entry, &QAction::triggered, this, [this, path] { emit openRequested(path); });
        }
    }
}

void RecentFiles::Load(QSettings& store) {
    store.beginGroup(QLatin1String(kRecentSection));
    m_files.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString path = store.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty())
            m_files << path;
    }
    store.endGroup();
    UpdateMenus();
    emit changed();
}

void RecentFiles::Save(QSettings& store) const {
    store.beginGroup(QLatin1String(kRecentSection));
    for (int i = 1; i <= kRecentFileCount; ++i) {
        if (i <= m_files.size())
            store.setValue(QStringLiteral("File%1").arg(i), m_files[i - 1]);
        else
            store.remove(QStringLiteral("File%1").arg(i));
    }
    store.endGroup();
}
