#include "ui/catalog/sourceimporter.h"

#include "core/povtext/import/sourceimport.h"
#include "render/files/disksourcefiles.h"
#include "render/settings/programsettings.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogedits.h"
#include "ui/dialogs/importsummarydialog.h"
#include "ui/framework/appservices.h"
#include "ui/framework/prompts.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QMimeData>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent>
#include <numeric>
#include <set>

namespace {

const QString kTitle = QStringLiteral("Import Source");
/// An import that takes longer than this shows its progress.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressPollMs = 50;

bool IsSourceFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("inc"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("pov"), Qt::CaseInsensitive) == 0;
}

QClipboard* Clipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}

/// The names of the files read, or the name of the text.
QString SourceName(const SourceToImport& source) {
    if (source.files.isEmpty())
        return source.textName;
    QStringList names;
    for (const QString& file : source.files)
        names << QFileInfo(file).fileName();
    return names.join(QStringLiteral(", "));
}

/// The folder all the files are in; empty when they are in several, or there are none.
QString CommonFolder(const QStringList& files) {
    QString folder;
    for (const QString& file : files) {
        const QString own = QFileInfo(file).absolutePath();
        if (!folder.isEmpty() && own != folder)
            return QString();
        folder = own;
    }
    return folder;
}

} // namespace

/// An import whose source is being read off the window's thread.
struct SourceImporter::Running {
    Job job;
    /// Written by the reader as it goes, read by the poll.
    std::shared_ptr<ImportProgress> progress = std::make_shared<ImportProgress>();
    QFutureWatcher<ImportResult> read;
    QTimer poll;
    QPointer<QProgressDialog> dialog;
    int ticks = 0;

    ~Running() {
        if (read.isRunning()) {
            progress->cancel = true;
            read.waitForFinished();
        }
        delete dialog;
    }
};

SourceImporter::SourceImporter(CatalogDocument& document, AppServices& app, QWidget& window,
                               ThumbnailRenderer renderThumbnail)
    : QObject(&window), m_document(document), m_app(app), m_window(window),
      m_renderThumbnail(std::move(renderThumbnail)) {
    // One import reads at a time, and the window comes first.
    m_readers.setMaxThreadCount(1);
    m_readers.setThreadPriority(QThread::LowPriority);
    if (QClipboard* clipboard = Clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, [this] {
            m_clipboardHoldsSource.reset();
            emit clipboardChanged();
        });
    connect(&document.UndoStack(), &QUndoStack::indexChanged, this,
            &SourceImporter::OnStepsChanged);
}

SourceImporter::~SourceImporter() = default;

// ---- what can be imported -----------------------------------------------------------------

QString SourceImporter::PlainSourceText(QString text) {
    for (const char16_t space : {u'\u00A0', u'\u2007', u'\u202F'})
        text.replace(QChar(space), QLatin1Char(' '));
    for (const char16_t quote : {u'\u201C', u'\u201D', u'\u201E'})
        text.replace(QChar(quote), QLatin1Char('"'));
    return text;
}

std::optional<SourceToImport> SourceImporter::SourceIn(const QMimeData& data,
                                                       const QString& textName) {
    SourceToImport source;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile() && IsSourceFile(url.toLocalFile()))
            source.files << url.toLocalFile();
    if (!source.files.isEmpty())
        return source;
    if (data.hasUrls() || !data.hasText())
        return std::nullopt;
    source.text = PlainSourceText(data.text());
    source.textName = textName;
    if (!HoldsDeclaration(source.text.toStdString()))
        return std::nullopt;
    return source;
}

bool SourceImporter::ClipboardHoldsSource() {
    if (m_clipboardHoldsSource)
        return *m_clipboardHoldsSource;
    QClipboard* clipboard = Clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    const auto source = data ? SourceIn(*data, QStringLiteral("Clipboard")) : std::nullopt;
    bool holds = source.has_value();
    if (holds && source->files.isEmpty() && !m_app.CopyList().empty()) {
        // The program's own Copy puts the copied textures' source there: Paste adds the
        // textures themselves, thumbnails and all.
        std::string copied;
        for (const auto& texture : m_app.CopyList())
            copied += texture->GetSource(SourceFlag::Declare) + "\n";
        holds = SourceWords(source->text.toStdString()) != SourceWords(copied);
    }
    m_clipboardHoldsSource = holds;
    return holds;
}

bool SourceImporter::ImportClipboard() {
    QClipboard* clipboard = Clipboard();
    if (!clipboard || !clipboard->mimeData() || !ClipboardHoldsSource())
        return false;
    const auto source = SourceIn(*clipboard->mimeData(), QStringLiteral("Clipboard"));
    if (!source)
        return false;
    Import(*source);
    return true;
}

// ---- the import ---------------------------------------------------------------------------

QString SourceImporter::StartFolder() const {
    if (!m_lastFolder.isEmpty())
        return m_lastFolder;
    const QString library = QString::fromLatin1(kPovRayLibraryFolder);
    return QFileInfo(library).isDir() ? library : QDir::homePath();
}

void SourceImporter::ChooseAndImport() {
    const QStringList files =
        Prompts::OpenFileNames(&m_window, kTitle, StartFolder(),
                               QStringLiteral("POV-Ray Source (*.inc *.pov);;All Files (*)"));
    if (files.isEmpty())
        return;
    m_lastFolder = QFileInfo(files.first()).absolutePath();
    Import({files, QString(), QString()});
}

void SourceImporter::Import(const SourceToImport& source, std::optional<int> position) {
    m_waiting.push_back({source, position, false});
    StartNext();
}

bool SourceImporter::Busy() const {
    return m_running || !m_waiting.empty();
}

QProgressDialog* SourceImporter::Progress() const {
    return m_running ? m_running->dialog.data() : nullptr;
}

void SourceImporter::Cancel() {
    m_waiting.clear();
    if (m_running)
        m_running->progress->cancel = true;
}

void SourceImporter::StartNext() {
    if (m_running || m_waiting.empty())
        return;
    m_running = std::make_unique<Running>();
    Running& running = *m_running;
    running.job = std::move(m_waiting.front());
    m_waiting.pop_front();

    const ProgramSettings& settings = m_app.Settings();
    ImportOptions options;
    options.approximate = settings.importApproximate;
    options.sourceFallback = true;
    // Beside the including file's own folder and POV-Ray's library: the program directory,
    // where the program's renders find their files too.
    options.includePaths.push_back(settings.EffectiveProgramDirectory().toStdString());
    std::vector<SourceInput> inputs;
    const SourceToImport& source = running.job.source;
    for (const QString& file : source.files)
        inputs.push_back({file.toStdString(), std::nullopt});
    if (source.files.isEmpty())
        inputs.push_back({source.textName.toStdString(), source.text.toStdString()});

    // Queued: the import ends by destroying the watcher.
    connect(&running.read, &QFutureWatcher<ImportResult>::finished, this,
            &SourceImporter::OnReadDone, Qt::QueuedConnection);
    running.read.setFuture(QtConcurrent::run(
        &m_readers, [inputs = std::move(inputs), options, progress = running.progress]() mutable {
            options.progress = progress.get();
            DiskSourceFiles files;
            return ImportSource(inputs, options, files);
        }));
    running.poll.setInterval(kProgressPollMs);
    connect(&running.poll, &QTimer::timeout, this, &SourceImporter::ShowProgress);
    running.poll.start();
}

void SourceImporter::ShowProgress() {
    Running& running = *m_running;
    if (!running.dialog) {
        if (++running.ticks * kProgressPollMs < kProgressDelayMs)
            return;
        // Beside the window, which goes on meanwhile.
        auto* dialog =
            new QProgressDialog(QStringLiteral("Reading %1...").arg(SourceName(running.job.source)),
                                QStringLiteral("Cancel"), 0, 1000, &m_window);
        dialog->setWindowTitle(kTitle);
        dialog->setWindowModality(Qt::NonModal);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        dialog->setMinimumDuration(0);
        connect(dialog, &QProgressDialog::canceled, this, &SourceImporter::Cancel);
        running.dialog = dialog;
        dialog->show();
    }
    running.dialog->setValue(running.progress->permille.load());
}

void SourceImporter::OnReadDone() {
    if (!m_running)
        return;
    std::unique_ptr<Running> done = std::move(m_running);
    done->poll.stop();
    if (done->dialog)
        done->dialog->hide();
    ImportResult result = done->read.future().takeResult();
    if (result.cancelled) {
        // The user stopped it: nothing to tell.
    } else if (result.failure) {
        if (done->job.again) {
            m_redoable = false;
            if (m_summary)
                m_summary->SetRedoable(false);
        }
        Prompts::Message(&m_window, Prompts::Icon::Warning, kTitle,
                         QString::fromStdString(*result.failure) +
                             QStringLiteral("\n\nNothing was imported."));
    } else if (done->job.again) {
        AddAgain(done->job.source, std::move(result));
    } else {
        Add(done->job.source, std::move(result),
            done->job.position.value_or(m_document.Contents().GetCount()));
    }
    done.reset();
    emit finished();
    StartNext();
}

void SourceImporter::Add(const SourceToImport& source, ImportResult result, int position,
                         std::map<std::string, std::unique_ptr<Texture>> known) {
    // A name the catalog holds already is not declared twice on export.
    std::set<std::string> taken;
    for (int i = 0; i < m_document.Contents().GetCount(); ++i)
        taken.insert(m_document.Contents().GetTexture(i).GetName());
    GiveFreeNames(result, std::move(taken));
    std::vector<std::unique_ptr<Texture>> textures;
    std::vector<int> unrendered; ///< of `textures`
    for (ImportedDeclaration& declaration : result.declarations) {
        if (!declaration.texture)
            continue;
        const auto same = known.find(declaration.texture->GetSource(SourceFlag::Declare));
        if (same != known.end() && same->second) {
            textures.push_back(std::move(same->second));
            continue;
        }
        unrendered.push_back(static_cast<int>(textures.size()));
        textures.push_back(std::move(declaration.texture));
    }

    m_working = true;
    position = std::clamp(position, 0, m_document.Contents().GetCount());
    const int count = static_cast<int>(textures.size());
    if (count > 0) {
        std::vector<int> positions(textures.size());
        std::iota(positions.begin(), positions.end(), position);
        m_document.Apply(new InsertTexturesEdit(m_document, QStringLiteral("Import"),
                                                std::move(positions), std::move(textures), true));
        // Their pictures come in the background and join the step.
        for (int& index : unrendered)
            index += position;
        m_renderThumbnail(unrendered);
    }
    m_working = false;
    m_last = source;
    m_lastPosition = position;
    m_lastCount = count;
    m_redoable = true;
    ShowSummary(source, result);
    if (count > 0)
        emit imported(position, count);
}

ImportSummaryDialog* SourceImporter::Summary() const {
    return m_summary;
}

void SourceImporter::ShowSummary(const SourceToImport& source, const ImportResult& result) {
    if (!m_summary) {
        m_summary = new ImportSummaryDialog(&m_window);
        connect(m_summary, &ImportSummaryDialog::approximateChosen, this,
                &SourceImporter::OnApproximateChosen);
    }
    ImportSummary summary;
    summary.source = SourceName(source);
    summary.folder = CommonFolder(source.files);
    summary.catalog = m_document.Title();
    summary.imported = result.Count(ImportOutcome::Imported);
    summary.asSource = result.Count(ImportOutcome::Source);
    summary.approximated = result.Count(ImportOutcome::Approximated);
    summary.skipped = result.Count(ImportOutcome::Skipped);
    // The lines name files by their paths; the folder they share is said once above them.
    for (const ImportedDeclaration& declaration : result.declarations) {
        for (const std::string& text : {ReportLine(declaration), declaration.renamed}) {
            if (text.empty())
                continue;
            QString line = QString::fromStdString(text);
            if (!summary.folder.isEmpty())
                line.replace(summary.folder + QLatin1Char('/'), QString());
            summary.lines << line;
        }
    }
    for (const std::string& note : SceneGammaNotes(result))
        summary.lines.prepend(QString::fromStdString(note));
    if (!result.fromLibrary.empty()) {
        QStringList names;
        for (const std::string& name : result.fromLibrary)
            names << QString::fromStdString(name);
        summary.lines.prepend(tr("Taken from POV-Ray's include files: %1").arg(names.join(u", ")));
    }
    std::vector<std::string> chosen;
    chosen.reserve(static_cast<std::size_t>(source.files.size()));
    for (const QString& file : source.files)
        chosen.push_back(file.toStdString());
    const std::vector<FileCounts> files = CountsByFile(result, chosen);
    const bool given =
        files.size() == 1 &&
        (source.files.isEmpty() || files.front().file == source.files.front().toStdString());
    for (const FileCounts& file : files) {
        if (given)
            break;
        QString name = QString::fromStdString(file.file);
        if (!summary.folder.isEmpty())
            name.replace(summary.folder + QLatin1Char('/'), QString());
        summary.files << QStringLiteral("%1: %2 exact, %3 kept as POV-Ray text, %4 approximated, "
                                        "%5 skipped")
                             .arg(name)
                             .arg(file.imported)
                             .arg(file.source)
                             .arg(file.approximated)
                             .arg(file.skipped);
    }
    summary.approximate = m_app.Settings().importApproximate;
    m_summary->ShowSummary(summary);
    m_summary->SetRedoable(true);
    m_summary->show();
    m_summary->raise();
    m_summary->activateWindow();
}

void SourceImporter::OnStepsChanged() {
    // Any other change to the catalog ends the summary's chance to make its import again.
    if (m_working || !m_redoable)
        return;
    m_redoable = false;
    if (m_summary)
        m_summary->SetRedoable(false);
}

void SourceImporter::OnApproximateChosen(bool approximate) {
    m_app.Settings().importApproximate = approximate;
    if (!m_redoable || !m_last)
        return;
    // The import is still the latest change: it is taken back and made again the new way,
    // once the source has been read again.
    m_waiting.push_back({*m_last, m_lastPosition, true});
    StartNext();
}

void SourceImporter::AddAgain(const SourceToImport& source, ImportResult result) {
    // Something else changed the catalog while the source was read: the choice holds for the
    // next import only.
    if (!m_redoable)
        return;
    // What comes out the same as before keeps its thumbnails; only the changed ones render.
    std::map<std::string, std::unique_ptr<Texture>> before;
    const Catalog& catalog = m_document.Contents();
    for (int index = m_lastPosition; index < m_lastPosition + m_lastCount; ++index)
        before[catalog.GetTexture(index).GetSource(SourceFlag::Declare)] =
            catalog.GetTexture(index).Clone();
    if (m_lastCount > 0) {
        m_working = true;
        m_document.UndoStack().undo();
        m_working = false;
    }
    Add(source, std::move(result), m_lastPosition, std::move(before));
}
