#include "ui/editors/namefields.h"

#include "core/model/texture.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

NameFields::NameFields(Texture& texture, const QString& nameLabel, int descriptionLines,
                       QWidget* parent)
    : QWidget(parent), m_texture(texture), m_name(new QLineEdit(this)),
      m_description(new QPlainTextEdit(this)) {
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setAccessibleName(QStringLiteral("Name"));
    auto* name = new QLabel(nameLabel, this);
    name->setBuddy(m_name);

    m_description->setObjectName(QStringLiteral("description"));
    m_description->setAccessibleName(QStringLiteral("Description"));
    m_description->setTabChangesFocus(true);
    m_description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (descriptionLines > 0)
        m_description->setFixedHeight(
            m_description->fontMetrics().lineSpacing() * descriptionLines + 12);
    else
        m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* description = new QLabel(QStringLiteral("&Description"), this);
    description->setBuddy(m_description);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(name, 0, 0);
    layout->addWidget(m_name, 0, 1);
    layout->addWidget(description, 1, 0, Qt::AlignTop);
    layout->addWidget(m_description, 1, 1);
    setTabOrder(m_name, m_description);

    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_texture.SetName(text.toStdString());
        emit edited();
    });
    connect(m_description, &QPlainTextEdit::textChanged, this, [this] {
        // Only a change by the user is taken back: the shown text has other line ends.
        if (m_description->toPlainText() == ShownDescription())
            return;
        m_texture.SetDescription(m_description->toPlainText()
                                     .replace(QLatin1Char('\n'), QLatin1String("\r\n"))
                                     .toStdString());
        emit edited();
    });
    Show();
}

void NameFields::Show() {
    const QSignalBlocker quietName(m_name);
    const QSignalBlocker quietDescription(m_description);
    m_name->setText(QString::fromStdString(m_texture.GetName()));
    if (m_description->toPlainText() != ShownDescription())
        m_description->setPlainText(ShownDescription());
}

QString NameFields::ShownDescription() const {
    return QString::fromStdString(m_texture.GetDescription())
        .replace(QLatin1String("\r\n"), QLatin1String("\n"));
}
