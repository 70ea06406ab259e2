#include "ui/catalog/catalogprinter.h"

#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogprintlayout.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

CatalogPrinter::CatalogPrinter(const CatalogDocument& document, const CatalogFilter& shown,
                               QWidget& window)
    : m_document(document), m_shown(shown), m_window(window) {}

void CatalogPrinter::Print(QPrinter& printer) const {
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const QRect page(QPoint(0, 0),
                     printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const std::vector<int> shown = m_shown.Indices();
    const CatalogPrintLayout layout(m_document.Contents(), m_shown.IsFiltered() ? &shown : nullptr,
                                    m_document.Title(), m_window.font(), page,
                                    printer.resolution());
    for (int number = 0; number < layout.PageCount(); ++number) {
        if (number > 0)
            printer.newPage();
        layout.PaintPage(painter, number);
    }
}

void CatalogPrinter::ChooseAndPrint() const {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, &m_window);
    if (dialog.exec() == QDialog::Accepted)
        Print(printer);
}

void CatalogPrinter::Preview() const {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, &m_window);
    preview.setWindowTitle(QStringLiteral("Print Preview - %1").arg(m_document.Title()));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this](QPrinter* target) { Print(*target); });
    preview.exec();
}
