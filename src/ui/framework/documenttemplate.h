#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Document;
class DocumentView;

/// A kind of document: its names, its file type and how its documents and views are made.
/// New documents are titled from the base name with a running number ("Catalog1", "Catalog2").
class DocumentTemplate {
public:
    struct Strings {
        QString baseName;   ///< "Catalog", "Texture Map"
        QString filterName; ///< "Velvane (*.vlv)"
        QString extension;  ///< ".vlv"
        /// Further file types the kind reads and writes, beside its own: dialog filters
        /// ("PNG (*.png)") and the extensions they stand for (".png").
        QStringList otherFilters = {};
        QStringList otherExtensions = {};
    };
    using DocumentFactory = std::function<std::unique_ptr<Document>(DocumentTemplate&)>;
    using ViewFactory = std::function<DocumentView*(Document&)>;

    DocumentTemplate(Strings strings, DocumentFactory makeDocument, ViewFactory makeView);

    const Strings& Names() const { return m_strings; }
    /// The file-dialog filter: "Velvane (*.vlv)".
    QString Filter() const { return m_strings.filterName; }
    /// Every filter of the kind, its own first, joined for a file dialog.
    QString Filters() const;
    /// The extension a dialog filter of the kind stands for ("PNG (*.png)" gives ".png"); the
    /// kind's own for its own filter and any filter it does not have.
    QString ExtensionForFilter(const QString& filter) const;
    /// Whether a file name belongs to this kind, by its extension or one of its other
    /// extensions (case ignored).
    bool Matches(const QString& path) const;

    std::unique_ptr<Document> CreateDocument();
    DocumentView* CreateView(Document& document) { return m_makeView(document); }
    /// The next untitled name: base name and a number counting up from 1.
    QString NextUntitledTitle();

private:
    Strings m_strings;
    DocumentFactory m_makeDocument;
    ViewFactory m_makeView;
    int m_untitledCount = 0;
};
