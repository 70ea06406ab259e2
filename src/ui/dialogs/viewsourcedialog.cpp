#include "ui/dialogs/viewsourcedialog.h"

#include "ui/dialogs/clipboard.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QRect ViewSourceDialog::s_lastGeometry;

ViewSourceDialog::ViewSourceDialog(const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_text(text) {
    setWindowTitle(QStringLiteral("View Source"));
    setSizeGripEnabled(true);

    auto* group = new QGroupBox(QStringLiteral("Texture Source"), this);
    m_edit = new QPlainTextEdit(group);
    m_edit->setObjectName(QStringLiteral("sourceEdit"));
    m_edit->setReadOnly(true);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The text keeps its CR LF line ends; only the display shows plain line breaks.
    m_edit->setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_edit);

    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setDefault(true);
    m_copy = new QPushButton(QStringLiteral("Copy to Clipboard"), this);
    m_copy->setObjectName(QStringLiteral("copyButton"));
    m_copy->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_copy, &QPushButton::clicked, this, &ViewSourceDialog::CopyToClipboard);

    // The group box takes every change of size; the buttons stay on the bottom edge.
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_close);
    buttons->addWidget(m_copy);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);

    resize(520, 520);
}

void ViewSourceDialog::showEvent(QShowEvent* event) {
    if (!m_placed) {
        m_placed = true;
        if (s_lastGeometry.isValid())
            setGeometry(s_lastGeometry);
    }
    QDialog::showEvent(event);
    m_close->setFocus(Qt::OtherFocusReason);
}

void ViewSourceDialog::done(int result) {
    // Close, the close box and Escape all end here.
    if (isVisible())
        s_lastGeometry = geometry();
    QDialog::done(result);
}

void ViewSourceDialog::CopyToClipboard() {
    CopyTextToClipboard(m_text);
}
