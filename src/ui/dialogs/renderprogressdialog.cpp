#include "ui/dialogs/renderprogressdialog.h"

#include "ui/framework/prompts.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

/// At most this many failed textures are named in the summary; the rest are counted.
constexpr int kNamedFailures = 5;

} // namespace

/// Keeps the user's input away from every window but the dialog while a batch runs, except
/// the wheel and the scroll bars of the scroll area the dialog was given, so the user can
/// scroll the catalog while its thumbnails arrive but cannot change it. Keys typed elsewhere
/// bring the dialog back to the front.
class RenderProgressDialog::Cover : public QObject {
public:
    explicit Cover(RenderProgressDialog& dialog) : m_dialog(dialog) {
        qApp->installEventFilter(this);
    }
    ~Cover() override { qApp->removeEventFilter(this); }
    Cover(const Cover&) = delete;
    Cover& operator=(const Cover&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::Close:
            break;
        default:
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) // a window handing on to its widgets, or an action's shortcut
            return event->type() == QEvent::Shortcut;
        if (Answers(widget))
            return false;
        if (event->type() == QEvent::Close)
            return event->spontaneous(); // the window manager's close box, not the program
        if (Scrolls(widget, event))
            return false;
        if (event->type() == QEvent::KeyPress)
            m_dialog.activateWindow();
        return true;
    }

private:
    /// The dialog and the windows it opens (a message box about the scene) take input, and so
    /// does a modal window opened while the batch runs: someone must be able to answer it.
    bool Answers(QWidget* widget) const {
        for (QWidget* owner = widget; owner; owner = owner->parentWidget())
            if (owner == &m_dialog)
                return true;
        QWidget* modal = QApplication::activeModalWidget();
        return modal && widget->window() == modal;
    }

    bool Scrolls(QWidget* widget, QEvent* event) const {
        QAbstractScrollArea* area = m_dialog.m_scrollable;
        if (!area || !(widget == area || area->isAncestorOf(widget)))
            return false;
        if (event->type() == QEvent::Wheel)
            return true;
        // The scroll bars themselves may be dragged and clicked; the contents may not.
        const bool mouse = event->type() == QEvent::MouseButtonPress ||
                           event->type() == QEvent::MouseButtonRelease ||
                           event->type() == QEvent::MouseMove ||
                           event->type() == QEvent::MouseButtonDblClick;
        for (QScrollBar* bar : {area->verticalScrollBar(), area->horizontalScrollBar()})
            if (mouse && (widget == bar || bar->isAncestorOf(widget)))
                return true;
        return false;
    }

    RenderProgressDialog& m_dialog;
};

RenderProgressDialog::RenderProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Velvane - Rendering Progress"));

    m_caption = new QLabel(QStringLiteral("Rendering..."), this);
    m_caption->setObjectName(QStringLiteral("captionLabel"));
    m_caption->setWordWrap(true);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_percent = new QLabel(QStringLiteral("0%"), this);
    m_percent->setObjectName(QStringLiteral("percentLabel"));
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("%100")) +
                               4);
    m_job = new QLabel(this);
    m_job->setObjectName(QStringLiteral("jobLabel"));
    m_jobBar = new QProgressBar(this);
    m_jobBar->setObjectName(QStringLiteral("jobBar"));
    m_jobBar->setTextVisible(false);
    m_jobBar->setRange(0, 1);
    m_jobBar->setValue(0);
    m_job->setBuddy(m_jobBar);
    m_jobBar->setAccessibleName(QStringLiteral("Textures done"));
    m_bar->setAccessibleName(QStringLiteral("Texture done"));
    m_failure = new QLabel(this);
    m_failure->setObjectName(QStringLiteral("failureLabel"));
    m_failure->setWordWrap(true);
    m_failure->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_stopButton = new QPushButton(QStringLiteral("&Stop"), this);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    m_stopButton->setDefault(true);
    m_stopButton->setEnabled(false);
    connect(m_stopButton, &QPushButton::clicked, this, &RenderProgressDialog::StopPressed);

    auto* barRow = new QHBoxLayout;
    barRow->addWidget(m_bar, 1);
    barRow->addWidget(m_percent);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_stopButton);
    buttonRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addLayout(barRow);
    layout->addWidget(m_job);
    layout->addWidget(m_jobBar);
    layout->addWidget(m_failure);
    layout->addLayout(buttonRow);
    m_job->hide();
    m_jobBar->hide();
    m_failure->hide();
    setMinimumWidth(320);
}

RenderProgressDialog::~RenderProgressDialog() = default;

void RenderProgressDialog::ShowInFront(Qt::WindowModality modality) {
    if (windowModality() != modality) {
        hide(); // modality changes take effect when the window is shown again
        setWindowModality(modality);
    }
    adjustSize();
    if (!isVisible())
        CentreOnScreen();
    show();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void RenderProgressDialog::Begin(const QString& caption) {
    m_caption->setText(caption);
    m_bar->show();
    m_percent->show();
    m_bar->setValue(0);
    m_percent->setText(QStringLiteral("0%"));
    m_stop = nullptr;
    m_stopButton->setEnabled(false);
    if (m_batch && isVisible())
        return; // the next render of a batch: the window stays as it is

    // Application modal without a loop of its own: the render's loop keeps every window
    // painting, while only this dialog takes the user's input. A batch keeps the other
    // windows out with its cover instead, which lets the catalog scroll.
    ShowInFront(m_batch ? Qt::NonModal : Qt::ApplicationModal);
}

void RenderProgressDialog::CentreOnScreen() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->geometry();
    const QSize size = this->size();
    move(desktop.left() + desktop.width() / 2 - size.width() / 2,
         desktop.top() + desktop.height() / 2 - size.height() / 2);
}

void RenderProgressDialog::Started(std::function<void()> stop) {
    m_stop = std::move(stop);
    m_stopButton->setEnabled(static_cast<bool>(m_stop));
    if (m_stop && isVisible())
        m_stopButton->setFocus(Qt::OtherFocusReason);
}

void RenderProgressDialog::SetCaption(const QString& caption) {
    m_caption->setText(caption);
}

void RenderProgressDialog::Progress(int percent) {
    m_bar->setValue(percent);
    // The percent sign comes first: "%37".
    m_percent->setText(QStringLiteral("%") + QString::number(percent));
}

void RenderProgressDialog::End() {
    m_bar->setValue(100);
    m_stop = nullptr;
    m_stopButton->setEnabled(false);
    if (!m_batch)
        hide();
}

void RenderProgressDialog::Notice(const QString& title, const QString& text) {
    // A hidden dialog cannot own a box the user must answer; the main window can.
    QWidget* owner = isVisible() ? this : parentWidget();
    Prompts::Message(owner, Prompts::Icon::Warning, title, text);
}

void RenderProgressDialog::Status(const QString& text) {
    if (m_status)
        m_status(text);
}

void RenderProgressDialog::BatchBegun(int textures) {
    m_batch = true;
    m_summaryShown = false;
    m_stopButton->setText(QStringLiteral("&Stop"));
    m_failure->hide();
    m_job->show();
    m_jobBar->show();
    BatchProgress({0, textures, -1});
    m_cover = std::make_unique<Cover>(*this);
}

void RenderProgressDialog::BatchProgress(const BatchStatus& status) {
    m_jobBar->setRange(0, std::max(status.texturesTotal, 1));
    m_jobBar->setValue(status.texturesDone);
    QString text = QStringLiteral("%1 of %2 textures")
                       .arg(Count(status.texturesDone), Count(status.texturesTotal));
    if (status.millisecondsLeft >= 0)
        text += QStringLiteral(", about %1 left").arg(Duration(status.millisecondsLeft));
    m_job->setText(text);
}

void RenderProgressDialog::BatchEnded(const BatchSummary& summary) {
    m_cover.reset();
    m_batch = false;
    m_summaryShown = true;
    m_stop = nullptr;
    m_jobBar->setRange(0, std::max(summary.total, 1));
    m_jobBar->setValue(summary.rendered + static_cast<int>(summary.failed.size()));
    m_job->setText(QStringLiteral("%1 of %2 textures")
                       .arg(Count(summary.rendered + static_cast<int>(summary.failed.size())),
                            Count(summary.total)));
    m_caption->setText(SummaryFor(summary));
    // No texture is being rendered any more: only the whole job's bar stays.
    m_bar->hide();
    m_percent->hide();
    m_failure->setText(summary.firstFailure);
    m_failure->setVisible(!summary.firstFailure.isEmpty());
    m_stopButton->setText(QStringLiteral("&Close"));
    m_stopButton->setEnabled(true);
    // The batch is over: the summary stays beside the catalog, which the user may use again.
    ShowInFront(Qt::NonModal);
    m_stopButton->setFocus(Qt::OtherFocusReason);
}

QString RenderProgressDialog::Count(qint64 value) {
    // The program's texts are English; so are its numbers, with a comma between thousands.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

QString RenderProgressDialog::Duration(qint64 milliseconds) {
    const qint64 seconds = (std::max<qint64>(milliseconds, 0) + 500) / 1000;
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 3600)
        return seconds % 60 == 0
                   ? QStringLiteral("%1 min").arg(seconds / 60)
                   : QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    const qint64 minutes = seconds / 60;
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60);
}

QString RenderProgressDialog::SummaryFor(const BatchSummary& summary) {
    QString text = QStringLiteral("%1 rendered").arg(Count(summary.rendered));
    if (!summary.failed.isEmpty()) {
        QStringList names = summary.failed.mid(0, kNamedFailures);
        if (summary.failed.size() > kNamedFailures)
            names
                << QStringLiteral("and %1 more").arg(Count(summary.failed.size() - kNamedFailures));
        text += QStringLiteral(", %1 failed: %2")
                    .arg(Count(summary.failed.size()), names.join(QStringLiteral(", ")));
    }
    text += QStringLiteral(".");
    if (summary.stopped) {
        text += QStringLiteral(" Stopped after %1").arg(Duration(summary.milliseconds));
        const qint64 left = summary.total - summary.rendered - summary.failed.size();
        if (left > 0)
            text += QStringLiteral("; %1 not rendered").arg(Count(left));
        text += QStringLiteral(".");
    } else {
        text += QStringLiteral(" Finished in %1.").arg(Duration(summary.milliseconds));
    }
    return text;
}

QString RenderProgressDialog::CaptionText() const {
    return m_caption->text();
}

QString RenderProgressDialog::PercentText() const {
    return m_percent->text();
}

int RenderProgressDialog::BarValue() const {
    return m_bar->value();
}

QString RenderProgressDialog::JobText() const {
    return m_job->text();
}

int RenderProgressDialog::JobBarValue() const {
    return m_jobBar->value();
}

bool RenderProgressDialog::IsJobShown() const {
    return !m_job->isHidden();
}

QString RenderProgressDialog::SummaryText() const {
    return m_summaryShown ? m_caption->text() : QString();
}

QString RenderProgressDialog::FailureText() const {
    return m_failure->text();
}

void RenderProgressDialog::reject() {
    if (m_summaryShown)
        hide();
}

void RenderProgressDialog::closeEvent(QCloseEvent* event) {
    if (m_summaryShown)
        event->accept();
    else
        event->ignore();
}

void RenderProgressDialog::StopPressed() {
    if (m_summaryShown) {
        hide();
        return;
    }
    if (!m_stop)
        return;
    // A copy: stopping may end the render, which clears the stored function.
    const std::function<void()> stop = m_stop;
    stop();
}
