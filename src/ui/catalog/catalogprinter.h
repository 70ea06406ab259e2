#pragma once

class CatalogDocument;
class CatalogFilter;
class QPrinter;
class QWidget;

/// Prints the textures a catalog window shows, on as many pages as they need: through the
/// print dialog, or in a preview the user can print from.
class CatalogPrinter {
public:
    /// `window` parents the dialogs and lends its font to the names.
    CatalogPrinter(const CatalogDocument& document, const CatalogFilter& shown, QWidget& window);

    /// Prints on `printer` as it is set up.
    void Print(QPrinter& printer) const;
    /// Asks for the printer and its settings, then prints.
    void ChooseAndPrint() const;
    void Preview() const;

private:
    const CatalogDocument& m_document;
    const CatalogFilter& m_shown;
    QWidget& m_window;
};
