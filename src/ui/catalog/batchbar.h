#pragma once

#include <QString>
#include <QWidget>

class CatalogRenders;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
struct BatchSummary;

/// The bar at the foot of a catalog window while its thumbnails are rendered in the
/// background: what renders with the whole job's percent ("Rendering texture 13 of 64",
/// "18%"), the job's bar with "12 of 64 textures, about 2 min left" (and the batches waiting
/// after it) and Stop; every figure counts the same textures through. Once the batches are over it
/// shows the summary, naming the textures that failed and why the first did, for a few seconds,
/// until the user closes it or takes up another catalog command; the status line keeps the summary.
/// After a stop it offers to render the rest. Its texts reach assistive technology too: the bar's
/// description says them all, and the summary shows as an alert.
class BatchBar : public QWidget {
    Q_OBJECT
public:
    BatchBar(CatalogRenders& renders, QWidget* parent = nullptr);

    /// Whether there is anything to show.
    bool HasContents() const;

    QString CaptionText() const;
    QString PercentText() const;
    QString JobText() const;
    int JobBarValue() const;
    int JobBarMaximum() const;
    /// After the batches: the summary, and why POV-Ray could not go on or the first failed
    /// texture failed.
    QString SummaryText() const;
    QString FailureText() const;
    bool IsShowingSummary() const;
    /// Stop while the batches run, Close once the summary shows.
    QPushButton* Button() const { return m_button; }
    /// Render the Rest, after a stop that left textures unrendered.
    QPushButton* RestButton() const { return m_rest; }

    /// How long the summary stays (8 s).
    void SetSummaryLinger(int milliseconds);

signals:
    /// The bar appeared or went, or changed its height.
    void layoutChanged();
    /// A batch ended with this summary.
    void summaryShown(const QString& text);
    /// What the bar says, all in one line, changed (empty once it has gone).
    void descriptionChanged(const QString& text);

private:
    void Refresh();
    /// Shows `text` and tells assistive technology when it changed.
    void SetText(QLabel* label, const QString& text);
    void ButtonPressed();

    CatalogRenders& m_renders;
    QLabel* m_caption;
    QLabel* m_percent;
    QProgressBar* m_jobBar;
    QLabel* m_job;
    QLabel* m_summaryLabel;
    QLabel* m_failure;
    QPushButton* m_button;
    QPushButton* m_rest;
    QTimer* m_linger;
    bool m_summary = false;
};
