#include "ui/catalog/batchbar.h"

#include "render/povray/thumbnailbatchrender.h"
#include "ui/catalog/catalogedits.h"
#include "ui/catalog/catalogrenders.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>

namespace {

/// The summary goes by itself after this long.
constexpr int kSummaryMilliseconds = 8000;

const char* const kSummaryLabel = "summaryLabel";

/// The summary as an alert, so that a screen reader says it when it shows.
class SummaryAccessible : public QAccessibleWidget {
public:
    explicit SummaryAccessible(QWidget* label)
        : QAccessibleWidget(label, QAccessible::AlertMessage) {}
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? static_cast<QLabel*>(widget())->text()
                                      : QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* SummaryFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QLabel") &&
        object->objectName() == QLatin1String(kSummaryLabel))
        return new SummaryAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

/// Tells assistive technology that `widget`'s text changed.
void TellChanged(QWidget* widget, QAccessible::Event what) {
    QAccessibleEvent event(widget, what);
    QAccessible::updateAccessibility(&event);
}

} // namespace

BatchBar::BatchBar(CatalogRenders& renders, QWidget* parent)
    : QWidget(parent), m_renders(renders), m_caption(new QLabel(this)), m_percent(new QLabel(this)),
      m_jobBar(new QProgressBar(this)), m_job(new QLabel(this)), m_summaryLabel(new QLabel(this)),
      m_failure(new QLabel(this)), m_button(new QPushButton(QStringLiteral("&Stop"), this)),
      m_rest(new QPushButton(QStringLiteral("Render the &Rest"), this)),
      m_linger(new QTimer(this)) {
    static const bool summaryAlerts = (QAccessible::installFactory(SummaryFactory), true);
    Q_UNUSED(summaryAlerts);
    setObjectName(QStringLiteral("batchBar"));
    setAccessibleName(QStringLiteral("Thumbnail rendering"));
    setAutoFillBackground(true);
    m_caption->setObjectName(QStringLiteral("captionLabel"));
    m_percent->setObjectName(QStringLiteral("percentLabel"));
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("100%")) +
                               4);
    m_jobBar->setObjectName(QStringLiteral("jobBar"));
    m_jobBar->setTextVisible(false);
    m_jobBar->setAccessibleName(QStringLiteral("Textures done"));
    m_jobBar->setMaximumHeight(m_caption->fontMetrics().height());
    m_job->setObjectName(QStringLiteral("jobLabel"));
    m_job->setBuddy(m_jobBar);
    m_summaryLabel->setObjectName(QLatin1String(kSummaryLabel));
    m_summaryLabel->setWordWrap(true);
    m_summaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    m_summaryLabel->hide();
    m_failure->setObjectName(QStringLiteral("failureLabel"));
    m_failure->setWordWrap(true);
    m_failure->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_button->setObjectName(QStringLiteral("stopButton"));
    m_button->setAutoDefault(false);
    m_button->setFocusPolicy(Qt::TabFocus);
    connect(m_button, &QPushButton::clicked, this, &BatchBar::ButtonPressed);
    m_rest->setObjectName(QStringLiteral("restButton"));
    m_rest->setAutoDefault(false);
    m_rest->setFocusPolicy(Qt::TabFocus);
    m_rest->hide();
    connect(m_rest, &QPushButton::clicked, &m_renders, &CatalogRenders::RenderRest);
    m_linger->setSingleShot(true);
    m_linger->setInterval(kSummaryMilliseconds);
    connect(m_linger, &QTimer::timeout, &m_renders, &CatalogRenders::DismissSummary);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_caption, 0, 0);
    layout->addWidget(m_summaryLabel, 0, 0);
    layout->addWidget(m_percent, 0, 1);
    layout->addWidget(m_jobBar, 1, 0, 1, 2);
    layout->addWidget(m_job, 2, 0, 1, 2);
    layout->addWidget(m_failure, 3, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_rest);
    buttons->addWidget(m_button);
    layout->addLayout(buttons, 0, 2, 3, 1, Qt::AlignVCenter);
    layout->setColumnStretch(0, 1);

    connect(&renders, &CatalogRenders::batchesChanged, this, &BatchBar::Refresh);
    Refresh();
}

bool BatchBar::HasContents() const {
    return !m_renders.Batches().empty() || m_renders.LastSummary().has_value();
}

void BatchBar::Refresh() {
    const bool wasVisible = !isHidden();
    const int oldHeight = sizeHint().height();
    const QString oldDescription = accessibleDescription();
    const std::vector<const ThumbnailBatchRender*> batches = m_renders.Batches();
    if (!batches.empty()) {
        // The whole job: every batch of the catalog, the running one first. Its caption,
        // percent, bar and count all come from the textures it has through.
        m_summary = false;
        m_linger->stop();
        const ThumbnailBatchRender& running = *batches.front();
        const BatchStatus status = running.Status();
        const QString caption = running.Caption();
        SetText(m_caption, caption.isEmpty() ? QStringLiteral("Waiting to render...") : caption);
        SetText(m_percent, QStringLiteral("%1%").arg(running.Percent()));
        m_percent->setVisible(!caption.isEmpty());
        m_caption->show();
        m_summaryLabel->hide();
        m_jobBar->setRange(0, std::max(status.texturesTotal, 1));
        m_jobBar->setValue(status.texturesDone);
        QString text = PartOfTextures(status.texturesDone, status.texturesTotal);
        if (status.millisecondsLeft >= 0)
            text += QStringLiteral(", about %1 left").arg(DurationText(status.millisecondsLeft));
        if (batches.size() > 1)
            text += QStringLiteral("; %1 more waiting")
                        .arg(batches.size() == 2
                                 ? QStringLiteral("1 batch")
                                 : QStringLiteral("%1 batches").arg(batches.size() - 1));
        SetText(m_job, text);
        m_jobBar->show();
        m_failure->hide();
        m_button->setText(QStringLiteral("&Stop"));
        m_button->setEnabled(!running.IsStopping());
        m_rest->hide();
        setAccessibleDescription(
            m_percent->isVisible()
                ? QStringLiteral("%1, %2. %3.").arg(m_caption->text(), m_percent->text(), text)
                : QStringLiteral("%1 %2.").arg(m_caption->text(), text));
    } else if (const auto& summary = m_renders.LastSummary()) {
        const bool fresh = !m_summary;
        m_summary = true;
        m_summaryLabel->setText(::SummaryText(*summary));
        m_caption->hide();
        m_percent->hide();
        const int through = summary->rendered + static_cast<int>(summary->failed.size());
        m_jobBar->setRange(0, std::max(summary->total, 1));
        m_jobBar->setValue(through);
        SetText(m_job, PartOfTextures(through, summary->total));
        QStringList why;
        for (const QString& line : {summary->stoppedBecause, summary->firstFailure})
            if (!line.isEmpty())
                why << line;
        m_failure->setText(why.join(QLatin1Char('\n')));
        m_failure->setVisible(!why.isEmpty());
        m_button->setText(QStringLiteral("&Close"));
        m_button->setEnabled(true);
        // A stopped batch leaves its textures selected; the rest is one press away.
        m_rest->setVisible(summary->stopped && m_renders.RestCount() > 0);
        QStringList description{m_summaryLabel->text()};
        if (!why.isEmpty())
            description << m_failure->text();
        setAccessibleDescription(description.join(QLatin1Char(' ')));
        if (fresh) {
            // Shown as an alert: a screen reader says it as it comes.
            m_summaryLabel->show();
            TellChanged(m_summaryLabel, QAccessible::Alert);
            m_linger->start();
            emit summaryShown(m_summaryLabel->text());
        }
    }
    if (!HasContents()) {
        m_summary = false;
        m_linger->stop();
        m_summaryLabel->hide();
    }
    setVisible(HasContents());
    if (!HasContents())
        setAccessibleDescription(QString());
    if (accessibleDescription() != oldDescription) {
        TellChanged(this, QAccessible::DescriptionChanged);
        emit descriptionChanged(accessibleDescription());
    }
    if (wasVisible != !isHidden() || oldHeight != sizeHint().height())
        emit layoutChanged();
}

void BatchBar::SetText(QLabel* label, const QString& text) {
    if (label->text() == text)
        return;
    label->setText(text);
    TellChanged(label, QAccessible::NameChanged);
}

void BatchBar::SetSummaryLinger(int milliseconds) {
    m_linger->setInterval(milliseconds);
}

void BatchBar::ButtonPressed() {
    if (m_summary)
        m_renders.DismissSummary();
    else
        m_renders.StopBatches();
}

QString BatchBar::CaptionText() const {
    return m_caption->text();
}
QString BatchBar::PercentText() const {
    return m_percent->text();
}
QString BatchBar::JobText() const {
    return m_job->text();
}
int BatchBar::JobBarValue() const {
    return m_jobBar->value();
}
int BatchBar::JobBarMaximum() const {
    return m_jobBar->maximum();
}
QString BatchBar::SummaryText() const {
    return m_summary ? m_summaryLabel->text() : QString();
}
QString BatchBar::FailureText() const {
    return m_failure->text();
}
bool BatchBar::IsShowingSummary() const {
    return m_summary && !isHidden();
}
