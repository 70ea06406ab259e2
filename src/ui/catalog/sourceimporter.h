#pragma once

#include "core/povtext/sourceimport.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class AppServices;
class CatalogDocument;
class ImportSummaryDialog;
class QMimeData;
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
class SourceImporter : public QObject {
    Q_OBJECT
public:
    /// Renders the thumbnails of new textures at these catalog indices in the background, the
    /// way the window does for its new textures.
    using ThumbnailRenderer = std::function<void(const std::vector<int>& indices)>;

    SourceImporter(CatalogDocument& document, AppServices& app, QWidget& window,
                   ThumbnailRenderer renderThumbnail);

    /// Texture > Import Source...: asks for files and imports them after the last texture.
    void ChooseAndImport();
    /// Imports `source` with its textures placed from catalog index `position` on. False when
    /// the source could not be read or parsed (the user has been told; nothing was added).
    bool Import(const SourceToImport& source, int position);

    /// The POV-Ray source that a drop or the clipboard carries: its .inc and .pov files, else
    /// a text that declares something (named `textName`). Nothing when it carries neither.
    static std::optional<SourceToImport> SourceIn(const QMimeData& data, const QString& textName);
    /// Text from a web page made readable as POV-Ray text: no-break spaces become blanks and
    /// typographic double quotes plain ones.
    static QString PlainSourceText(QString text);

    /// Whether the clipboard holds source to import, rather than nothing of the kind or the
    /// source of the textures the program itself copied (which Paste adds as they are).
    bool ClipboardHoldsSource();
    /// Imports the clipboard's source after the last texture.
    bool ImportClipboard();

    /// The summary of the last import, null before the first.
    ImportSummaryDialog* Summary() const;

signals:
    /// `count` textures came in at catalog index `first` and after.
    void imported(int first, int count);
    /// The clipboard's contents changed, and with them whether Paste can run.
    void clipboardChanged();

private:
    /// Reads the source; nothing, after telling the user, when it cannot be read or parsed.
    std::optional<ImportResult> Read(const SourceToImport& source);
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
};
