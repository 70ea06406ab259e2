#pragma once

#include "ui/framework/helpcontext.h"

#include <QString>
#include <QWidget>

class HelpWindow;
class QPushButton;
class QTextBrowser;

/// Opens the help window at the page for `context` (0 and unknown numbers give the contents),
/// or brings the open help window to the front and turns it to that page. There is one help
/// window per program run; it is not modal and stays usable while `parent`'s window runs
/// modally.
void ShowHelpTopic(int context, QWidget* parent);

/// The bundled page for a context number, as a resource path (":/help/index.html").
QString HelpPagePath(int context);

/// The help window of this program run, or null when none has been opened (or it was closed
/// with CloseHelpWindow).
HelpWindow* CurrentHelpWindow();
/// Deletes the help window, if there is one. Done when the application quits.
void CloseHelpWindow();

/// The help window: a browser over the bundled pages with Back, Forward and Contents buttons.
class HelpWindow : public QWidget {
public:
    HelpWindow();

    /// Turns to the page at `resourcePath`, belonging to `owner`'s window (see AttachTo), and
    /// shows the window in front; the first time beside `owner`'s window.
    void Open(const QString& resourcePath, QWidget* owner);
    /// Shows the page at a resource path.
    void ShowPage(const QString& resourcePath);
    /// Makes the window belong to `owner`'s window, so that a modal owner does not block it;
    /// when that window is hidden the help window becomes a window of its own again.
    void AttachTo(QWidget* owner);

    QTextBrowser* Browser() const { return m_browser; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceBeside(const QWidget* owner);

    QTextBrowser* m_browser;
    QPushButton* m_back;
    QPushButton* m_forward;
    QPushButton* m_contents;
    bool m_placed = false;
};
