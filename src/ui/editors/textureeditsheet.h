#pragma once

#include "core/model/simpletexture.h"

#include <QDialog>
#include <memory>
#include <vector>

class AppServices;
class FieldMessageLine;
class PreviewLink;
class QDialogButtonBox;
class QTabWidget;
class TexturePage;

/// The texture edit sheet: tabs of pages that all edit one working copy of a simple texture,
/// with OK, Cancel and Help. The caller takes the working copy over only after OK; the pages'
/// "Update Thumbnail" check boxes change the setting at once, whatever the sheet's end.
class TextureEditSheet : public QDialog {
    Q_OBJECT
public:
    /// A sheet titled `title` ("New Simple Texture" or "Modify Simple Texture") on a copy of
    /// `texture`. It has no pages until AddPage is called (see MakeTextureEditSheet).
    TextureEditSheet(AppServices& services, const SimpleTexture& texture, const QString& title,
                     QWidget* parent = nullptr);
    ~TextureEditSheet() override;

    SimpleTexture& Working() { return m_working; }

    /// Adds a page as the next tab; the sheet owns it.
    void AddPage(TexturePage* page, const QString& caption);
    /// Installs the Preview window: `window` (a top-level window whose parent is the sheet, so
    /// it ends with it) is placed beside the sheet and shown with it; `link` reaches it from the
    /// pages and is told of every change.
    void SetPreview(QWidget* window, PreviewLink* link);
    PreviewLink* Preview() const { return m_previewLink; }
    QWidget* PreviewWindow() const { return m_previewWindow; }

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    TexturePage* Page(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }
    int CurrentIndex() const;
    /// Turns to a page as a click on its tab does: refused (false) while the current page has
    /// a field that fails its check.
    bool SetCurrentIndex(int index);
    QTabWidget* Tabs() const { return m_tabs; }
    QDialogButtonBox* Buttons() const { return m_buttons; }
    /// Where a field's message shows, under the field.
    FieldMessageLine* FieldMessage() const { return m_fieldMessage; }

    /// OK: the current page reads its fields (what is typed in the focused edit counts); a
    /// failing check keeps the sheet open.
    void accept() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnTabChanged(int index);
    void OnHelp();
    void ChooseDefaultButton();
    void ArrangeFocusChain();

    AppServices& m_services;
    SimpleTexture m_working;
    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
    FieldMessageLine* m_fieldMessage;
    std::vector<TexturePage*> m_pages;
    QWidget* m_previewWindow = nullptr;
    PreviewLink* m_previewLink = nullptr;
    int m_current = 0;
    bool m_switching = false;
    bool m_placed = false;
};

/// The sheet with its pages in the order General, Pigment, Normal, Finish, and its Preview
/// window: the one place that says what the sheet is made of.
std::unique_ptr<TextureEditSheet> MakeTextureEditSheet(AppServices& services,
                                                       const SimpleTexture& texture,
                                                       const QString& title, QWidget* parent);
