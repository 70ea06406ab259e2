#include "ui/app/startpage.h"

#include <QCommandLinkButton>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StartPage::StartPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StartPage"));
    setAccessibleName(QStringLiteral("Start Page"));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("StartPanel"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Base);
    panel->setMaximumWidth(480);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(28, 20, 28, 24);
    layout->setSpacing(4);

    auto* title = new QLabel(QStringLiteral("Velvane"), panel);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    title->setFont(big);
    layout->addWidget(title);
    layout->addSpacing(8);

    m_new = AddButton(layout, QStringLiteral("New Catalog"),
                      QStringLiteral("An empty catalog to fill with textures"));
    m_open = AddButton(layout, QStringLiteral("Open..."),
                       QStringLiteral("A catalog or texture map saved before"));
    m_import = AddButton(layout, QStringLiteral("Import POV-Ray Files..."),
                         QStringLiteral("A new catalog of the textures declared in .inc or .pov "
                                        "files"));
    connect(m_new, &QAbstractButton::clicked, this, &StartPage::newRequested);
    connect(m_open, &QAbstractButton::clicked, this, &StartPage::openRequested);
    connect(m_import, &QAbstractButton::clicked, this, &StartPage::importRequested);

    layout->addSpacing(12);
    auto* heading = new QLabel(QStringLiteral("Recent Catalogs"), panel);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* recent = new QWidget(panel);
    recent->setObjectName(QStringLiteral("RecentCatalogs"));
    recent->setAccessibleName(QStringLiteral("Recent Catalogs"));
    m_recentLayout = new QVBoxLayout(recent);
    m_recentLayout->setContentsMargins(0, 0, 0, 0);
    m_noRecent = new QLabel(QStringLiteral("No recent catalogs"), recent);
    m_noRecent->setEnabled(false);
    m_recentLayout->addWidget(m_noRecent);
    layout->addWidget(recent);

    // The panel in the middle, the workspace's own background around it.
    auto* outer = new QVBoxLayout(this);
    outer->addStretch();
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(panel, 1);
    row->addStretch();
    outer->addLayout(row);
    outer->addStretch();

    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
}

bool StartPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

QCommandLinkButton* StartPage::AddButton(QVBoxLayout* layout, const QString& text,
                                         const QString& description) {
    auto* button = new QCommandLinkButton(text, description, layout->parentWidget());
    button->setAccessibleName(text);
    button->setAccessibleDescription(description);
    button->setAutoDefault(true); // Return clicks it, as in a dialog
    layout->addWidget(button);
    return button;
}

QPushButton* StartPage::AddRecentEntry(const QString& path) {
    const QFileInfo file(path);
    const QString folder = QDir::toNativeSeparators(file.path());
    auto* button = new QPushButton(m_recentLayout->parentWidget());
    button->setFlat(true);
    button->setAutoDefault(true);
    button->setAccessibleName(file.fileName());
    button->setAccessibleDescription(folder);
    button->setToolTip(QDir::toNativeSeparators(path));
    // The file's name, and under it, smaller, its folder.
    auto* name = new QLabel(file.fileName(), button);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* where = new QLabel(button);
    QFont small = where->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    where->setFont(small);
    where->setText(where->fontMetrics().elidedText(folder, Qt::ElideMiddle, 380));
    auto* lines = new QVBoxLayout(button);
    lines->setContentsMargins(10, 4, 10, 4);
    lines->setSpacing(0);
    for (QLabel* label : {name, where}) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        lines->addWidget(label);
    }
    button->setMinimumSize(lines->sizeHint()); // the button's own hint leaves no room for them
    m_recentLayout->addWidget(button);
    return button;
}

void StartPage::SetRecentFiles(const QStringList& files) {
    qDeleteAll(m_recentButtons);
    m_recentButtons.clear();
    QWidget* previous = m_import;
    for (const QString& path : files) {
        QPushButton* button = AddRecentEntry(path);
        connect(button, &QAbstractButton::clicked, this,
                [this, path] { emit openFileRequested(path); });
        setTabOrder(previous, button);
        previous = button;
        m_recentButtons << button;
    }
    m_noRecent->setVisible(files.isEmpty());
    // Laid out at once: the layouts of a hidden page would wait, and stay as they were.
    for (QWidget* widget = m_recentLayout->parentWidget(); widget != this;
         widget = widget->parentWidget()) {
        widget->layout()->invalidate();
        widget->layout()->activate();
    }
    layout()->invalidate();
    layout()->activate();
}
