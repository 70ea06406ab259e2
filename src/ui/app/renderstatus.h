#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

class QLabel;
class QProgressBar;
class QToolButton;
class QueuedRender;
class RenderQueue;

/// The render queue in the main window's status bar: the progress of the renders that no window
/// of their own shows (a texture map being made), the newest first, with a button that stops
/// it; otherwise how many renders run and wait. Hidden while nothing renders.
class RenderStatus : public QWidget {
    Q_OBJECT
public:
    RenderStatus(RenderQueue& queue, QWidget* parent = nullptr);

    /// Shows `render`'s caption and percent until it has finished.
    void Show(QueuedRender& render);

    QString Text() const;

private:
    void Refresh();

    RenderQueue& m_queue;
    std::vector<QPointer<QueuedRender>> m_shown;
    QLabel* m_label;
    QProgressBar* m_bar;
    QToolButton* m_stop;
};
