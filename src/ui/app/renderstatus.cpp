#include "ui/app/renderstatus.h"

#include "render/povray/queuedrender.h"
#include "render/povray/renderqueue.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

RenderStatus::RenderStatus(RenderQueue& queue, QWidget* parent)
    : QWidget(parent), m_queue(queue), m_label(new QLabel(this)), m_bar(new QProgressBar(this)),
      m_stop(new QToolButton(this)) {
    setObjectName(QStringLiteral("renderStatus"));
    m_label->setObjectName(QStringLiteral("renderStatusLabel"));
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_bar->setMaximumWidth(100);
    m_bar->setMaximumHeight(m_label->fontMetrics().height());
    m_bar->setAccessibleName(QStringLiteral("Render progress"));
    m_stop->setText(QStringLiteral("Stop"));
    m_stop->setObjectName(QStringLiteral("renderStopButton"));
    m_stop->setToolTip(QStringLiteral("Stop this render"));
    m_stop->setAutoRaise(true);
    connect(m_stop, &QToolButton::clicked, this, [this] {
        for (auto it = m_shown.rbegin(); it != m_shown.rend(); ++it)
            if (*it && !(*it)->IsFinished()) {
                (*it)->Stop();
                return;
            }
    });
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_stop);
    connect(&queue, &RenderQueue::changed, this, &RenderStatus::Refresh);
    Refresh();
}

void RenderStatus::Show(QueuedRender& render) {
    m_shown.emplace_back(&render);
    connect(&render, &QueuedRender::progress, this, &RenderStatus::Refresh);
    connect(&render, &QueuedRender::finished, this, &RenderStatus::Refresh);
    Refresh();
}

void RenderStatus::Refresh() {
    std::erase_if(m_shown, [](const QPointer<QueuedRender>& render) {
        return !render || render->IsFinished();
    });
    if (!m_shown.empty()) {
        const QueuedRender& newest = *m_shown.back();
        const bool running = newest.GetState() == QueuedRender::State::Running;
        m_label->setText(newest.Caption() +
                         (running ? QStringLiteral(" %") + QString::number(newest.Percent())
                                  : QStringLiteral(" (waiting)")));
        m_bar->setValue(newest.Percent());
        m_bar->show();
        m_stop->show();
    } else {
        const RenderQueue::Tally tally = m_queue.TallyFor();
        m_label->setText(tally.waiting > 0
                             ? QStringLiteral("Rendering: %1 running, %2 waiting")
                                   .arg(tally.running)
                                   .arg(tally.waiting)
                             : QStringLiteral("Rendering: %1 running").arg(tally.running));
        m_bar->hide();
        m_stop->hide();
    }
    setVisible(!m_shown.empty() || m_queue.Left() > 0);
}

QString RenderStatus::Text() const {
    return isHidden() ? QString() : m_label->text();
}
