#include "ui/editors/sourcetexturedialog.h"

#include "core/povtext/reading/strictsource.h"
#include "render/files/disksourcefiles.h"
#include "render/settings/programsettings.h"
#include "ui/editors/namefields.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/sidebyside.h"
#include "ui/editors/sourcehighlighter.h"
#include "ui/editors/sourceinspector.h"
#include "ui/framework/appservices.h"
#include "ui/framework/helpcontext.h"
#include "ui/framework/prompts.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QToolButton>
#include <QTreeView>
#include <QtConcurrent>
#include <algorithm>

namespace {

QString KindText(SourceTexture::Kind kind) {
    switch (kind) {
    case SourceTexture::PigmentKind:
        return QStringLiteral("Pigment");
    case SourceTexture::MaterialKind:
        return QStringLiteral("Material");
    case SourceTexture::TextureKind:
        break;
    }
    return QStringLiteral("Texture");
}

/// The stored text as the editor shows it: with "\n" line ends.
QString ShownText(const std::string& stored) {
    return QString::fromStdString(stored).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

/// The text taken as it is stored: with "\r\n" line ends, as the reader writes them.
TakenSource Take(const QString& text, SourceTexture::Kind kind) {
    DiskSourceFiles files;
    TakenSource taken = TakeSourceText(text.toStdString(), kind, files);
    if (taken.Ok() && !taken.resolved)
        taken.text = QString(text).replace(QLatin1Char('\n'), QLatin1String("\r\n")).toStdString();
    return taken;
}

} // namespace

QString SourceErrorText(const SourceEntryError& error) {
    QString message = QString::fromStdString(error.message);
    if (!message.isEmpty())
        message[0] = message[0].toUpper();
    return QStringLiteral("Line %1, column %2: %3").arg(error.line).arg(error.column).arg(message);
}

SourceTextureDialog::SourceTextureDialog(AppServices& services, const SourceTexture& texture,
                                         QWidget* parent)
    : QDialog(parent), m_working(texture), m_shown(texture) {
    setWindowTitle(QStringLiteral("Modify Source Texture"));
    m_names = new NameFields(m_working, QStringLiteral("&Name:"), 2, this);

    auto* kindCaption = new QLabel(QStringLiteral("Kind:"), this);
    m_kind = new QLabel(KindText(m_working.GetKind()), this);
    m_kind->setObjectName(QStringLiteral("kind"));
    m_kind->setAccessibleName(QStringLiteral("Kind"));
    m_kind->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setAccessibleName(QStringLiteral("Text"));
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setLineWrapMode(services.Settings().wrapSourceLines ? QPlainTextEdit::WidgetWidth
                                                                : QPlainTextEdit::NoWrap);
    // Tab leaves the text, so the keyboard reaches the rest of the dialog.
    m_text->setTabChangesFocus(true);
    m_text->setMinimumSize(m_text->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 44,
                           m_text->fontMetrics().lineSpacing() * 16);
    new SourceHighlighter(m_text->document()); // owned by the document
    m_opened = ShownText(m_working.GetText());
    m_text->setPlainText(m_opened);
    auto* textCaption = new QLabel(QStringLiteral("&Text:"), this);
    textCaption->setBuddy(m_text);

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("error"));
    m_error->setAccessibleName(QStringLiteral("Error"));
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_error->setStyleSheet(QStringLiteral("color: #b00000"));

    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &SourceTextureDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &SourceTextureDialog::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this,
            [&services] { services.ShowHelp(HelpContext::SourceTextures); });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated,
            m_buttons->button(QDialogButtonBox::Help), &QPushButton::click);

    m_inspector = new SourceInspector(services, this);
    m_undo = new QToolButton(this);
    m_undo->setText(QStringLiteral("Undo"));
    m_undo->setAccessibleName(QStringLiteral("Undo"));
    m_undo->setToolTip(
        QStringLiteral("Undoes the last change of the text (%1)")
            .arg(QKeySequence(QKeySequence::Undo).toString(QKeySequence::NativeText)));
    m_redo = new QToolButton(this);
    m_redo->setText(QStringLiteral("Redo"));
    m_redo->setAccessibleName(QStringLiteral("Redo"));
    m_redo->setToolTip(
        QStringLiteral("Redoes the change undone last (%1)")
            .arg(QKeySequence(QKeySequence::Redo).toString(QKeySequence::NativeText)));
    m_undo->setEnabled(false);
    m_redo->setEnabled(false);
    connect(m_undo, &QToolButton::clicked, m_text, &QPlainTextEdit::undo);
    connect(m_redo, &QToolButton::clicked, m_text, &QPlainTextEdit::redo);
    connect(m_text, &QPlainTextEdit::undoAvailable, m_undo, &QToolButton::setEnabled);
    connect(m_text, &QPlainTextEdit::redoAvailable, m_redo, &QToolButton::setEnabled);
    // The keys undo in the inspector's controls as in the text.
    for (const auto& [keys, slot] : {std::pair{QKeySequence::Undo, &QPlainTextEdit::undo},
                                     {QKeySequence::Redo, &QPlainTextEdit::redo}}) {
        auto* shortcut = new QShortcut(QKeySequence(keys), m_inspector);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, m_text, slot);
    }
    connect(m_inspector, &SourceInspector::textChanged, this,
            &SourceTextureDialog::TakeInspectorText);

    auto* textSide = new QWidget(this);
    auto* textLayout = new QGridLayout(textSide);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textLayout->addWidget(textCaption, 0, 0, 1, 3);
    textLayout->addWidget(m_text, 1, 0, 1, 3);
    textLayout->addWidget(m_error, 2, 0);
    textLayout->addWidget(m_undo, 2, 1, Qt::AlignTop);
    textLayout->addWidget(m_redo, 2, 2, Qt::AlignTop);
    textLayout->setColumnStretch(0, 1);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(textSide);
    splitter->addWidget(m_inspector);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_names, 0, 0, 1, 2);
    layout->addWidget(kindCaption, 1, 0);
    layout->addWidget(m_kind, 1, 1);
    layout->addWidget(splitter, 2, 0, 1, 2);
    layout->addWidget(m_buttons, 3, 0, 1, 2);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);
    setTabOrder(m_names->DescriptionEdit(), m_text);
    setTabOrder(m_text, m_error);
    setTabOrder(m_error, m_undo);
    setTabOrder(m_undo, m_redo);
    setTabOrder(m_redo, m_inspector->Tree());
    // Room for the text and the inspector's controls side by side.
    resize(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 62,
           fontMetrics().lineSpacing() * 40);

    // A window of its own beside the dialog that ends with it.
    m_preview = new PreviewWindow(services, m_shown, this);
    SideBySideKeeper::For(m_preview);

    m_checkTimer.setSingleShot(true);
    m_checkTimer.setInterval(kCheckDelayMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &SourceTextureDialog::StartCheck);
    connect(m_text, &QPlainTextEdit::textChanged, this, &SourceTextureDialog::TextEdited);
    connect(&m_check, &QFutureWatcher<TakenSource>::finished, this,
            &SourceTextureDialog::CheckDone);
    StartCheck();
    m_inspector->ShowText(m_opened);
}

SourceTextureDialog::~SourceTextureDialog() {
    m_check.waitForFinished();
}

QLineEdit* SourceTextureDialog::NameEdit() const {
    return m_names->NameEdit();
}

QPlainTextEdit* SourceTextureDialog::DescriptionEdit() const {
    return m_names->DescriptionEdit();
}

bool SourceTextureDialog::IsChecking() const {
    return m_checkTimer.isActive() || m_checkRunning || m_checkedText != m_text->toPlainText();
}

void SourceTextureDialog::TextEdited() {
    if (m_takingInspectorText) {
        // Shown at once: the user is watching a control.
        m_checkTimer.stop();
        StartCheck();
        return;
    }
    m_typedSinceInspectorChange = true;
    m_inspector->ShowText(m_text->toPlainText());
    m_checkTimer.start();
}

void SourceTextureDialog::TakeInspectorText(const QString& text, const QString& property) {
    const QString old = m_text->toPlainText();
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(old.size(), text.size());
    while (prefix < shorter && old[prefix] == text[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           old[old.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;
    QTextCursor cursor(m_text->document());
    const bool join = !m_typedSinceInspectorChange && !property.isEmpty() &&
                      property == m_lastInspectorProperty && m_sinceInspectorChange.isValid() &&
                      m_sinceInspectorChange.elapsed() < kJoinChangesMs;
    if (join)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    cursor.setPosition(static_cast<int>(prefix));
    cursor.setPosition(static_cast<int>(old.size() - suffix), QTextCursor::KeepAnchor);
    m_takingInspectorText = true;
    cursor.insertText(text.mid(prefix, text.size() - prefix - suffix));
    cursor.endEditBlock();
    m_takingInspectorText = false;
    m_typedSinceInspectorChange = false;
    m_lastInspectorProperty = property;
    m_sinceInspectorChange.start();
}

void SourceTextureDialog::StartCheck() {
    if (m_checkRunning)
        return; // read again when the running read ends
    m_checkRunning = true;
    m_reading = m_text->toPlainText();
    m_check.setFuture(QtConcurrent::run(
        [text = m_reading, kind = m_working.GetKind()] { return Take(text, kind); }));
}

void SourceTextureDialog::CheckDone() {
    if (!m_checkRunning)
        return;
    m_checkRunning = false;
    const TakenSource taken = m_check.result();
    // Only the outcome for the text as it stands counts (OK may have read it meanwhile).
    const QString current = m_text->toPlainText();
    if (m_reading == current && m_checkedText != current)
        Taken(m_reading, taken);
    else if (m_checkedText != current && !m_checkTimer.isActive())
        StartCheck();
}

void SourceTextureDialog::Taken(const QString& text, const TakenSource& taken) {
    m_checkedText = text;
    m_lastTaken = taken;
    m_lastError = taken.error;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(taken.Ok());
    if (taken.Ok()) {
        m_error->clear();
        m_error->setAccessibleDescription(QString());
        if (taken.text != m_shown.GetText()) {
            m_shown.SetText(taken.text);
            CheckSourceTexture(m_shown);
            m_preview->TextureChanged();
        }
    } else {
        m_error->setText(SourceErrorText(*taken.error));
        m_error->setAccessibleDescription(m_error->text());
    }
    MarkError(taken.error);
    emit checked();
}

QTextCursor SourceTextureDialog::ErrorPlace(const SourceEntryError& error) const {
    QTextCursor cursor(m_text->document());
    const QTextBlock block = m_text->document()->findBlockByNumber(error.line - 1);
    if (!block.isValid()) {
        cursor.movePosition(QTextCursor::End);
        return cursor;
    }
    cursor.setPosition(block.position() + std::clamp(error.column - 1, 0, block.length() - 1));
    return cursor;
}

void SourceTextureDialog::MarkError(const std::optional<SourceEntryError>& error) {
    QList<QTextEdit::ExtraSelection> marks;
    if (error) {
        // The word the error is at, or the one character there (the one before it at the end
        // of a line or of the text).
        QTextCursor place = ErrorPlace(*error);
        QTextCursor word = place;
        word.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
        if (!word.hasSelection() || word.selectedText().trimmed().isEmpty()) {
            word = place;
            if (!word.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor) ||
                word.selectedText() == QChar(QChar::ParagraphSeparator)) {
                word = place;
                word.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
            }
        }
        QTextEdit::ExtraSelection mark;
        mark.cursor = word;
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(QColor(0xb0, 0, 0));
        mark.format.setToolTip(m_error->text());
        marks << mark;
    }
    m_text->setExtraSelections(marks);
}

void SourceTextureDialog::GoTo(const SourceEntryError& error) {
    m_text->setTextCursor(ErrorPlace(error));
    m_text->setFocus(Qt::OtherFocusReason);
}

void SourceTextureDialog::accept() {
    const QString text = m_text->toPlainText();
    if (text != m_checkedText || !m_lastTaken) {
        m_checkTimer.stop();
        Taken(text, Take(text, m_working.GetKind()));
    }
    const TakenSource taken = *m_lastTaken;
    if (!taken.Ok()) {
        Prompts::Message(
            this, Prompts::Icon::Warning, windowTitle(),
            QStringLiteral("The text of \"%1\" cannot be kept as it is.\n\n%2")
                .arg(QString::fromStdString(m_working.GetName()), SourceErrorText(*taken.error)));
        GoTo(*taken.error);
        return;
    }
    // The text as it was opened stays as it was stored, line ends and all.
    if (text != m_opened)
        m_working.SetText(taken.text);
    m_working.SetPreviewShape(m_shown.GetPreviewShape());
    CheckSourceTexture(m_working);
    QDialog::accept();
}

void SourceTextureDialog::done(int result) {
    m_checkTimer.stop();
    m_preview->hide();
    QDialog::done(result);
}

void SourceTextureDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Shown once the dialog has taken its final size, which settles after the first show; the
    // Preview places itself beside the dialog.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) {
            m_preview->ShowAntialiasingSetting();
            m_preview->show();
        }
    });
}
