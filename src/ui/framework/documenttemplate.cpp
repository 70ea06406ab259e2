#include "ui/framework/documenttemplate.h"

#include "ui/framework/document.h"

DocumentTemplate::DocumentTemplate(int resourceId, Strings strings, DocumentFactory makeDocument, ViewFactory makeView)
    : m_resourceId(resourceId), m_strings(std::move(strings)), m_makeDocument(std::move(makeDocument)),
      m_makeView(std::move(makeView)) {}

bool DocumentTemplate::Matches(const QString& path) const {
    return path.endsWith(m_strings.extension, Qt::CaseInsensitive);
}

std::unique_ptr<Document> DocumentTemplate::CreateDocument() { return m_makeDocument(*this); }

QString DocumentTemplate::NextUntitledTitle() { return m_strings.baseName + QString::number(++m_untitledCount); }
