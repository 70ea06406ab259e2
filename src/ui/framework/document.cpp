#include "ui/framework/document.h"

#include "core/catalog/documentmessages.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"

#include <QApplication>
#include <QFileInfo>

namespace {

/// How long a file must be quiet after a change before it is looked at.
constexpr int kSettleMs = 300;
constexpr const char* kReload = "%1 was changed by another program.\nDo you want to reload it?";

} // namespace

Document::Document(DocumentTemplate& kind, QObject* parent) : QObject(parent), m_kind(kind) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &Document::CheckFileOnDisk);
    // The folder too: a program that saves by renaming a new file into place replaces the
    // file the watcher watched.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
}

void Document::SetModifiedFlag(bool modified) {
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void Document::SetPath(const QString& path) {
    m_path = path;
    m_title = QFileInfo(path).fileName();
    emit titleChanged();
}

void Document::SetUntitledTitle(const QString& title) {
    m_title = title;
    emit titleChanged();
}

FileResult Document::Open(const QString& path) {
    FileResult result = Load(path);
    if (result) {
        SetPath(path);
        Track(result.stamp);
    }
    return result;
}

FileResult Document::Reload() {
    return Open(m_path);
}

void Document::Track(const FileStamp& stamp) {
    m_diskStamp = stamp;
    m_notReloaded.reset();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_watcher.addPath(m_path);
    m_watcher.addPath(QFileInfo(m_path).absolutePath());
}

void Document::CheckFileOnDisk() {
    if (m_path.isEmpty() || m_asking)
        return;
    // A file replaced by renaming is no longer the one watched.
    if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
    // The folder stirs for every file in it: the file's own state tells at once whether it
    // can have changed, before its contents are read.
    if (!QFileInfo::exists(m_path) || LooksUnchangedSince(m_path, m_diskStamp) ||
        !ChangedSince(m_path, m_diskStamp))
        return;
    if (m_notReloaded && !ChangedSince(m_path, *m_notReloaded))
        return; // the user kept this window's contents over that change already
    emit changedOnDisk();
    if (IsModified())
        return; // Save asks before it replaces the other program's file
    m_asking = true;
    const auto answer =
        Prompts::Message(QApplication::activeWindow(), Prompts::Icon::Question,
                         QStringLiteral("Velvane"), QString::fromUtf8(kReload).arg(m_path),
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    m_asking = false;
    if (answer != QMessageBox::Yes) {
        m_notReloaded = StampOf(m_path);
        return;
    }
    if (const FileResult reloaded = Reload(); !reloaded)
        Prompts::Error(QApplication::activeWindow(), LoadErrorTitle(), reloaded.message);
}

bool Document::SaveTo(const QString& path, QWidget* parent) {
    // Another program (another window, velvane-cli, a sync tool) may have saved the file since
    // it was read or saved here: its work is not replaced without asking.
    if (!m_path.isEmpty() && QFileInfo(path) == QFileInfo(m_path) &&
        ChangedSince(m_path, m_diskStamp)) {
        const auto answer =
            Prompts::Message(parent, Prompts::Icon::Warning, QStringLiteral("Velvane"),
                             QString::fromUtf8(DocumentMessages::ChangedByAnotherProgram).arg(path),
                             QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Cancel,
                             {{QMessageBox::Save, QStringLiteral("Save Anyway")}});
        if (answer != QMessageBox::Save)
            return false;
    }
    const FileResult result = Store(path);
    if (!result) {
        Prompts::Error(parent, QStringLiteral("Velvane"),
                       result.message.isEmpty() ? QString::fromUtf8(DocumentMessages::FailedToSave)
                                                : result.message);
        return false;
    }
    SetPath(path);
    Track(result.stamp);
    SetModifiedFlag(false);
    return true;
}

bool Document::Save(QWidget* parent) {
    if (m_path.isEmpty())
        return SaveAs(parent);
    return SaveTo(m_path, parent);
}

bool Document::SaveAs(QWidget* parent) {
    // Propose the title, with the kind's extension, in the folder of the current file. The
    // dialog adds the extension to a name typed without one before it asks about replacing.
    QString proposal = m_path.isEmpty() ? ProposedFileName() : m_path;
    if (!m_kind.Matches(proposal))
        proposal += m_kind.Names().extension.toLower();
    const QString path = Prompts::SaveFileName(parent, QStringLiteral("Save As"), proposal,
                                               m_kind.Filters() + QStringLiteral(";;All Files (*)"),
                                               m_kind.Names().extension.mid(1).toLower());
    if (path.isEmpty())
        return false;
    return SaveTo(path, parent);
}

bool Document::SaveModified(QWidget* parent) {
    if (!IsModified())
        return true;
    const auto answer = Prompts::Message(
        parent, Prompts::Icon::Warning, QStringLiteral("Velvane"),
        QString::fromUtf8(DocumentMessages::SaveChanges).arg(m_title),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No)
        return true;
    return Save(parent);
}
