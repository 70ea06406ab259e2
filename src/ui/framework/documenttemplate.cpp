#include "ui/framework/documenttemplate.h"

#include "ui/framework/document.h"

DocumentTemplate::DocumentTemplate(Strings strings, DocumentFactory makeDocument,
                                   ViewFactory makeView)
    : m_strings(std::move(strings)), m_makeDocument(std::move(makeDocument)),
      m_makeView(std::move(makeView)) {}

QString DocumentTemplate::Filters() const {
    return (QStringList{m_strings.filterName} + m_strings.otherFilters).join(QStringLiteral(";;"));
}

QString DocumentTemplate::ExtensionForFilter(const QString& filter) const {
    const qsizetype at = m_strings.otherFilters.indexOf(filter);
    if (at >= 0 && at < m_strings.otherExtensions.size())
        return m_strings.otherExtensions[at];
    return m_strings.extension;
}

bool DocumentTemplate::Matches(const QString& path) const {
    if (path.endsWith(m_strings.extension, Qt::CaseInsensitive))
        return true;
    for (const QString& extension : m_strings.otherExtensions)
        if (path.endsWith(extension, Qt::CaseInsensitive))
            return true;
    return false;
}

std::unique_ptr<Document> DocumentTemplate::CreateDocument() {
    return m_makeDocument(*this);
}

QString DocumentTemplate::NextUntitledTitle() {
    return m_strings.baseName + QString::number(++m_untitledCount);
}
