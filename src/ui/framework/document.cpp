#include "ui/framework/document.h"

#include "core/catalog/documentmessages.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"

#include <QFileInfo>

Document::Document(DocumentTemplate& kind, QObject* parent) : QObject(parent), m_kind(kind) {}

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

bool Document::SaveTo(const QString& path, QWidget* parent) {
    const FileResult result = Store(path);
    if (!result) {
        Prompts::Error(parent, QStringLiteral("Velvane"),
                       result.message.isEmpty() ? QString::fromUtf8(DocumentMessages::FailedToSave)
                                                : result.message);
        return false;
    }
    SetPath(path);
    SetModifiedFlag(false);
    return true;
}

bool Document::Save(QWidget* parent) {
    if (m_path.isEmpty())
        return SaveAs(parent);
    return SaveTo(m_path, parent);
}

bool Document::SaveAs(QWidget* parent) {
    // Propose the title, with the kind's extension, in the folder of the current file.
    QString proposal = m_path.isEmpty() ? m_title : m_path;
    if (!m_kind.Matches(proposal))
        proposal += m_kind.Names().extension.toLower();
    QString chosenFilter;
    QString path =
        Prompts::SaveFileName(parent, QStringLiteral("Save As"), proposal,
                              m_kind.Filters() + QStringLiteral(";;All Files (*)"), &chosenFilter);
    if (path.isEmpty())
        return false;
    // A name without an ending takes that of the file type chosen in the dialog.
    if (QFileInfo(path).suffix().isEmpty())
        path += m_kind.ExtensionForFilter(chosenFilter).toLower();
    return SaveTo(path, parent);
}

bool Document::SaveModified(QWidget* parent) {
    if (!m_modified)
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
