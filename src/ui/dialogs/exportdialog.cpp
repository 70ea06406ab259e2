#include "ui/dialogs/exportdialog.h"

#include "core/catalog/catalog.h"
#include "core/catalog/exportsource.h"
#include "core/model/texture.h"
#include "render/files/fileio.h"
#include "ui/framework/prompts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <vector>

namespace {

constexpr const char* kTitle = "Velvane";
constexpr const char* kWriteFailed = "An unexpected error occurred while writing %1.";

QString ForDisplay(const QString& text) {
    return QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

} // namespace

ExportDialog::ExportDialog(Catalog& catalog, const QString& title, QWidget* parent,
                           const QString& fileName)
    : QDialog(parent), m_catalog(catalog) {
    setWindowTitle(QStringLiteral("Export Texture(s)"));

    m_fileName = new QLineEdit(fileName.isEmpty() ? ProposedFileName(title) : fileName, this);
    m_fileName->setObjectName(QStringLiteral("fileNameEdit"));
    auto* fileLabel = new QLabel(QStringLiteral("File &Name:"), this);
    fileLabel->setBuddy(m_fileName);
    m_browse = new QPushButton(QStringLiteral("&Browse..."), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setAutoDefault(false);
    connect(m_browse, &QPushButton::clicked, this, &ExportDialog::Browse);

    auto* exportGroup = new QGroupBox(QStringLiteral("Export"), this);
    m_selected = new QRadioButton(QStringLiteral("&Selected Texture(s)"), exportGroup);
    m_selected->setObjectName(QStringLiteral("selectedRadio"));
    m_all = new QRadioButton(QStringLiteral("&All Textures"), exportGroup);
    m_all->setObjectName(QStringLiteral("allRadio"));
    auto* exportLayout = new QVBoxLayout(exportGroup);
    exportLayout->addWidget(m_selected);
    exportLayout->addWidget(m_all);
    exportLayout->addStretch(1);
    // With nothing selected only the whole catalog can be exported.
    if (m_catalog.GetSelectedCount() == 0) {
        m_all->setChecked(true);
        m_selected->setEnabled(false);
    } else {
        m_selected->setChecked(true);
    }

    auto* excludeGroup = new QGroupBox(QStringLiteral("Exclude"), this);
    m_noFinish = new QCheckBox(QStringLiteral("&Finish Settings"), excludeGroup);
    m_noFinish->setObjectName(QStringLiteral("finishCheck"));
    m_noNormal = new QCheckBox(QStringLiteral("&Normal Settings"), excludeGroup);
    m_noNormal->setObjectName(QStringLiteral("normalCheck"));
    auto* excludeLayout = new QVBoxLayout(excludeGroup);
    excludeLayout->addWidget(m_noFinish);
    excludeLayout->addWidget(m_noNormal);
    excludeLayout->addStretch(1);

    auto* sourceGroup = new QGroupBox(QStringLiteral("Texture Source"), this);
    m_preview = new QPlainTextEdit(sourceGroup);
    m_preview->setObjectName(QStringLiteral("previewEdit"));
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_preview->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_preview->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_preview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* sourceLayout = new QVBoxLayout(sourceGroup);
    sourceLayout->addWidget(m_preview);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_fileName, 1);
    fileRow->addWidget(m_browse);
    auto* choices = new QHBoxLayout;
    choices->addWidget(exportGroup, 1);
    choices->addWidget(excludeGroup, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(choices);
    layout->addWidget(sourceGroup, 1);
    layout->addWidget(buttons);
    resize(560, 480);

    // Switching between the two radios toggles "All" once; the check boxes each toggle.
    connect(m_all, &QRadioButton::toggled, this, &ExportDialog::UpdatePreview);
    connect(m_noFinish, &QCheckBox::toggled, this, &ExportDialog::UpdatePreview);
    connect(m_noNormal, &QCheckBox::toggled, this, &ExportDialog::UpdatePreview);
    UpdatePreview();
}

QString ExportDialog::ProposedFileName(const QString& title) {
    const qsizetype dot = title.indexOf(QLatin1Char('.'));
    return (dot < 0 ? title : title.left(dot)) + QStringLiteral(".inc");
}

QString ExportDialog::FileName() const {
    return m_fileName->text();
}

ExportDialog::Scope ExportDialog::ExportScope() const {
    return m_all->isChecked() ? All : Selected;
}

bool ExportDialog::ExcludeFinish() const {
    return m_noFinish->isChecked();
}

bool ExportDialog::ExcludeNormal() const {
    return m_noNormal->isChecked();
}

SourceFlags ExportDialog::SourceFlags() const {
    ::SourceFlags flags = SourceFlag::Declare;
    if (ExcludeFinish())
        flags |= SourceFlag::NoFinish;
    if (ExcludeNormal())
        flags |= SourceFlag::NoNormal;
    return flags;
}

void ExportDialog::UpdatePreview() {
    const bool all = ExportScope() == All;
    std::vector<int> indices;
    for (int index = 0; index < m_catalog.GetCount(); ++index)
        if (all || m_catalog.IsSelected(index))
            indices.push_back(index);
    m_source = ExportSourceText(m_catalog, indices, SourceFlags());
    m_preview->setPlainText(ForDisplay(QString::fromStdString(m_source)));
}

void ExportDialog::Browse() {
    QString path =
        Prompts::SaveFileName(this, QStringLiteral("Browse"), m_fileName->text(),
                              QStringLiteral("Include (*.inc);;POV (*.pov);;All Files (*)"));
    if (path.isEmpty())
        return;
    // The save dialog adds no extension of its own: a name without one becomes an include file.
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path += QStringLiteral(".inc");
    m_fileName->setText(path);
}

void ExportDialog::accept() {
    const QString path = FileName();
    bool append = false;
    // Looked at, not opened: opening a pipe would wait for a writer. What cannot be written
    // is refused by the write road below.
    if (const QFileInfo existing(path); existing.exists() && !existing.isDir()) {
        ExportSourceDialog ask(path, this);
        const int choice = ask.exec();
        if (choice != ExportSourceDialog::Overwrite && choice != ExportSourceDialog::Append)
            return;
        append = choice == ExportSourceDialog::Append;
    }

    // The preview's text goes out byte for byte, with its CR LF line ends.
    const QByteArray bytes = QByteArray::fromStdString(m_source);
    const QString otherwise = QString::fromUtf8(kWriteFailed);
    const FileResult written =
        append ? AppendToFile(path, bytes, otherwise) : WriteFileAtomically(path, bytes, otherwise);
    if (!written) {
        Prompts::Message(this, Prompts::Icon::Warning, QString::fromUtf8(kTitle), written.message);
        m_fileName->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

ExportSourceDialog::ExportSourceDialog(const QString& fileName, QWidget* parent)
    : QDialog(parent), m_text(QStringLiteral("File already exists:\n") + fileName) {
    setWindowTitle(QStringLiteral("Export Source"));

    auto* label = new QLabel(m_text, this);
    label->setObjectName(QStringLiteral("textLabel"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_overwrite = new QPushButton(QStringLiteral("&Overwrite"), this);
    m_overwrite->setObjectName(QStringLiteral("overwriteButton"));
    m_append = new QPushButton(QStringLiteral("&Append"), this);
    m_append->setObjectName(QStringLiteral("appendButton"));
    m_cancel->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_overwrite, &QPushButton::clicked, this, [this] { done(Overwrite); });
    connect(m_append, &QPushButton::clicked, this, [this] { done(Append); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_overwrite);
    buttons->addWidget(m_append);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(buttons);
    m_cancel->setFocus(Qt::OtherFocusReason);
}
