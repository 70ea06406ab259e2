#include "ui/dialogs/importsummarydialog.h"

#include "ui/dialogs/clipboard.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

ImportSummaryDialog::ImportSummaryDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_counts(new QLabel(this)), m_list(new QPlainTextEdit(this)),
      m_approximate(
          new QCheckBox(QStringLiteral("&Approximate what cannot be held exactly"), this)),
      m_note(new QLabel(this)), m_close(new QPushButton(QStringLiteral("&Close"), this)),
      m_copy(new QPushButton(QStringLiteral("C&opy to Clipboard"), this)) {
    setWindowTitle(QStringLiteral("Import Source"));
    setSizeGripEnabled(true);

    m_counts->setObjectName(QStringLiteral("countsLabel"));
    m_counts->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* listLabel = new QLabel(QStringLiteral("&Declarations:"), this);
    listLabel->setBuddy(m_list);
    m_list->setObjectName(QStringLiteral("declarationList"));
    m_list->setAccessibleName(QStringLiteral("Declarations"));
    m_list->setReadOnly(true);
    m_list->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_approximate->setObjectName(QStringLiteral("approximateCheck"));
    m_note->setObjectName(QStringLiteral("noteLabel"));
    m_note->setWordWrap(true);
    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setDefault(true);
    m_copy->setObjectName(QStringLiteral("copyButton"));
    m_copy->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_copy, &QPushButton::clicked, this, &ImportSummaryDialog::CopyToClipboard);
    connect(m_approximate, &QCheckBox::toggled, this, &ImportSummaryDialog::approximateChosen);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_copy);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_counts);
    layout->addWidget(listLabel);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_approximate);
    layout->addWidget(m_note);
    layout->addLayout(buttons);
    setTabOrder(m_list, m_approximate);
    setTabOrder(m_approximate, m_copy);
    setTabOrder(m_copy, m_close);

    SetRedoable(true);
    resize(800, 480);
}

void ImportSummaryDialog::ShowSummary(const ImportSummary& summary) {
    QString counts = QStringLiteral("Source: %1\n").arg(summary.source);
    if (!summary.folder.isEmpty())
        counts += QStringLiteral("Folder: %1\n").arg(summary.folder);
    counts += QStringLiteral("Catalog: %1\nImported exactly: %2\nKept as POV-Ray text: %3\n"
                             "Approximated: %4\nSkipped: %5")
                  .arg(summary.catalog)
                  .arg(summary.imported)
                  .arg(summary.asSource)
                  .arg(summary.approximated)
                  .arg(summary.skipped);
    for (const QString& file : summary.files)
        counts += QStringLiteral("\nFrom %1").arg(file);
    m_counts->setText(counts);
    m_list->setPlainText(summary.lines.isEmpty()
                             ? QStringLiteral("No texture, pigment or material is declared there.")
                             : summary.lines.join(QLatin1Char('\n')));
    const QSignalBlocker quiet(m_approximate);
    m_approximate->setChecked(summary.approximate);
}

void ImportSummaryDialog::SetRedoable(bool redoable) {
    m_note->setText(redoable ? QStringLiteral("Changing this imports again, in place of the "
                                              "textures this import added.")
                             : QStringLiteral("The catalog has changed since this import: "
                                              "the choice holds for the next import."));
}

QString ImportSummaryDialog::CountText() const {
    return m_counts->text();
}

QString ImportSummaryDialog::ListText() const {
    return m_list->toPlainText();
}

void ImportSummaryDialog::CopyToClipboard() {
    CopyTextToClipboard(CountText() + QStringLiteral("\n\n") + ListText() + QLatin1Char('\n'));
}
