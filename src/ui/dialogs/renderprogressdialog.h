#pragma once

#include "render/povray/renderprogress.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

/// The small window a render shows while POV-Ray runs: a caption, a progress bar, the percent
/// done and a Stop button. While it shows, only it reacts to the user (it is application
/// modal, shown without a modal loop of its own, so the render's loop keeps the other windows
/// painting). It cannot be closed by the user; the render hides it when POV-Ray has ended.
class RenderProgressDialog : public QDialog, public RenderProgressSink {
    Q_OBJECT
public:
    explicit RenderProgressDialog(QWidget* parent = nullptr);

    /// Where Status() remarks go (the main window's status bar).
    void SetStatusHandler(std::function<void(const QString&)> handler) { m_status = std::move(handler); }

    void Begin(const QString& caption) override;
    void Started(std::function<void()> stop) override;
    void SetCaption(const QString& caption) override;
    void Progress(int percent) override;
    void End() override;
    void Notice(const QString& title, const QString& text) override;
    void Status(const QString& text) override;

    QString CaptionText() const;
    QString PercentText() const;
    int BarValue() const;
    QPushButton* StopButton() const { return m_stopButton; }

    /// Escape does not close the dialog.
    void reject() override {}

protected:
    /// Neither does the title bar or the window manager.
    void closeEvent(QCloseEvent* event) override;

private:
    void StopPressed();
    void CentreOnScreen();

    QLabel* m_caption = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_percent = nullptr;
    QPushButton* m_stopButton = nullptr;
    std::function<void()> m_stop;
    std::function<void(const QString&)> m_status;
};
