#pragma once

#include "core/povtext/import/sourceimport.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class AppServices;
class CatalogDocument;
class ImportSummaryDialog;
class QMimeData;
class QProgressDialog;
class QWidget;
class Texture;

/// What an import reads: POV-Ray source files, or a text at hand (pasted, dropped) with the
/// name its report lines give it.
struct SourceToImport {
    QStringList files;
    QString text;
    QString textName;
};

/// Brings the textures, pigments and materials declared in POV-Ray source into a catalog
/// window's catalog: files chosen from the Texture menu, or source on the clipboard or dropped
/// on the window. Each import is one undoable step ("Import"), its textures get thumbnails as
/// the window's new textures do, and a summary beside the window lists what came in, what was
/// approximated and what was skipped. Source that cannot be read or parsed adds nothing; the
/// message names the file and line.
///
/// The source is read on a thread of its own while the window goes on; an import that takes
/// more than a moment shows its progress beside the window, where it can be cancelled. The
/// textures come in on the window's thread once it is done. Imports asked for meanwhile wait
/// their turn.
class SourceImporter : public QObject {
    Q_OBJECT
public:
    /// Renders the thumbnails of new textures at these catalog indices in the background, the
    /// way the window does for its new textures.
    using ThumbnailRenderer = std::function<void(const std::vector<int>& indices)>;

    SourceImporter(CatalogDocument& document, AppServices& app, QWidget& window,
                   ThumbnailRenderer renderThumbnail);
    /// Cancels an import that is running and waits for its thread.
    ~SourceImporter() override;

    /// Texture > Import Source...: asks for files and imports them after the last texture.
    void ChooseAndImport();
    /// Starts importing `source` with its textures placed from catalog index `position` on
    /// when it is done, after the last texture when no position is given. When the source
    /// cannot be read or parsed the user is told and nothing is added.
    void Import(const SourceToImport& source, std::optional<int> position = std::nullopt);
    /// Whether an import is running or waiting.
    bool Busy() const;
    /// Stops the import that is running, and drops those waiting; nothing of them is added.
    void Cancel();
    /// The progress of the running import, shown once it has taken a moment; null when none
    /// runs.
    QProgressDialog* Progress() const;

    /// The POV-Ray source that a drop or the clipboard carries: its .inc and .pov files, else
    /// a text that declares something (named `textName`). Nothing when it carries neither.
    static std::optional<SourceToImport> SourceIn(const QMimeData& data, const QString& textName);
    /// Text from a web page made readable as POV-Ray text: no-break spaces become blanks and
    /// typographic double quotes plain ones.
    static QString PlainSourceText(QString text);

    /// Whether the clipboard holds source to import, rather than nothing of the kind or the
    /// source of the textures the program itself copied (which Paste adds as they are).
    bool ClipboardHoldsSource();
    /// Starts importing the clipboard's source after the last texture; false when it holds none.
    bool ImportClipboard();

    /// The summary of the last import, null before the first.
    ImportSummaryDialog* Summary() const;

signals:
    /// `count` textures came in at catalog index `first` and after.
    void imported(int first, int count);
    /// An import is over: its textures came in, or it failed or was cancelled.
    void finished();
    /// The clipboard's contents changed, and with them whether Paste can run.
    void clipboardChanged();

private:
    struct Job {
        SourceToImport source;
        std::optional<int> position;
        /// Made again by the summary's choice, in place of the last import.
        bool again = false;
    };
    struct Running;

    void StartNext();
    void OnReadDone();
    void ShowProgress();
    /// Replaces the last import by `result`, when nothing else changed the catalog meanwhile.
    void AddAgain(const SourceToImport& source, ImportResult result);
    /// Puts the textures of `result` into the catalog as one step and shows the summary. A
    /// texture whose source is among `known` is taken from there, thumbnails and all; the
    /// others get new thumbnails.
    void Add(const SourceToImport& source, ImportResult result, int position,
             std::map<std::string, std::unique_ptr<Texture>> known = {});
    void ShowSummary(const SourceToImport& source, const ImportResult& result);
    void OnApproximateChosen(bool approximate);
    void OnStepsChanged();
    QString StartFolder() const;

    CatalogDocument& m_document;
    AppServices& m_app;
    QWidget& m_window;
    ThumbnailRenderer m_renderThumbnail;
    QPointer<ImportSummaryDialog> m_summary;
    QString m_lastFolder;

    /// The last import, which the summary's check box may make again while it is the latest
    /// change to the catalog.
    std::optional<SourceToImport> m_last;
    int m_lastPosition = 0;
    int m_lastCount = 0; ///< the textures it added
    bool m_redoable = false;
    bool m_working = false;

    std::optional<bool> m_clipboardHoldsSource; ///< worked out once per change of the clipboard

    std::deque<Job> m_waiting;
    QThreadPool m_readers;
    std::unique_ptr<Running> m_running;
};
