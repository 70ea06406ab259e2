#include "ui/dialogs/thumbnailoptionsdialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

ThumbnailOptionsDialog::ThumbnailOptionsDialog(QWidget* parent)
    : QDialog(parent), m_prompt(QString::fromUtf8(kDefaultPrompt)) {
    setWindowTitle(QStringLiteral("Render Thumbnail(s)"));

    m_promptLabel = new QLabel(m_prompt, this);
    m_promptLabel->setObjectName(QStringLiteral("promptLabel"));
    m_promptLabel->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_promptLabel);
    m_options = new QButtonGroup(this);
    const char* texts[] = {"Only the &composite thumbnails (appears in the catalog)",
                           "Only the individual &layers",
                           "&Both the composite thumbnails and the individual layers"};
    for (int option = Composite; option <= Both; ++option) {
        auto* button = new QRadioButton(QString::fromUtf8(texts[option]), this);
        button->setObjectName(QStringLiteral("option%1Radio").arg(option));
        m_options->addButton(button, option);
        layout->addWidget(button);
    }
    SetOption(Both);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Help has no topic of its own here: pressing it does nothing.
    layout->addWidget(buttons);
}

void ThumbnailOptionsDialog::SetPrompt(const QString& prompt) {
    m_prompt = prompt;
    m_promptLabel->setText(prompt);
}

void ThumbnailOptionsDialog::SetOption(int option) {
    if (QAbstractButton* button = m_options->button(option))
        button->setChecked(true);
}

int ThumbnailOptionsDialog::GetOption() const {
    const int checked = m_options->checkedId();
    return checked < 0 ? Both : checked;
}

QRadioButton* ThumbnailOptionsDialog::OptionButton(int option) const {
    return qobject_cast<QRadioButton*>(m_options->button(option));
}
