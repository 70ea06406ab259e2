#include "ui/editors/textureeditsheet.h"

#include "ui/dialogs/numberfield.h"
#include "ui/editors/finishpage.h"
#include "ui/editors/fittingscrollarea.h"
#include "ui/editors/generalpage.h"
#include "ui/editors/normalpage.h"
#include "ui/editors/pigmentpage.h"
#include "ui/editors/previewlink.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/sidebyside.h"
#include "ui/editors/texturepage.h"
#include "ui/framework/appservices.h"
#include "ui/framework/command.h"
#include "ui/framework/helpcontext.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

/// The controls of a page that Tab stops at, in the order Tab visits them.
std::vector<QWidget*> FocusableControls(QWidget* page) {
    std::vector<QWidget*> controls;
    for (QWidget* next = page->nextInFocusChain(); next != page && page->isAncestorOf(next);
         next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus)
            controls.push_back(next);
    return controls;
}

} // namespace

TextureEditSheet::TextureEditSheet(AppServices& services, const SimpleTexture& texture,
                                   const QString& title, QWidget* parent)
    : QDialog(parent), m_services(services), m_working(texture) {
    setWindowTitle(title);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pages"));
    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &TextureEditSheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &TextureEditSheet::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, &TextureEditSheet::OnHelp);
    connect(m_tabs, &QTabWidget::currentChanged, this, &TextureEditSheet::OnTabChanged);
    m_tabs->tabBar()->installEventFilter(this);
    // On a screen too small for the pages they scroll; OK and Cancel stay in sight below them.
    // Fields tell what is wrong with their text under themselves, over the pages.
    m_fieldMessage = new FieldMessageLine(this);
    auto* layout = new QVBoxLayout(this);
    auto* pages = new FittingScrollArea(
        [this, layout] {
            const QMargins margins = layout->contentsMargins();
            const int below = layout->spacing() + m_buttons->sizeHint().height();
            return QSize(margins.left() + margins.right(),
                         margins.top() + margins.bottom() + below);
        },
        this);
    pages->setWidget(m_tabs);
    layout->addWidget(pages, 1);
    layout->addWidget(m_buttons);

    // The pages from the keyboard, wherever the focus is in the sheet; each way round the tabs.
    const auto turn = [this](const QList<QKeySequence>& keys, int step) {
        for (const QKeySequence& key : keys)
            connect(new QShortcut(key, this), &QShortcut::activated, this, [this, step] {
                if (PageCount() > 0)
                    SetCurrentIndex((CurrentIndex() + step + PageCount()) % PageCount());
            });
    };
    turn(KeysOf(QKeySequence::NextChild,
                {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}),
         1);
    turn(KeysOf(QKeySequence::PreviousChild, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                              QKeySequence(Qt::CTRL | Qt::Key_PageUp)}),
         -1);
}

TextureEditSheet::~TextureEditSheet() = default;

void TextureEditSheet::AddPage(TexturePage* page, const QString& caption) {
    m_pages.push_back(page);
    page->SetPreview(m_previewLink);
    connect(page, &TexturePage::textureChanged, this, [this] {
        if (m_previewLink)
            m_previewLink->TextureChanged();
    });
    const QSignalBlocker quiet(m_tabs);
    m_tabs->addTab(page, caption);
    m_current = m_tabs->currentIndex();
}

void TextureEditSheet::SetPreview(QWidget* window, PreviewLink* link) {
    m_previewWindow = window;
    m_previewLink = link;
    if (window) // beside the sheet, never over its buttons
        SideBySideKeeper::For(window);
    for (TexturePage* page : m_pages)
        page->SetPreview(link);
}

int TextureEditSheet::CurrentIndex() const {
    return m_tabs->currentIndex();
}

bool TextureEditSheet::SetCurrentIndex(int index) {
    m_tabs->setCurrentIndex(index);
    return m_tabs->currentIndex() == index;
}

void TextureEditSheet::OnTabChanged(int index) {
    if (m_switching || index == m_current || m_current < 0 || m_current >= PageCount())
        return;
    // The page being left must read cleanly first; it is put back on screen for that, so its
    // message and the focus land on the failing edit.
    m_switching = true;
    m_tabs->setCurrentIndex(m_current);
    const bool ok = m_pages[static_cast<std::size_t>(m_current)]->ReadFields();
    if (ok) {
        m_tabs->setCurrentIndex(index);
        m_current = index;
        m_pages[static_cast<std::size_t>(index)]->ShowFields();
        ChooseDefaultButton();
    }
    m_switching = false;
}

void TextureEditSheet::ChooseDefaultButton() {
    // Return presses the page's own default button where it has one (View Source on General),
    // OK elsewhere.
    QPushButton* pageDefault = nullptr;
    for (std::size_t index = 0; index < m_pages.size(); ++index)
        if (QPushButton* button = m_pages[index]->DefaultButton()) {
            const bool current = static_cast<int>(index) == m_current;
            button->setDefault(current);
            if (current)
                pageDefault = button;
        }
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(pageDefault == nullptr);
}

void TextureEditSheet::ArrangeFocusChain() {
    // The pages join the sheet after its buttons; the buttons go to the end, so that Tab runs
    // from the tab bar through the page to OK, Cancel and Help.
    if (m_pages.empty())
        return;
    QWidget* previous = nullptr;
    for (QWidget* control : FocusableControls(m_pages.back()))
        previous = control;
    if (!previous)
        return;
    for (QAbstractButton* button : m_buttons->buttons()) {
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
}

bool TextureEditSheet::eventFilter(QObject* watched, QEvent* event) {
    // Tab on the tab bar goes into the page shown (the tab widget would pass over its pages).
    if (watched == m_tabs->tabBar() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier && m_current >= 0 &&
        m_current < PageCount()) {
        for (QWidget* control : FocusableControls(m_pages[static_cast<std::size_t>(m_current)]))
            if (control->isVisible() && control->isEnabled()) {
                control->setFocus(Qt::TabFocusReason);
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

void TextureEditSheet::OnHelp() {
    // The pages' help follows the first one's, in the pages' order.
    m_services.ShowHelp(HelpContext::GeneralPage + m_tabs->currentIndex());
}

void TextureEditSheet::accept() {
    if (m_current >= 0 && m_current < PageCount() &&
        !m_pages[static_cast<std::size_t>(m_current)]->ReadFields())
        return;
    QDialog::accept();
}

void TextureEditSheet::done(int result) {
    if (m_previewWindow)
        m_previewWindow->hide();
    QDialog::done(result);
}

void TextureEditSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        if (m_current >= 0 && m_current < PageCount())
            m_pages[static_cast<std::size_t>(m_current)]->ShowFields();
        ArrangeFocusChain();
        ChooseDefaultButton();
        FitOnScreen(this);
    }
    // Shown once the sheet has taken its final size, which settles after the first show; the
    // Preview places itself beside the sheet.
    if (m_previewWindow)
        QTimer::singleShot(0, this, [this] {
            if (m_previewWindow && isVisible())
                m_previewWindow->show();
        });
}

std::unique_ptr<TextureEditSheet> MakeTextureEditSheet(AppServices& services,
                                                       const SimpleTexture& texture,
                                                       const QString& title, QWidget* parent) {
    auto sheet = std::make_unique<TextureEditSheet>(services, texture, title, parent);
    SimpleTexture& working = sheet->Working();
    // Access keys that no check box or button of a page uses (but Pigment's P, shared with
    // Procedural and Presets), so no control loses its key to a tab. Where a page's label has
    // the same letter, the first press goes to the label's field and the next to the tab.
    sheet->AddPage(new GeneralPage(services, working), QStringLiteral("&General"));
    sheet->AddPage(new PigmentPage(services, working), QStringLiteral("&Pigment"));
    sheet->AddPage(new NormalPage(services, working), QStringLiteral("N&ormal"));
    sheet->AddPage(new FinishPage(services, working), QStringLiteral("Finis&h"));
    auto* preview = new PreviewWindow(services, working, sheet.get());
    sheet->SetPreview(preview, preview);
    return sheet;
}
