#include "ui/help/helpbrowser.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kContentsPage = QStringLiteral(":/help/index.html");

QPointer<HelpWindow>& Instance() {
    static QPointer<HelpWindow> window;
    return window;
}

/// ":/help/page.html" as the URL the browser resolves relative links against.
QUrl ResourceUrl(const QString& resourcePath) {
    return QUrl(QStringLiteral("qrc") + resourcePath);
}

} // namespace

QString HelpPagePath(int context) {
    switch (context) {
    case HelpContext::Preferences:
        return QStringLiteral(":/help/preferences.html");
    case HelpContext::GeneralPage:
        return QStringLiteral(":/help/general.html");
    case HelpContext::PigmentPage:
        return QStringLiteral(":/help/pigment.html");
    case HelpContext::NormalPage:
        return QStringLiteral(":/help/normal.html");
    case HelpContext::FinishPage:
        return QStringLiteral(":/help/finish.html");
    case HelpContext::SourceTextures:
        return QStringLiteral(":/help/import.html");
    default:
        return kContentsPage;
    }
}

HelpWindow* CurrentHelpWindow() {
    return Instance().data();
}

void CloseHelpWindow() {
    delete Instance().data();
}

void ShowHelpTopic(int context, QWidget* parent) {
    QPointer<HelpWindow>& window = Instance();
    if (!window) {
        window = new HelpWindow;
        // Gone with the application; the connection ends with the window.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [] { CloseHelpWindow(); });
    }
    window->Open(HelpPagePath(context), parent);
}

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("velvaneHelpWindow"));
    setWindowTitle(QStringLiteral("Velvane Help"));

    m_back = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Back"));
    m_forward =
        new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Forward"));
    m_contents =
        new QPushButton(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("&Contents"));
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    m_back->setToolTip(QStringLiteral("Go back (Alt+Left)"));
    m_forward->setToolTip(QStringLiteral("Go forward (Alt+Right)"));
    m_contents->setToolTip(QStringLiteral("Show the list of help pages"));
    for (QPushButton* button : {m_back, m_forward, m_contents})
        button->setAutoDefault(false);

    m_browser = new QTextBrowser;
    m_browser->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(m_contents);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_contents, &QPushButton::clicked, this, [this] { ShowPage(kContentsPage); });
    new QShortcut(QKeySequence::Back, this, [this] { m_browser->backward(); });
    new QShortcut(QKeySequence::Forward, this, [this] { m_browser->forward(); });
    new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { close(); });

    resize(760, 620);
}

void HelpWindow::Open(const QString& resourcePath, QWidget* owner) {
    AttachTo(owner);
    ShowPage(resourcePath);
    if (!m_placed)
        PlaceBeside(owner);
    show();
    raise();
    activateWindow();
}

void HelpWindow::ShowPage(const QString& resourcePath) {
    const QUrl url = ResourceUrl(resourcePath);
    if (m_browser->source() != url)
        m_browser->setSource(url);
}

void HelpWindow::AttachTo(QWidget* owner) {
    QWidget* window = owner ? owner->window() : nullptr;
    if (window == this)
        window = nullptr;
    if (window == parentWidget())
        return;
    if (QWidget* previous = parentWidget())
        previous->removeEventFilter(this);
    const bool shown = isVisible();
    const QRect placement = geometry();
    setParent(window, Qt::Window); // this hides the window
    if (m_placed)
        setGeometry(placement);
    if (window)
        window->installEventFilter(this);
    if (shown)
        show();
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // A modal window that closes hands the help window on to the window below it, so the
    // help stays open; beside a window that is not modal it simply belongs to that window.
    if (watched == parentWidget() && event->type() == QEvent::Hide &&
        !static_cast<QHideEvent*>(event)->spontaneous() && parentWidget()->isModal()) {
        QWidget* below = parentWidget()->parentWidget();
        AttachTo(below ? below->window() : nullptr);
    }
    return QWidget::eventFilter(watched, event);
}

void HelpWindow::PlaceBeside(const QWidget* owner) {
    m_placed = true;
    if (!owner)
        return;
    const QWidget* window = owner->window();
    const QRect frame = window->frameGeometry();
    QPoint at(frame.right() + 12, frame.top());
    if (const QScreen* screen = window->screen()) {
        const QRect available = screen->availableGeometry();
        at.setX(std::max(available.left(), std::min(at.x(), available.right() - width())));
        at.setY(std::max(available.top(), std::min(at.y(), available.bottom() - height())));
    }
    move(at);
}
