#pragma once

#include "render/povray/renderprogress.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAbstractScrollArea;
class QLabel;
class QProgressBar;
class QPushButton;

/// The small window a render shows while POV-Ray runs: a caption, a progress bar, the percent
/// done and a Stop button. While it shows, only it reacts to the user (it is application
/// modal, shown without a modal loop of its own, so the render's loop keeps the other windows
/// painting). It cannot be closed by the user; the render hides it when POV-Ray has ended.
///
/// For a batch of thumbnails it stays up from the first render to the last and also shows the
/// whole job: a second bar with "12 of 1,989 textures" and the time left. Meanwhile a cover
/// keeps the user's input from every other window except the scrolling of one scroll area (the
/// catalog whose thumbnails are being taken), so the user can watch them appear but can change
/// nothing. At the end it shows a summary and stays until the user closes it.
class RenderProgressDialog : public QDialog, public RenderProgressSink {
    Q_OBJECT
public:
    explicit RenderProgressDialog(QWidget* parent = nullptr);
    ~RenderProgressDialog() override;

    /// Where Status() remarks go (the main window's status bar).
    void SetStatusHandler(std::function<void(const QString&)> handler) {
        m_status = std::move(handler);
    }
    /// The window that may still be scrolled while a batch runs.
    void SetScrollable(QAbstractScrollArea* area) { m_scrollable = area; }

    void Begin(const QString& caption) override;
    void Started(std::function<void()> stop) override;
    void SetCaption(const QString& caption) override;
    void Progress(int percent) override;
    void End() override;
    void Notice(const QString& title, const QString& text) override;
    void Status(const QString& text) override;
    void BatchBegun(int textures) override;
    void BatchProgress(const BatchStatus& status) override;
    void BatchEnded(const BatchSummary& summary) override;

    QString CaptionText() const;
    QString PercentText() const;
    int BarValue() const;
    QPushButton* StopButton() const { return m_stopButton; }
    /// The whole job: "12 of 1,989 textures, about 2 min left", and its bar.
    QString JobText() const;
    int JobBarValue() const;
    bool IsJobShown() const;
    /// After a batch: the summary, and why the first failed texture failed.
    QString SummaryText() const;
    QString FailureText() const;
    bool IsShowingSummary() const { return m_summaryShown; }

    /// "1,989": whole numbers as the dialog writes them, whatever the locale.
    static QString Count(qint64 value);
    /// "45 s", "2 min 5 s", "1 h 20 min".
    static QString Duration(qint64 milliseconds);
    /// "1,987 rendered, 2 failed: Oak, Pine. Stopped after 1 min 5 s; 12 not rendered."
    static QString SummaryFor(const BatchSummary& summary);

    /// Escape does not close the dialog while it renders; it does once the summary shows.
    void reject() override;

protected:
    /// Neither does the title bar or the window manager.
    void closeEvent(QCloseEvent* event) override;

private:
    class Cover;

    void StopPressed();
    void CentreOnScreen();
    void ShowInFront(Qt::WindowModality modality);

    QLabel* m_caption = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_percent = nullptr;
    QLabel* m_job = nullptr;
    QProgressBar* m_jobBar = nullptr;
    QLabel* m_failure = nullptr;
    QPushButton* m_stopButton = nullptr;
    std::function<void()> m_stop;
    std::function<void(const QString&)> m_status;
    QPointer<QAbstractScrollArea> m_scrollable;
    std::unique_ptr<Cover> m_cover;
    bool m_batch = false;
    bool m_summaryShown = false;
};
