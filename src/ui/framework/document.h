#pragma once

#include "render/files/fileio.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class DocumentTemplate;
class QUndoStack;
class QWidget;

/// A document of the desktop program: what is open in a window, with its file and modified
/// flag. Each kind (catalog, texture map) derives its own and reads and writes its file.
/// Saves are atomic: a failed save never damages the file on disk, and the document stays
/// modified. The file is watched while it is open: Save asks before it replaces a file that
/// another program changed since it was read or saved here, and a document without unsaved
/// changes offers to read such a file again.
class Document : public QObject {
    Q_OBJECT
public:
    Document(DocumentTemplate& kind, QObject* parent = nullptr);

    DocumentTemplate& Kind() const { return m_kind; }
    /// The file the document was read from or last saved to; empty for a new document.
    const QString& Path() const { return m_path; }
    /// The window title part: the file's name, or "Catalog1" and so on for a new document.
    const QString& Title() const { return m_title; }
    /// Whether the contents differ from the file (documents with undo steps keep this as the
    /// steps' clean state); modifiedChanged() tells of a change.
    virtual bool IsModified() const { return m_modified; }
    virtual void SetModifiedFlag(bool modified = true);

    /// Reads `path` into the document and makes it the document's file; on failure the
    /// document is left as it was and the result says why.
    FileResult Open(const QString& path);
    /// Reads the document's file again, in place of the contents (and their undo steps).
    FileResult Reload();

    /// Reads the file; on failure the document is left as it was and the result says why. On
    /// success the result's stamp records the file as it was read.
    virtual FileResult Load(const QString& path) = 0;
    /// The message box title for the last failed Load ("Velvane" unless the kind has its own).
    virtual QString LoadErrorTitle() const { return QStringLiteral("Velvane"); }
    /// Writes the file atomically; on failure the result says why, on success its stamp
    /// records the file as written.
    virtual FileResult Store(const QString& path) = 0;
    /// The steps Undo and Redo work through, or null for a kind that keeps none.
    virtual QUndoStack* UndoSteps() { return nullptr; }

    /// Saves to the document's file, asking for one when it has none. False when not saved.
    bool Save(QWidget* parent);
    /// Asks for a file name and saves there. False when cancelled or not saved.
    bool SaveAs(QWidget* parent);
    /// The name Save As proposes for a document that has no file yet, without extension: the
    /// title, unless the kind makes a file name of its own from it.
    virtual QString ProposedFileName() const { return m_title; }
    /// Before the document closes: when modified, asks "Save changes to %1?" and saves on Yes.
    /// False when the user cancels or the save fails (the document must stay open).
    bool SaveModified(QWidget* parent);

    /// Sets the file after a successful load or save.
    void SetPath(const QString& path);
    void SetUntitledTitle(const QString& title);

signals:
    void titleChanged();
    void modifiedChanged(bool modified);
    /// The document's contents changed; its views repaint.
    void contentsChanged();
    /// Another program changed the document's file (found once the file has settled).
    void changedOnDisk();

private:
    bool SaveTo(const QString& path, QWidget* parent);
    /// Takes `stamp` as the file's state as this document knows it, and watches the file.
    void Track(const FileStamp& stamp);
    /// Looks at the file after the watcher saw a change: the document's own saves are no
    /// change; another program's are offered for reloading when nothing is unsaved here.
    void CheckFileOnDisk();

    DocumentTemplate& m_kind;
    QString m_path;
    QString m_title;
    bool m_modified = false;
    FileStamp m_diskStamp;                  ///< the file as last read or saved here
    std::optional<FileStamp> m_notReloaded; ///< a change the user chose not to reload
    QFileSystemWatcher m_watcher;
    QTimer m_settle; ///< lets a file being written by another program settle first
    bool m_asking = false;
};
